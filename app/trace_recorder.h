#ifndef POSRELAY_APP_TRACE_RECORDER_H
#define POSRELAY_APP_TRACE_RECORDER_H

#include <string>
#include <vector>

#include "app/run_outcome.h"
#include "platform/platform_services.h"
#include "platform/ras_connection.h"
#include "platform/trace_record.h"

// Where a trace goes, such as a file.
class TraceSink {
 public:
  virtual ~TraceSink() {}
  // Appends bytes; zero when they could not all be written.
  virtual int Append(const char* bytes, std::size_t count) = 0;
  // Makes what was appended last through a reset; zero on failure.
  virtual int Flush() = 0;
};

// The time of each recorded operation.
class TraceClock {
 public:
  virtual ~TraceClock() {}
  // Milliseconds since the run began.
  virtual TraceTime ElapsedMs() = 0;
};

// What the trace's first line says.
struct TraceOrigin {
  const char* system;           // "handset" or "desktop"
  const char* launcherVersion;  // "1.5.0.0"
  unsigned int codePage;        // the system's ANSI code page
};

// Most bytes a trace takes; at this bound it says it was cut and stops.
const std::size_t kTraceLimitBytes = static_cast<std::size_t>(1) << 20;  // 1 MiB

// A platform that passes every call to another and records it, with its
// arguments, results and time, as JSON lines in a sink: a header line, one
// line per operation in the dry run's vocabulary, and the run's outcome at
// the end (Finish). The dial-up functions it hands out are recorded too.
//
// Recording never changes the run: each call reaches the platform once, as
// it was made, and a sink that fails or a trace that reaches its bound only
// ends the recording. The trace is flushed before a message box, which an
// owner may leave on screen while resetting the handset, and at the end.
//
// One recorder at a time: the dial-up functions it hands out reach it
// through a global.
class TraceRecorder : public PlatformServices {
 public:
  TraceRecorder(PlatformServices& platform, TraceSink& sink, TraceClock& clock,
                const TraceOrigin& origin);
  virtual ~TraceRecorder();

  // Records the run's outcome and flushes; called once the run is over.
  void Finish();

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
  virtual int PostWindowMessage(WindowHandle window, unsigned int message, std::size_t wParam,
                                std::ptrdiff_t lParam);
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

  // The dial-up functions as handed out, recording each call.
  unsigned int EnumerateConnections(RasConnectionRecord* records, unsigned int* bufferBytes,
                                    unsigned int* connectionCount);
  unsigned int HangUpConnection(void* connection);

 private:
  struct Connection {
    unsigned int handle;
    std::string entry;  // UTF-8
  };

  TraceRecorder(const TraceRecorder&);
  TraceRecorder& operator=(const TraceRecorder&);

  TraceTime Now() { return clock_.ElapsedMs(); }
  // Writes the operation just recorded, if the trace still takes lines.
  void WriteOperation();
  void Append(const std::string& line);
  void WritePending();
  void FlushTrace();

  PlatformServices& platform_;
  TraceSink& sink_;
  TraceClock& clock_;
  TraceRecord operation_;
  RunOutcome outcome_;
  std::string line_;
  std::string pending_;
  std::size_t traceBytes_;  // what the trace holds so far, written or pending
  bool recording_;          // false once cut or once the sink failed
  bool sinkWorks_;
  std::vector<InternetHandle> urlHandles_;
  RasEnumConnectionsFunction enumerate_;
  RasHangUpFunction hangUp_;
  std::vector<Connection> connections_;
};

// The header: {"format":"posrelay-trace","version":1,...}
void AppendTraceHeader(const TraceOrigin& origin, std::string& line);

#endif
