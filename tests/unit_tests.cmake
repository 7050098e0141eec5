# The unit tests of the logic on the simulated handset: built for the host
# (tests/) and by the Windows compiler (tests/wine/).
set(POSRELAY_UNIT_TESTS
  bounded_runs_test.cpp
  data_connection_test.cpp
  datum_conversion_test.cpp
  faulty_handset_test.cpp
  fixed_decimal_test.cpp
  handset_trace.cpp
  launch_sequence_test.cpp
  map_actions_test.cpp
  map_application_test.cpp
  position_query_test.cpp
  read_integer_test.cpp
  serial_channel_test.cpp
  settings_file_test.cpp
  simulated_handset_test.cpp
  trace_record_test.cpp
  test_helpers.cpp
  trace_recorder_test.cpp)
list(TRANSFORM POSRELAY_UNIT_TESTS PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
# The handset that sees the list handed to the system derives from the
# simulated one, whose production recorder has no type information.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/data_connection_test.cpp PROPERTIES
  COMPILE_OPTIONS -fno-rtti)
