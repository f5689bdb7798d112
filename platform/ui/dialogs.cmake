# Dialogs, controls, resources and the help viewer.
target_sources(platform_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/afxres.cpp)
