# Version information read from executable files.
target_sources(platform_system PRIVATE ${CMAKE_CURRENT_LIST_DIR}/winver.cpp)
