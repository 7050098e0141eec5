# Whether this machine runs 32-bit Windows programs under Wine: the answer of
# wine_harness/wine_probe.py, asked once per configure run and kept in the
# environment, which the configure runs of try_compile share. Sets
# <runs_var> to TRUE or FALSE and <line_var> to the probe's one-line answer,
# which it also prints.
function(posrelay_probe_wine32 runs_var line_var)
  if(NOT DEFINED ENV{POSRELAY_WINE32_ANSWER})
    set(root ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..)
    execute_process(
      COMMAND python3 ${root}/wine_harness/wine_probe.py --prefix ${root}/build/wine-prefix
              --work ${root}/build/wine-probe
      RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE)
    # The answer is the last line; a prefix made on the way says so before it.
    string(REGEX REPLACE ".*\n" "" line "${output}")
    if(NOT status MATCHES "^[01]$")
      string(REPLACE "\n" " " errors "${errors}")
      set(line "32-bit Windows programs under Wine: no: the probe failed (${status}): ${errors}")
    endif()
    message(STATUS "${line}")
    set(ENV{POSRELAY_WINE32_ANSWER} "${line}")
  endif()
  if("$ENV{POSRELAY_WINE32_ANSWER}" MATCHES ": yes$")
    set(${runs_var} TRUE PARENT_SCOPE)
  else()
    set(${runs_var} FALSE PARENT_SCOPE)
  endif()
  set(${line_var} "$ENV{POSRELAY_WINE32_ANSWER}" PARENT_SCOPE)
endfunction()
