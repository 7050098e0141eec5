# The program for runs on the simulated handset under Wine: 32-bit like the
# handset where this machine runs 32-bit Windows programs, else the 64-bit
# one, whose runs prove the same calls with wider pointers and handles.
include(${CMAKE_CURRENT_LIST_DIR}/wine_probe.cmake)
posrelay_probe_wine32(wine_runs_32bit wine_probe_answer)
if(wine_runs_32bit)
  set(handset_processor i686)
else()
  set(handset_processor x86_64)
endif()
# A build folder keeps the compilers it was made with: one made for the other
# word size (the answer changed, or POSRELAY_WINE64_ONLY did) is not reused.
if(DEFINED CACHE{CMAKE_CXX_COMPILER}
   AND NOT "$CACHE{CMAKE_CXX_COMPILER}" MATCHES "/${handset_processor}-w64-mingw32-")
  message(FATAL_ERROR "${wine_probe_answer}, but ${CMAKE_BINARY_DIR} was made with "
                      "$CACHE{CMAKE_CXX_COMPILER}: delete that folder and configure again")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-${handset_processor}.cmake)
