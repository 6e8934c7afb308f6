# The program among other windows: menus, dialogs, signals, a window manager
# around it, high-DPI screens. On the fixture of the end-to-end tests.
add_executable(zb_e2e_desktop_tests desktop_test.cpp)
target_link_libraries(zb_e2e_desktop_tests PRIVATE zb_e2e_fixture GTest::gtest_main)
# The program natively on a Wayland compositor: keys and clicks through the
# compositor's seat.
if(TARGET zb_wayland_seat)
  target_link_libraries(zb_e2e_desktop_tests PRIVATE zb_wayland_seat)
  target_compile_definitions(zb_e2e_desktop_tests PRIVATE ZB_WITH_WAYLAND_SEAT=1)
endif()

foreach(suite Desktop.MenuDialog Desktop.UnderOpenbox Desktop.UnderACompositor Desktop.Sig Desktop.OnThreeMonitors Desktop/MonitorChange HighDpi)
  string(REGEX REPLACE "[^A-Za-z]" "_" name ${suite})
  string(TOLOWER ${name} name)
  add_test(NAME e2e_${name} COMMAND zb_e2e_desktop_tests --gtest_filter=*${suite}*)
  set_tests_properties(e2e_${name} PROPERTIES LABELS "e2e;load" TIMEOUT 300
                       ENVIRONMENT "${ZB_TEST_ENV}")
endforeach()
