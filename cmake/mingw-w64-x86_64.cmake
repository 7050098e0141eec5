# Desktop Windows on x86-64 with Debian's mingw-w64 compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
