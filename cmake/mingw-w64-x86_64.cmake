# Desktop Windows (x86-64) with Debian's mingw-w64 compilers. Wine on these
# machines runs only 64-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${mingw_prefix}-gcc-win32 ${mingw_prefix}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_prefix}-g++-win32 ${mingw_prefix}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every program links its run-time libraries in, since a Wine prefix holds
# none of mingw-w64's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Resource scripts are UTF-8.
set(CMAKE_RC_FLAGS_INIT "-c 65001")
