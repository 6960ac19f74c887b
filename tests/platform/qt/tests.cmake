# Tests of the Qt backend, run on Qt's offscreen platform (no display needed).
find_package(Qt6 REQUIRED COMPONENTS Test)

add_executable(qt_backend_tests
  ${CMAKE_CURRENT_LIST_DIR}/test_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_sink.h
  ${CMAKE_CURRENT_LIST_DIR}/design_style_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hosted_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conformance_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decoder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_waiting.h
  ${CMAKE_CURRENT_LIST_DIR}/settings_store_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_services_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_names_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leak_check_test.cpp
)
target_link_libraries(qt_backend_tests PRIVATE pelandra_qt Qt6::Test GTest::gtest)
add_dependencies(qt_backend_tests pelandra-picture-decoder-faults)
target_include_directories(qt_backend_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
# The offscreen platform's screen: 800 x 600 at 96 dpi, the size the show was designed for.
set(qt_test_screens ${CMAKE_CURRENT_BINARY_DIR}/qt-test-screens.json)
file(WRITE ${qt_test_screens} [=[{"screens": [{"name": "Screen800x600", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}]=])
target_compile_definitions(qt_backend_tests PRIVATE
  PELANDRA_PICTURE_DECODER_FAULTS="$<TARGET_FILE:pelandra-picture-decoder-faults>"
  PELANDRA_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
  PELANDRA_TEST_SCREENS="${qt_test_screens}")

set(qt_test_home ${CMAKE_CURRENT_BINARY_DIR}/qt-test-home)
file(MAKE_DIRECTORY ${qt_test_home}/config ${qt_test_home}/runtime)
file(CHMOD ${qt_test_home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
gtest_discover_tests(qt_backend_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${qt_test_home}/config;XDG_RUNTIME_DIR=${qt_test_home}/runtime")

# The refused-permission cases, run as an ordinary user when the suite runs as root.
add_test(NAME qt_backend_tests.permissions_as_ordinary_user
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/as_unprivileged_user.sh --copy ${qt_test_screens}
          --copy $<TARGET_FILE:pelandra-picture-decoder-faults>
          $<TARGET_FILE:qt_backend_tests> --gtest_filter=*Permission*
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
# The screens file is copied beside the program, where the ordinary user can read it.
set_tests_properties(qt_backend_tests.permissions_as_ordinary_user PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=qt-test-screens.json" SKIP_RETURN_CODE 77)
