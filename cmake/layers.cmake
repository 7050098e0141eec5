# Each folder is a library over the layers below it, and may include only
# their headers and its own. Its sources see the tree through a view: a
# folder of links to just those folders, so that an include the wrong way
# ("app/..." from position/) names a file that is not there and fails to
# compile. A folder inside a layer's folder that has its own CMakeLists.txt
# (platform/win32) is a layer of its own: it is left out of the view of the
# folder around it. Executables and tests above every layer include from the
# tree itself.
#
# Two ways round the view fail the build too: an include that climbs out of
# it ("../app/...", or a path from the file system's root) and a quoted
# include found beside the including file, which the compiler takes before
# the view (cmake/check_includes.cmake checks each layer's files before its
# sources compile). And on the host each header of a layer is compiled on its
# own against the layer's view, twice over, so that a header that leans on
# what its includers included before it, or lacks its include guard, fails
# as its library builds.
#
#   posrelay_layer(<library> FOLDER <folder> [PRODUCTION]
#                  [USES <lower libraries>...] SOURCES <sources>...
#                  [HEADERS <headers>...])
#
# PRODUCTION: the device build's code, built without exceptions and run-time
# type information, and listed in POSRELAY_PRODUCTION_SOURCES for the C++03
# and device checks; its headers are compiled on their own as C++03.
# HEADERS: the library's own headers, in its folder, when not every header of
# the folder is
# (the program's shell keeps its headers in app/).
function(posrelay_layer library)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PRODUCTION" "FOLDER" "USES;SOURCES;HEADERS")
  add_library(${library} STATIC ${arg_SOURCES})
  target_link_libraries(${library} PUBLIC ${arg_USES})

  set(folders ${arg_FOLDER})
  foreach(lower IN LISTS arg_USES)
    get_target_property(lower_folders ${lower} POSRELAY_LAYER_FOLDERS)
    list(APPEND folders ${lower_folders})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  # A folder's link before those of the folders inside it.
  list(SORT folders)
  set_target_properties(${library} PROPERTIES POSRELAY_LAYER_FOLDERS "${folders}")
  posrelay_layer_view(${library} "${folders}")
  posrelay_layer_include_check(${library} ${arg_FOLDER})

  if(arg_PRODUCTION)
    target_compile_options(${library} PRIVATE ${POSRELAY_PRODUCTION_OPTIONS})
    # File by file in every build, as on the handset: each source's includes
    # are its own, and clang-tidy finds each in the compile commands.
    set_target_properties(${library} PROPERTIES UNITY_BUILD OFF)
    foreach(source IN LISTS arg_SOURCES)
      set_property(GLOBAL APPEND PROPERTY POSRELAY_PRODUCTION_SOURCES
                   ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endforeach()
  endif()

  if(NOT arg_HEADERS)
    file(GLOB arg_HEADERS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${arg_FOLDER}
         ${PROJECT_SOURCE_DIR}/${arg_FOLDER}/*.h)
  endif()
  # Once per machine is enough: the host preset, which runs the static checks.
  if(POSRELAY_STATIC_CHECKS AND NOT CMAKE_CROSSCOMPILING AND arg_HEADERS)
    posrelay_layer_header_check(${library} ${arg_FOLDER} "${arg_HEADERS}" ${arg_PRODUCTION})
  endif()
endfunction()

# The folders inside <folder> that are layers of their own.
function(posrelay_inner_layers folder out)
  file(GLOB entries LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/${folder}/*)
  set(inner)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
      list(APPEND inner ${entry})
    endif()
  endforeach()
  set(${out} ${inner} PARENT_SCOPE)
endfunction()

# The view of <library>: made anew at each configure run, so that a folder
# dropped from its layers is gone from it too. A folder with layers inside it
# is seen entry by entry, without those; an entry added to it later makes
# the build configure again. Where links cannot be made (Windows without the
# right to make them), the configure fails: a build that saw the whole tree
# would not check the layers.
function(posrelay_layer_view library folders)
  set(view ${PROJECT_BINARY_DIR}/layers/${library})
  file(REMOVE_RECURSE ${view})
  foreach(folder IN LISTS folders)
    posrelay_inner_layers(${folder} inner)
    if(inner)
      file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/${folder}/*)
      list(REMOVE_ITEM entries ${inner})
      file(MAKE_DIRECTORY ${view}/${folder})
    else()
      set(entries ${PROJECT_SOURCE_DIR}/${folder})
    endif()
    foreach(entry IN LISTS entries)
      file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${entry})
      get_filename_component(parent ${view}/${name} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      # A folder inside one already linked is seen through that link.
      if(NOT EXISTS ${view}/${name})
        file(CREATE_LINK ${entry} ${view}/${name} RESULT failed SYMBOLIC)
        if(failed)
          message(FATAL_ERROR "${library}: no link could be made in ${view} (${failed}), "
                              "so its layers could not be checked. On Windows, turn on "
                              "Developer Mode or configure as an administrator.")
        endif()
      endif()
    endforeach()
  endforeach()
  target_include_directories(${library} PRIVATE ${view})
endfunction()

# The includes of every file of <folder> (its inner layers excepted) checked
# before <library>'s sources and headers compile, whenever one of those files
# changes: whatever a file's name ends in, an include may name it. Only the
# files of other languages are left out: the build's own and scripts.
function(posrelay_layer_include_check library folder)
  posrelay_inner_layers(${folder} inner)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*)
  list(FILTER files EXCLUDE REGEX "(/CMakeLists\\.txt|\\.cmake|\\.py)$")
  foreach(layer IN LISTS inner)
    list(FILTER files EXCLUDE REGEX "^${layer}/")
  endforeach()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${library}_includes.stamp)
  set(script ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -P ${script} -- ${files}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${script} ${files}
    COMMENT "Checking the includes of ${folder}/" VERBATIM)
  add_custom_target(${library}_includes DEPENDS ${stamp})
  add_dependencies(${library} ${library}_includes)
endfunction()

# Each of <headers> compiled on its own, twice in one unit, with everything
# <library> compiles with, beside <library>'s own sources rather than before
# them, so that the checks cost the build no order.
function(posrelay_layer_header_check library folder headers production)
  set(units)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER ${header} unit)
    set(unit ${CMAKE_CURRENT_BINARY_DIR}/${library}_headers/${unit}.cpp)
    set(line "#include \"${folder}/${header}\"\n")
    file(CONFIGURE OUTPUT ${unit} CONTENT "${line}${line}")
    list(APPEND units ${unit})
  endforeach()
  add_library(${library}_headers OBJECT ${units})
  set_target_properties(${library}_headers PROPERTIES UNITY_BUILD OFF)
  foreach(property IN ITEMS INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
    set_property(TARGET ${library}_headers PROPERTY ${property}
                 $<TARGET_PROPERTY:${library},${property}>)
  endforeach()
  if(production)
    # What the device compilers take.
    set_target_properties(${library}_headers PROPERTIES CXX_STANDARD 98)
    if(NOT MSVC)
      target_compile_options(${library}_headers PRIVATE -pedantic)
    endif()
  endif()
  add_dependencies(${library}_headers ${library}_includes)
endfunction()
