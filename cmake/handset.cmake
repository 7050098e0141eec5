# posrelay.exe on the handset, as each route that builds or checks it sees
# it: its sources, its definitions beside the Windows CE version's, and its
# libraries beside the system's and MFC's. The device-branch check compiles
# these sources; the makefile of eMbedded Visual C++ 4.0's command-line tools
# (route 1 in docs/building.md) is written from all three.

# Windows CE 4.20, as eVC4's projects write it in UNDER_CE and _WIN32_WCE.
set(POSRELAY_HANDSET_CE_VERSION 420)
set(POSRELAY_HANDSET_DEFINES UNICODE _UNICODE)
set(POSRELAY_HANDSET_LIBRARIES wininet)

# The production layers, the Windows platform and the program's shell, not
# the desktop's stand-in for MFC; full paths, in the order of their layers.
function(posrelay_handset_sources out)
  get_property(sources GLOBAL PROPERTY POSRELAY_PRODUCTION_SOURCES)
  get_property(shell GLOBAL PROPERTY POSRELAY_SHELL_SOURCES)
  list(APPEND sources ${PROJECT_SOURCE_DIR}/platform/win32/win32_platform.cpp ${shell})
  list(REMOVE_DUPLICATES sources)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# The NMAKE makefile of eVC4's ARMV4 tools (clarm.exe, rc.exe, link.exe),
# run from the repository's top folder: the handset's sources and resource
# script, compiled as C++ without exceptions or type information (no /GX, no
# /GR) and for size, with MFC and the C run-time library linked statically
# (no _AFXDLL: MFC's headers name its static library to the linker). Every
# object depends on every header of the handset's folders, since NMAKE
# follows no includes. Lines end in CR LF, as Windows' tools of that time
# expect.
function(posrelay_write_evc4_makefile path)
  posrelay_handset_sources(sources)
  set(definitions UNDER_CE=$(CEVERSION) _WIN32_WCE=$(CEVERSION) ${POSRELAY_HANDSET_DEFINES}
                  ARM _ARM_ ARMV4 NDEBUG)
  list(TRANSFORM definitions PREPEND "/D " OUTPUT_VARIABLE compiler_definitions)
  list(TRANSFORM definitions PREPEND "/d " OUTPUT_VARIABLE resource_definitions)
  list(JOIN compiler_definitions " " compiler_definitions)
  list(JOIN resource_definitions " " resource_definitions)
  set(libraries ${POSRELAY_HANDSET_LIBRARIES} coredll corelibc)
  list(TRANSFORM libraries APPEND .lib)
  list(JOIN libraries " " libraries)

  set(headers)
  foreach(folder IN ITEMS platform platform/win32 text settings position mapctl trace app shell shell/res)
    file(GLOB folder_headers RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND headers ${folder_headers})
  endforeach()
  list(SORT headers)
  list(TRANSFORM headers REPLACE "/" "\\\\")
  list(TRANSFORM headers PREPEND "\t")
  list(JOIN headers " \\\n" headers)

  set(objects)
  set(rules)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
    string(MAKE_C_IDENTIFIER ${name} object)
    string(REPLACE "/" "\\" name ${name})
    string(REGEX REPLACE "_cpp$" ".obj" object ${object})
    string(APPEND objects " \\\n\t$(OUTDIR)\\${object}")
    string(APPEND rules "\n$(OUTDIR)\\${object}: ${name} $(HEADERS)\n"
                        "\t$(CPP) $(CPP_FLAGS) /Fo$@ ${name}\n")
  endforeach()

  string(CONCAT text
    "# posrelay.exe for the handset, with eMbedded Visual C++ 4.0 SP4 and the\n"
    "# handset's Windows CE 4.2 SDK (ARMV4). In a command prompt set up by\n"
    "# eVC4's WCEARMV4.BAT, in the repository's top folder:\n"
    "#\n"
    "#   nmake /f posrelay-evc4.mak\n"
    "#\n"
    "# makes build\\evc4\\posrelay.exe; \"nmake /f posrelay-evc4.mak clean\" removes\n"
    "# build\\evc4. Written by CMake (cmake/handset.cmake) from the handset build's\n"
    "# sources, definitions and libraries: change those, not this file.\n"
    "# docs/building.md has the steps.\n"
    "\n"
    "OUTDIR = build\\evc4\n"
    "CEVERSION = ${POSRELAY_HANDSET_CE_VERSION}\n"
    "\n"
    "CPP = clarm.exe\n"
    "RSC = rc.exe\n"
    "LINK32 = link.exe\n"
    "\n"
    "CPP_FLAGS = /nologo /W3 /O1 /I. ${compiler_definitions} /c\n"
    "RSC_FLAGS = /l 0x411 /I. ${resource_definitions} /r\n"
    "LINK_FLAGS = /nologo /subsystem:windowsce,4.20 /machine:ARM /entry:wWinMainCRTStartup \\\n"
    "\t/base:0x00010000 /stack:0x10000,0x1000 /align:4096 /incremental:no \\\n"
    "\t/nodefaultlib:libc.lib /nodefaultlib:libcd.lib /nodefaultlib:libcmt.lib \\\n"
    "\t/nodefaultlib:libcmtd.lib /nodefaultlib:msvcrt.lib /nodefaultlib:msvcrtd.lib\n"
    "LIBS = ${libraries}\n"
    "\n"
    "HEADERS = \\\n${headers}\n"
    "\n"
    "OBJS =${objects}\n"
    "\n"
    "all: $(OUTDIR)\\posrelay.exe\n"
    "\n"
    "$(OUTDIR):\n"
    "\tif not exist $(OUTDIR)\\nul mkdir $(OUTDIR)\n"
    "\n"
    "$(OUTDIR)\\posrelay.exe: $(OUTDIR) $(OBJS) $(OUTDIR)\\posrelay.res\n"
    "\t$(LINK32) @<<\n"
    "$(LINK_FLAGS) /out:$@ $(OBJS) $(OUTDIR)\\posrelay.res $(LIBS)\n"
    "<<\n"
    "${rules}"
    "\n"
    "$(OUTDIR)\\posrelay.res: shell\\res\\posrelay.rc shell\\res\\posrelay.ico $(HEADERS)\n"
    "\t$(RSC) $(RSC_FLAGS) /fo$@ shell\\res\\posrelay.rc\n"
    "\n"
    "clean:\n"
    "\t-if exist $(OUTDIR)\\nul rmdir /s /q $(OUTDIR)\n")
  file(CONFIGURE OUTPUT ${path} CONTENT "${text}" @ONLY NEWLINE_STYLE CRLF)
endfunction()
