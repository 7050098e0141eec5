# posrelay.exe for the handset, with eMbedded Visual C++ 4.0 SP4 and the
# handset's Windows CE 4.2 SDK (ARMV4). In a command prompt set up by
# eVC4's WCEARMV4.BAT, in the repository's top folder:
#
#   nmake /f posrelay-evc4.mak
#
# makes build\evc4\posrelay.exe; "nmake /f posrelay-evc4.mak clean" removes
# build\evc4. Written by CMake (cmake/handset.cmake) from the handset build's
# sources, definitions and libraries: change those, not this file.
# docs/building.md has the steps.

OUTDIR = build\evc4
CEVERSION = 420

CPP = clarm.exe
RSC = rc.exe
LINK32 = link.exe

CPP_FLAGS = /nologo /W3 /O1 /I. /D UNDER_CE=$(CEVERSION) /D _WIN32_WCE=$(CEVERSION) /D UNICODE /D _UNICODE /D ARM /D _ARM_ /D ARMV4 /D NDEBUG /c
RSC_FLAGS = /l 0x411 /I. /d UNDER_CE=$(CEVERSION) /d _WIN32_WCE=$(CEVERSION) /d UNICODE /d _UNICODE /d ARM /d _ARM_ /d ARMV4 /d NDEBUG /r
LINK_FLAGS = /nologo /subsystem:windowsce,4.20 /machine:ARM /entry:wWinMainCRTStartup \
	/base:0x00010000 /stack:0x10000,0x1000 /align:4096 /incremental:no \
	/nodefaultlib:libc.lib /nodefaultlib:libcd.lib /nodefaultlib:libcmt.lib \
	/nodefaultlib:libcmtd.lib /nodefaultlib:msvcrt.lib /nodefaultlib:msvcrtd.lib
LIBS = wininet.lib coredll.lib corelibc.lib

HEADERS = \
	app\launch_sequence.h \
	app\launcher_messages.h \
	mapctl\connectivity_probe.h \
	mapctl\fixed_decimal.h \
	mapctl\map_application.h \
	mapctl\zoom_and_clear.h \
	platform\pause.h \
	platform\platform_services.h \
	platform\ras_connection.h \
	platform\system_errors.h \
	platform\win32\win32_platform.h \
	position\data_connection.h \
	position\datum_conversion.h \
	position\geo_position.h \
	position\position_query.h \
	position\position_reply.h \
	position\serial_channel.h \
	settings\launcher_settings.h \
	settings\settings_file.h \
	shell\framework.h \
	shell\launcher_app.h \
	shell\launcher_dlg.h \
	shell\mini_framework.h \
	shell\res\resource.h \
	shell\res\version.h \
	shell\trace_file.h \
	shell\traced_launch.h \
	text\read_integer.h \
	trace\hex_text.h \
	trace\run_outcome.h \
	trace\trace_operations.h \
	trace\trace_record.h \
	trace\trace_recorder.h \
	trace\trace_vocabulary.h \
	trace\trace_writer.h \
	trace\utf8_text.h

OBJS = \
	$(OUTDIR)\platform_pause.obj \
	$(OUTDIR)\text_read_integer.obj \
	$(OUTDIR)\settings_launcher_settings.obj \
	$(OUTDIR)\settings_settings_file.obj \
	$(OUTDIR)\position_data_connection.obj \
	$(OUTDIR)\position_datum_conversion.obj \
	$(OUTDIR)\position_position_query.obj \
	$(OUTDIR)\position_position_reply.obj \
	$(OUTDIR)\position_serial_channel.obj \
	$(OUTDIR)\mapctl_connectivity_probe.obj \
	$(OUTDIR)\mapctl_fixed_decimal.obj \
	$(OUTDIR)\mapctl_map_application.obj \
	$(OUTDIR)\mapctl_zoom_and_clear.obj \
	$(OUTDIR)\trace_hex_text.obj \
	$(OUTDIR)\trace_run_outcome.obj \
	$(OUTDIR)\trace_trace_operations.obj \
	$(OUTDIR)\trace_trace_record.obj \
	$(OUTDIR)\trace_trace_recorder.obj \
	$(OUTDIR)\trace_trace_writer.obj \
	$(OUTDIR)\trace_utf8_text.obj \
	$(OUTDIR)\app_launch_sequence.obj \
	$(OUTDIR)\platform_win32_win32_platform.obj \
	$(OUTDIR)\shell_launcher_app.obj \
	$(OUTDIR)\shell_launcher_dlg.obj \
	$(OUTDIR)\shell_trace_file.obj \
	$(OUTDIR)\shell_traced_launch.obj

