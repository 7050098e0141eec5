# The includes of a layer's files that would get round its view (see
# layers.cmake):
#   cmake -P check_includes.cmake -- FILE...
# An include that climbs ("../app/x.h", "position/../../app/x.h") or starts
# at the file system's root leaves the view; a quoted include found beside
# the including file is taken before the view is searched; an include that
# names its file through a macro (#include NAME) cannot be read here, so it
# is refused whatever the macro holds. Each is named with its file and line,
# and the check fails.
set(files)
set(collecting FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE ${last})
  if(collecting)
    list(APPEND files "${CMAKE_ARGV${index}}")
  elseif(CMAKE_ARGV${index} STREQUAL "--")
    set(collecting TRUE)
  endif()
endforeach()

set(faults 0)
foreach(file IN LISTS files)
  get_filename_component(folder ${file} DIRECTORY)
  # include_next too, which searches the same places.
  file(STRINGS ${file} includes ENCODING UTF-8
       REGEX "^[ \t]*#[ \t]*include(_next)?([^A-Za-z0-9_]|$)")
  foreach(include IN LISTS includes)
    set(fault)
    if(include MATCHES "^[ \t]*#[ \t]*include(_next)?[ \t]*([\"<])([^\">]*)[\">]")
      set(quoted ${CMAKE_MATCH_2})
      set(shown "\"${CMAKE_MATCH_3}\"")
      # The Windows compilers take either slash.
      string(REPLACE "\\" "/" path "${CMAKE_MATCH_3}")
      if(path MATCHES "(^|/)\\.\\.(/|$)")
        set(fault "climbs out of the layer's view")
      elseif(path MATCHES "^(/|[A-Za-z]:)")
        set(fault "names a place outside the layer's view")
      elseif(quoted STREQUAL "\"" AND EXISTS "${folder}/${path}")
        set(fault "is found beside the file, not through the layer's view")
      endif()
    else()
      string(REGEX REPLACE "^[ \t]*#[ \t]*include(_next)?[ \t]*" "" shown "${include}")
      set(fault "names its file through a macro, which no check can follow")
    endif()
    if(fault)
      # Its line: the newlines before its first occurrence, plus one.
      file(READ ${file} text)
      string(FIND "${text}" "${include}" offset)
      string(SUBSTRING "${text}" 0 ${offset} before)
      string(REGEX MATCHALL "\n" newlines "${before}")
      list(LENGTH newlines number)
      math(EXPR number "${number} + 1")
      message("${file}:${number}: include ${shown} ${fault}: "
              "name the file in quotes from the repository's top, in this layer or one below it")
      math(EXPR faults "${faults} + 1")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults} include(s) against the layers")
endif()
