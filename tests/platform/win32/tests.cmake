# Backend tests, run under Wine by scripts/test-windows.sh.
add_executable(win32_backend_tests
  ${CMAKE_CURRENT_LIST_DIR}/settings_and_files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prepared_pictures_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/executable_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_covers_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conformance_test.cpp
)
target_link_libraries(win32_backend_tests PRIVATE pelandra_win32 version GTest::gtest_main)
target_include_directories(win32_backend_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_include_directories(win32_backend_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(win32_backend_tests PelandraOmnarium)
# Wine maps the Linux root to drive Z:.
target_compile_definitions(win32_backend_tests PRIVATE
  PELANDRA_ASSETS_DIR=L"Z:${PROJECT_SOURCE_DIR}/assets/"
  PELANDRA_TEST_DATA_DIR=L"Z:${CMAKE_BINARY_DIR}/test-data/"
  PELANDRA_SCREEN_SAVER=L"Z:$<TARGET_FILE:PelandraOmnarium>")

add_executable(preview_host ${PROJECT_SOURCE_DIR}/tests/e2e/wine/preview_host.cpp)
target_compile_definitions(preview_host PRIVATE UNICODE _UNICODE)
target_link_options(preview_host PRIVATE -municode -static)
set_target_properties(preview_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(window_places ${PROJECT_SOURCE_DIR}/tests/e2e/wine/window_places.cpp)
target_compile_definitions(window_places PRIVATE UNICODE _UNICODE)
target_link_options(window_places PRIVATE -municode -static)
set_target_properties(window_places PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
