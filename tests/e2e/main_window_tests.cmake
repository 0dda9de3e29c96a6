# The main window of the real program: layout, lookups, the settings file, keyboard, closing.
add_library(main_window_checks STATIC main_window_checks.cpp)
target_link_libraries(main_window_checks PUBLIC program_fixture)
vexilate_warnings(main_window_checks)

vexilate_add_program_test(main_window_tests
  main_window_layout_test.cpp
  main_window_appearance_test.cpp
  settings_persistence_test.cpp
  directory_lookup_test.cpp
  keyboard_test.cpp
  closing_test.cpp
)
target_link_libraries(main_window_tests PRIVATE main_window_checks)

# The same window under a Western locale (code page 1252). Wine fixes the code page when its
# server starts, so these run in a prefix of their own, readied first.
vexilate_add_program_test(main_window_english_tests english_locale_test.cpp)
target_link_libraries(main_window_english_tests PRIVATE main_window_checks)
set(english_environment "WINEPREFIX_OVERRIDE=${CMAKE_BINARY_DIR}/wineprefix-en" "VEXILATE_LOCALE=C.UTF-8")
add_test(NAME main_window_english_prefix COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/prepare_locale_prefix.sh)
set_tests_properties(main_window_english_prefix PROPERTIES ENVIRONMENT "${english_environment}"
                                                           FIXTURES_SETUP main_window_english_prefix)
set_tests_properties(main_window_english_tests PROPERTIES ENVIRONMENT "${english_environment}"
                                                          FIXTURES_REQUIRED main_window_english_prefix)
