# Desktop Windows on 32-bit x86 with Debian's mingw-w64 compilers: the build
# closest to the handset that runs here (under Wine, with wine32), with 32-bit
# pointers and handles, a 16-bit wchar_t, Windows' C run-time library, and
# the calling convention of functions looked up at run time mattering.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Doubles are computed in 64 bits, as on the handset, rather than in the x87
# unit's 80 bits, whose extra precision changes the last bits of the datum
# conversion.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
