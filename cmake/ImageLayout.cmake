# Where code and constants lie in a Windows executable. A program's pages come into memory in
# blocks (64 KiB around each first touch under Wine, a cluster of pages on Windows), so code that
# the window's start never runs costs memory when it lies among code that it runs. The linker's
# own default script, asked of the linker at configure time, is used with one change: the code of
# the archives named comes after all other code (after the constructors' list and the exception
# tables too), and their constants before all other constants, so that the program's own
# constants lie beside the head of the unwinding tables that start-up reads.

# Links `target` with the archives named (file names such as libxml2.a) placed so; with the
# default layout, and a warning, when the linker's script is not the one expected.
function(vexilate_place_last target)
  set(excluded "")
  foreach(archive IN LISTS ARGN)
    string(APPEND excluded " *${archive}:*")
  endforeach()
  string(STRIP "${excluded}" excluded)

  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld OUTPUT_VARIABLE linker
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${linker} --verbose OUTPUT_VARIABLE verbose RESULT_VARIABLE failed)
  set(rule "==================================================")
  string(FIND "${verbose}" "${rule}\n" first)
  string(FIND "${verbose}" "\n${rule}" last REVERSE)
  if(failed OR first EQUAL -1 OR last LESS_EQUAL first)
    message(WARNING "No default linker script from ${linker}: ${target} keeps the default layout")
    return()
  endif()
  string(LENGTH "${rule}\n" skip)
  math(EXPR begin "${first} + ${skip}")
  math(EXPR length "${last} - ${begin}")
  string(SUBSTRING "${verbose}" ${begin} ${length} script)

  set(code "    *(.text)\n    *(SORT(.text$*))\n     *(.text.*)\n")
  set(code_end "     KEEP (*(.gcc_except_table))\n  }")
  set(constants "    *(.rdata)\n")
  foreach(expected IN ITEMS code code_end constants)
    string(FIND "${script}" "${${expected}}" at)
    if(at EQUAL -1)
      message(WARNING "The linker's default script is not the one expected: ${target} keeps the default layout")
      return()
    endif()
  endforeach()
  string(REPLACE "${code}"
                 "    EXCLUDE_FILE(${excluded}) *(.text)
    EXCLUDE_FILE(${excluded}) *(SORT(.text$*))
    EXCLUDE_FILE(${excluded}) *(.text.*)\n" script "${script}")
  string(REPLACE "${code_end}" "     KEEP (*(.gcc_except_table))
    *(.text)
    *(SORT(.text$*))
    *(.text.*)
  }" script "${script}")
  set(first_constants "")
  foreach(archive IN LISTS ARGN)
    string(APPEND first_constants "    *${archive}:*(.rdata)\n    *${archive}:*(SORT(.rdata$*))\n")
  endforeach()
  string(REPLACE "${constants}" "${first_constants}${constants}" script "${script}")

  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}.ld")
  file(WRITE "${file}" "${script}")
  target_link_options(${target} PRIVATE "-Wl,-T,${file}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${file}")
endfunction()
