# The Convert button end to end: the real program, the stand-in processor msxsl.exe copied
# where each test needs it, and the records it leaves of how it was started.
add_library(conversion_fixture STATIC conversion_fixture.cpp)
target_link_libraries(conversion_fixture PUBLIC program_fixture)
target_compile_definitions(conversion_fixture PRIVATE MSXSL_DOUBLE_EXE="$<TARGET_FILE:msxsl_double>")
vexilate_warnings(conversion_fixture)

function(vexilate_add_conversion_test name)
  vexilate_add_program_test(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE conversion_fixture)
  add_dependencies(${name} msxsl_double)
endfunction()

vexilate_add_conversion_test(conversion_failures_tests conversion_failures_test.cpp)
vexilate_add_conversion_test(conversion_launch_tests conversion_launch_test.cpp)
vexilate_add_conversion_test(conversion_names_tests conversion_names_test.cpp)
vexilate_add_conversion_test(conversion_dialog_tests conversion_dialog_test.cpp)
vexilate_add_conversion_test(conversion_outcome_tests conversion_outcome_test.cpp)
vexilate_add_conversion_test(conversion_batch_tests conversion_batch_test.cpp)
target_link_libraries(conversion_batch_tests PRIVATE vexilate_convert_rules)
vexilate_add_conversion_test(conversion_builtin_tests conversion_builtin_test.cpp)
vexilate_add_conversion_test(new_files_and_journal_tests new_files_and_journal_test.cpp)
target_link_libraries(new_files_and_journal_tests PRIVATE vexilate_convert_rules)
