# Warnings are errors on the project's own code (not on GoogleTest's).
function(vexilate_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                            -Wsign-conversion -Werror)
endfunction()
