# Dialogs, controls, resources, dropped files and the help viewer.
target_sources(platform_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/afxres.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filedialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell.cpp)
