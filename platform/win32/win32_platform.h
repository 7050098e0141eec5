#ifndef POSRELAY_PLATFORM_WIN32_WIN32_PLATFORM_H
#define POSRELAY_PLATFORM_WIN32_WIN32_PLATFORM_H

#include "platform/platform_services.h"

// The launcher's platform on Windows: Windows CE on the handset, Windows on
// the desktop. Each operation is the Win32 call of the same purpose; the few
// places where the two systems differ are marked UNDER_CE in the source.
class Win32Platform : public PlatformServices {
 public:
  // `hostWindow` owns the message boxes; 0 when there is no host window.
  explicit Win32Platform(WindowHandle hostWindow);

  virtual std::wstring ExecutablePath();

  virtual FileHandle OpenTextFile(const std::wstring& path);
  virtual int ReadTextLine(FileHandle file, int maxBytes, std::string& line);
  virtual void CloseTextFile(FileHandle file);

  virtual std::wstring AnsiToWide(const std::string& bytes);
  virtual std::string WideToAnsi(const std::wstring& text);

  virtual DeviceHandle OpenDevice(const std::wstring& name);
  virtual int WriteDevice(DeviceHandle device, const char* bytes, int count);
  virtual int ReadDevice(DeviceHandle device, char* buffer, int capacity);
  virtual void CloseDevice(DeviceHandle device);

  virtual void SleepFor(unsigned int milliseconds);

  virtual WindowHandle FindTopWindow(const std::wstring& className);
  virtual void SetForeground(WindowHandle window);
  virtual int PostWindowMessage(WindowHandle window, unsigned int message, size_t wParam,
                                ptrdiff_t lParam);

  virtual int StartProcess(const std::wstring& executable, const std::wstring& commandLine);

  virtual void SendKeyEvent(unsigned char virtualKey, bool keyUp);
  virtual void PreKeyCall();
  virtual void PostKeyCall();

  virtual RegistryKey OpenCurrentUserKey(const std::wstring& path);
  virtual int SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value);
  virtual void CloseRegistryKey(RegistryKey key);

  virtual LibraryHandle OpenLibrary(const std::wstring& name);
  virtual LibraryFunction FindFunction(LibraryHandle library, const std::wstring& name);
  virtual void ReleaseLibrary(LibraryHandle library);

  virtual InternetHandle OpenInternet(const std::wstring& agent, unsigned int accessType);
  virtual int SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                                unsigned int size);
  virtual InternetHandle OpenInternetUrl(InternetHandle internet, const std::wstring& url);
  virtual int ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                               unsigned int& bytesRead);
  virtual int CloseInternetHandle(InternetHandle handle);

  virtual void ShowMessage(const std::wstring& title, const std::wstring& text);
  virtual void RequestQuit(int exitCode);
  virtual unsigned int LastError();

 private:
  WindowHandle hostWindow_;
};

#endif
