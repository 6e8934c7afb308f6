# The program among other windows: menus, dialogs, signals, a window manager
# around it, high-DPI screens. Uses the harness and the X11 tests' X client.
add_executable(zb_e2e_desktop_tests desktop.cpp desktop_test.cpp)
target_link_libraries(zb_e2e_desktop_tests PRIVATE zb_e2e_harness zb_x_client zb_game
                      zb_platform_sim GTest::gtest GTest::gtest_main)
target_compile_definitions(zb_e2e_desktop_tests PRIVATE ZB_PROGRAM="$<TARGET_FILE:zembrant>")
add_dependencies(zb_e2e_desktop_tests zembrant)

foreach(suite Desktop.MenuDialog Desktop.UnderOpenbox Desktop.UnderACompositor Desktop.Sig Desktop.OnThreeMonitors HighDpi)
  string(REGEX REPLACE "[^A-Za-z]" "_" name ${suite})
  string(TOLOWER ${name} name)
  add_test(NAME e2e_${name} COMMAND zb_e2e_desktop_tests --gtest_filter=*${suite}*)
  set_tests_properties(e2e_${name} PROPERTIES LABELS "e2e;load" TIMEOUT 300
                       ENVIRONMENT "${ZB_E2E_ENV}")
endforeach()
