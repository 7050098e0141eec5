# The Python tests and the runs under Wine import the Wine harness's modules
# (wine_harness/) and the build's scripts (tools/) by name: CTest, and the
# configure where it runs them, put those folders on their path, so that no
# script reaches for them by hand.
set(POSRELAY_PYTHONPATH ${PROJECT_SOURCE_DIR}/wine_harness:${PROJECT_SOURCE_DIR}/tools)

#   posrelay_python_tests(<test>...)
function(posrelay_python_tests)
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
               PYTHONPATH=path_list_prepend:${POSRELAY_PYTHONPATH})
endfunction()
