#ifndef POSRELAY_PLATFORM_PLATFORM_SERVICES_H
#define POSRELAY_PLATFORM_PLATFORM_SERVICES_H

#include <stddef.h>
#include <string>

// Opaque values handed out by the platform; zero always means "none" or
// "failed". A window handle is an integer so that the logic can set its
// lowest bit when it asks for a window to come to the front.
typedef size_t WindowHandle;
typedef size_t FileHandle;
typedef size_t DeviceHandle;
typedef size_t RegistryKey;
typedef size_t LibraryHandle;
typedef size_t InternetHandle;

// An entry point found in a run-time library; the caller casts it to its
// real type before calling it.
typedef void (*LibraryFunction)();

// Calling convention of the system functions looked up at run time. x86-64
// and ARM compilers accept and ignore it; only 32-bit x86 needs it.
#if defined(_WIN32) || defined(UNDER_CE)
#define POSRELAY_WINAPI __stdcall
#else
#define POSRELAY_WINAPI
#endif

// The launcher's one door to the operating system. The logic reaches the
// handset only through these operations, so the same logic runs on the
// device, on the desktop and on the simulated handset.
class PlatformServices {
 public:
  virtual ~PlatformServices() {}

  // Full path of the launcher's own executable, with backslashes; empty
  // when it cannot be had.
  virtual std::wstring ExecutablePath() = 0;

  // Text files, opened for reading in text mode (a carriage return and line
  // feed pair reads as one line feed).
  virtual FileHandle OpenTextFile(const std::wstring& path) = 0;
  // Reads at most maxBytes bytes, stopping after a line feed. Returns
  // non-zero with the bytes in line, zero at the end of the file.
  virtual int ReadTextLine(FileHandle file, int maxBytes, std::string& line) = 0;
  virtual void CloseTextFile(FileHandle file) = 0;

  // Conversions between UTF-16 text and the system's ANSI code page, with
  // the code page's default handling of what it cannot represent.
  virtual std::wstring AnsiToWide(const std::string& bytes) = 0;
  virtual std::string WideToAnsi(const std::wstring& text) = 0;

  // Devices such as the module's serial port: opened for reading and
  // writing, not shared, existing only. A read returns at once with the
  // bytes that have arrived (0 when none has or the read failed).
  virtual DeviceHandle OpenDevice(const std::wstring& name) = 0;
  virtual int WriteDevice(DeviceHandle device, const char* bytes, int count) = 0;
  virtual int ReadDevice(DeviceHandle device, char* buffer, int capacity) = 0;
  virtual void CloseDevice(DeviceHandle device) = 0;

  // Pauses the one thread.
  virtual void SleepFor(unsigned int milliseconds) = 0;

  // Top-level windows, found by class name alone.
  virtual WindowHandle FindTopWindow(const std::wstring& className) = 0;
  virtual void SetForeground(WindowHandle window) = 0;
  // Queues a message without waiting for it to be handled; non-zero when
  // it was queued.
  virtual int PostWindowMessage(WindowHandle window, unsigned int message, size_t wParam,
                                ptrdiff_t lParam) = 0;

  // Starts a program with a command line; non-zero on success. The new
  // process's handles are not kept.
  virtual int StartProcess(const std::wstring& executable, const std::wstring& commandLine) = 0;

  // Synthesised keys go to whatever window has the focus.
  virtual void SendKeyEvent(unsigned char virtualKey, bool keyUp) = 0;
  // Made before the first and after the last synthesised key; nothing is
  // relied on from either.
  virtual void PreKeyCall() = 0;
  virtual void PostKeyCall() = 0;

  // Registry keys under HKEY_CURRENT_USER, opened with full access and never
  // created.
  virtual RegistryKey OpenCurrentUserKey(const std::wstring& path) = 0;
  virtual int SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) = 0;
  virtual void CloseRegistryKey(RegistryKey key) = 0;

  // Run-time libraries and the functions in them, looked up by name.
  virtual LibraryHandle OpenLibrary(const std::wstring& name) = 0;
  virtual LibraryFunction FindFunction(LibraryHandle library, const std::wstring& name) = 0;
  virtual void ReleaseLibrary(LibraryHandle library) = 0;

  // Internet access, shaped like the WinINet calls of the same names.
  virtual InternetHandle OpenInternet(const std::wstring& agent, unsigned int accessType) = 0;
  virtual int SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                                unsigned int size) = 0;
  virtual InternetHandle OpenInternetUrl(InternetHandle internet, const std::wstring& url) = 0;
  virtual int ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                               unsigned int& bytesRead) = 0;
  virtual int CloseInternetHandle(InternetHandle handle) = 0;

  // A modal message box with an OK button; returns when it is dismissed.
  virtual void ShowMessage(const std::wstring& title, const std::wstring& text) = 0;
  // Ends the host dialog's modal loop, and with it the run.
  virtual void RequestQuit(int exitCode) = 0;

  // The system's code for why the call just made failed (the thread's last
  // error). The launcher never asks; a trace records it beside each failed
  // operation, since a failure in the field is told apart by it.
  virtual unsigned int LastError() = 0;
};

#endif
