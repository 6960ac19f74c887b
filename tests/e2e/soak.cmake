# The sanitizer build's long run of the show on a virtual X screen: leaks, memory errors and
# undefined behaviour over a minute of good and bad files.
add_test(NAME e2e.asan_soak COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/soak_e2e.py -v)
set_tests_properties(e2e.asan_soak PROPERTIES
  ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>"
  TIMEOUT 300
  RESOURCE_LOCK xserver)
