# What the desktop Windows toolchains share: Debian's mingw-w64 compilers for
# the target named by mingw_prefix, set by the toolchain file that includes
# this one.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${mingw_prefix}-gcc-win32 ${mingw_prefix}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_prefix}-g++-win32 ${mingw_prefix}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every program and library links its run-time libraries in, since a Wine
# prefix holds none of mingw-w64's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
