# End-to-end tests of the built program on virtual X screens (Xvfb + xdotool).

foreach(script show_e2e dialog_e2e host_e2e monitors_e2e decoder_e2e)
  add_test(NAME e2e.${script}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/${script}.py -v)
  set_tests_properties(e2e.${script} PROPERTIES
    ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>;PELANDRA_PICTURE_DECODER_FAULTS=$<TARGET_FILE:pelandra-picture-decoder-faults>"
    TIMEOUT 300
    RESOURCE_LOCK xserver)
endforeach()

add_test(NAME e2e.sample_library
         COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:make-samples>
                 -DOUT=${CMAKE_CURRENT_BINARY_DIR}/e2e-samples
                 -P ${CMAKE_CURRENT_LIST_DIR}/check_samples.cmake)

# The show under the real XScreenSaver daemon, run as an ordinary user on its own Xvfb.
add_test(NAME e2e.xscreensaver_e2e
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/xscreensaver_e2e.py -v)
set_tests_properties(e2e.xscreensaver_e2e PROPERTIES
  ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>"
  TIMEOUT 120
  RESOURCE_LOCK xserver
  SKIP_REGULAR_EXPRESSION "XScreenSaver is not installed")

# The show as a native Wayland program on a headless sway, run as an ordinary user, with a
# test mouse of its own.
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/wayland ${CMAKE_CURRENT_BINARY_DIR}/e2e-wayland)
set(wayland_env "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>")
if(TARGET virtual_pointer)
  list(APPEND wayland_env "PELANDRA_VIRTUAL_POINTER=$<TARGET_FILE:virtual_pointer>")
endif()
add_test(NAME e2e.wayland_e2e
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/wayland_e2e.py -v)
set_tests_properties(e2e.wayland_e2e PROPERTIES
  ENVIRONMENT "${wayland_env}"
  TIMEOUT 300
  SKIP_REGULAR_EXPRESSION "sway cannot run here")

# The show as a theme of MATE's screen saver, run by the real daemon as an ordinary user.
add_test(NAME e2e.mate_screensaver_e2e
         COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/mate_screensaver_e2e.py -v)
set_tests_properties(e2e.mate_screensaver_e2e PROPERTIES
  ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>;PELANDRA_SCREENSAVER_ENTRY=${PROJECT_BINARY_DIR}/packaging/screensavers/pelandra-saver.desktop"
  TIMEOUT 120
  RESOURCE_LOCK xserver
  SKIP_REGULAR_EXPRESSION "mate-screensaver or XScreenSaver's hack folder is not installed;no private mount namespace here")

# The idle watcher under each idle source, every compositor or X server run as an ordinary user.
foreach(desktop Sway KWin Mutter X11)
  add_test(NAME e2e.watch_on_${desktop}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/watch_e2e.py -v On${desktop})
  set_tests_properties(e2e.watch_on_${desktop} PROPERTIES
    ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>"
    TIMEOUT 180
    SKIP_REGULAR_EXPRESSION "${desktop} cannot run here")
endforeach()

# The show and the watcher beside each desktop's own blanking and locking, every desktop run
# as an ordinary user with stand-ins for logind and GDM on a system bus of the test's own.
foreach(desktop GnomeShell KWin Sway)
  add_test(NAME e2e.desktop_lock_on_${desktop}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/desktop_lock_e2e.py -v On${desktop})
  set_tests_properties(e2e.desktop_lock_on_${desktop} PROPERTIES
    ENVIRONMENT "PELANDRA_SAVER=$<TARGET_FILE:pelandra-saver>"
    TIMEOUT 180
    SKIP_REGULAR_EXPRESSION "${desktop} cannot run here")
endforeach()
