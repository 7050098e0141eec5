# Each folder is a library over the layers below it, and may include only
# their headers and its own. Its sources see the tree through a view: a
# folder of links to just those folders, so that an include the wrong way
# ("app/..." from position/) names a file that is not there and fails to
# compile. Executables and tests above every layer include from the tree
# itself.
#
#   posrelay_layer(<library> FOLDER <folder> [PRODUCTION]
#                  [USES <lower libraries>...] SOURCES <sources>...)
#
# PRODUCTION: the device build's code, built without exceptions and run-time
# type information, and listed in POSRELAY_PRODUCTION_SOURCES for the C++03
# and device checks.
function(posrelay_layer library)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PRODUCTION" "FOLDER" "USES;SOURCES")
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

  if(arg_PRODUCTION)
    target_compile_options(${library} PRIVATE ${POSRELAY_PRODUCTION_OPTIONS})
    foreach(source IN LISTS arg_SOURCES)
      set_property(GLOBAL APPEND PROPERTY POSRELAY_PRODUCTION_SOURCES
                   ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endforeach()
  endif()
endfunction()

# The view of <library>: made anew at each configure run, so that a folder
# dropped from its layers is gone from it too. Where links cannot be made
# (Windows without the right to make them), the library sees the whole tree
# and the layers go unchecked there.
function(posrelay_layer_view library folders)
  set(view ${PROJECT_BINARY_DIR}/layers/${library})
  file(REMOVE_RECURSE ${view})
  foreach(folder IN LISTS folders)
    get_filename_component(parent ${view}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    # A folder inside one already linked is seen through that link.
    if(NOT EXISTS ${view}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} RESULT failed SYMBOLIC)
      if(failed)
        message(STATUS "${library}: layers not checked (${failed})")
        target_include_directories(${library} PRIVATE ${PROJECT_SOURCE_DIR})
        return()
      endif()
    endif()
  endforeach()
  target_include_directories(${library} PRIVATE ${view})
endfunction()