all: $(OUTDIR)\posrelay.exe

$(OUTDIR):
	if not exist $(OUTDIR)\nul mkdir $(OUTDIR)

$(OUTDIR)\posrelay.exe: $(OUTDIR) $(OBJS) $(OUTDIR)\posrelay.res
	$(LINK32) @<<
$(LINK_FLAGS) /out:$@ $(OBJS) $(OUTDIR)\posrelay.res $(LIBS)
<<

$(OUTDIR)\platform_pause.obj: platform\pause.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ platform\pause.cpp

$(OUTDIR)\text_read_integer.obj: text\read_integer.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ text\read_integer.cpp

$(OUTDIR)\settings_launcher_settings.obj: settings\launcher_settings.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ settings\launcher_settings.cpp

$(OUTDIR)\settings_settings_file.obj: settings\settings_file.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ settings\settings_file.cpp

$(OUTDIR)\position_data_connection.obj: position\data_connection.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ position\data_connection.cpp

$(OUTDIR)\position_datum_conversion.obj: position\datum_conversion.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ position\datum_conversion.cpp

$(OUTDIR)\position_position_query.obj: position\position_query.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ position\position_query.cpp

$(OUTDIR)\position_position_reply.obj: position\position_reply.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ position\position_reply.cpp

$(OUTDIR)\position_serial_channel.obj: position\serial_channel.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ position\serial_channel.cpp

$(OUTDIR)\mapctl_connectivity_probe.obj: mapctl\connectivity_probe.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ mapctl\connectivity_probe.cpp

$(OUTDIR)\mapctl_fixed_decimal.obj: mapctl\fixed_decimal.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ mapctl\fixed_decimal.cpp

$(OUTDIR)\mapctl_map_application.obj: mapctl\map_application.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ mapctl\map_application.cpp

$(OUTDIR)\mapctl_zoom_and_clear.obj: mapctl\zoom_and_clear.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ mapctl\zoom_and_clear.cpp

$(OUTDIR)\trace_hex_text.obj: trace\hex_text.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\hex_text.cpp

$(OUTDIR)\trace_run_outcome.obj: trace\run_outcome.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\run_outcome.cpp

$(OUTDIR)\trace_trace_operations.obj: trace\trace_operations.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\trace_operations.cpp

$(OUTDIR)\trace_trace_record.obj: trace\trace_record.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\trace_record.cpp

$(OUTDIR)\trace_trace_recorder.obj: trace\trace_recorder.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\trace_recorder.cpp

$(OUTDIR)\trace_trace_writer.obj: trace\trace_writer.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\trace_writer.cpp

$(OUTDIR)\trace_utf8_text.obj: trace\utf8_text.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ trace\utf8_text.cpp

$(OUTDIR)\app_launch_sequence.obj: app\launch_sequence.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ app\launch_sequence.cpp

$(OUTDIR)\platform_win32_win32_platform.obj: platform\win32\win32_platform.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ platform\win32\win32_platform.cpp

$(OUTDIR)\shell_launcher_app.obj: shell\launcher_app.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ shell\launcher_app.cpp

$(OUTDIR)\shell_launcher_dlg.obj: shell\launcher_dlg.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ shell\launcher_dlg.cpp

$(OUTDIR)\shell_trace_file.obj: shell\trace_file.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ shell\trace_file.cpp

$(OUTDIR)\shell_traced_launch.obj: shell\traced_launch.cpp $(HEADERS)
	$(CPP) $(CPP_FLAGS) /Fo$@ shell\traced_launch.cpp

$(OUTDIR)\posrelay.res: shell\res\posrelay.rc shell\res\posrelay.ico $(HEADERS)
	$(RSC) $(RSC_FLAGS) /fo$@ shell\res\posrelay.rc

clean:
	-if exist $(OUTDIR)\nul rmdir /s /q $(OUTDIR)
