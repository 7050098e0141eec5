# The handset: Windows CE 4.20 on ARM, with Visual Studio 2008's device
# compilers, an SDK that Visual Studio accepts and MFC for devices. Used with
# CMake's Visual Studio 9 2008 generator on Windows; the SDK is named by
# CMAKE_GENERATOR_PLATFORM (-A). docs/building.md has this route and the
# other one, eMbedded Visual C++ 4.0 SP4 with the handset's own SDK; neither
# can be run on the project's Linux machines.
set(CMAKE_SYSTEM_NAME WindowsCE)
set(CMAKE_SYSTEM_VERSION 4.20)
set(CMAKE_SYSTEM_PROCESSOR arm)

# CMake defines UNDER_CE and _WIN32_WCE=0x420 from the above; the wide
# character set is the project's to choose, as on the desktop's -municode.
set(CMAKE_CXX_FLAGS_INIT "/DUNICODE /D_UNICODE")

# The C run-time library linked in statically (/MT) in every target, as
# static MFC requires: the handset then needs no run-time DLLs beside
# posrelay.exe.
set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
