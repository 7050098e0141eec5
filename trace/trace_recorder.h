#ifndef POSRELAY_TRACE_TRACE_RECORDER_H
#define POSRELAY_TRACE_TRACE_RECORDER_H

#include <string>
#include <vector>

#include "platform/platform_services.h"
#include "platform/ras_connection.h"
#include "trace/run_outcome.h"
#include "trace/trace_record.h"

// Where a recorder's operations go: a trace file, the simulated handset's
// timeline, a replay's comparison with a recorded run.
class TraceSink {
 public:
  virtual ~TraceSink() {}
  // One operation, just made; `event` lies in `record`.
  virtual void Take(const TraceRecord& record, const TraceEvent& event) = 0;
  // The launcher is about to wait anyway: a pause begins, a message box is
  // shown or the run is over. Only here may a sink spend time, so that a
  // traced run makes its calls as an untraced one does: never between a
  // command and the read that follows it, nor between a key's down and up.
  virtual void WriteOut() {}
};

// The time of each recorded operation.
class TraceClock {
 public:
  virtual ~TraceClock() {}
  // Milliseconds since the run began.
  virtual TraceTime ElapsedMs() = 0;
};

// A platform that passes every call to another and records it, with its
// arguments, results, time and, when it failed, the system's error code, in
// the vocabulary of trace/trace_operations.h; the dial-up functions it
// hands out are recorded too, the listing with each connection it gave.
// Finish adds the run's outcome. The same recorder traces runs on the
// device, makes the simulated handset's timeline and checks replays.
//
// Recording never changes the run: each call reaches the platform once, as
// it was made, but for a pause, which the write-out at its start shortens
// by the time the write took.
//
// The dial-up functions it hands out reach it through a global: one
// recorder at a time, or one wrapped around another made before it.
class TraceRecorder : public PlatformServices {
 public:
  TraceRecorder(PlatformServices& platform, TraceClock& clock, TraceSink& sink);
  virtual ~TraceRecorder();

  // Records the run's outcome and writes out; called once the run is over.
  void Finish();
  // Starts over for a new run on the same platform, sink and clock.
  void Restart();

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
  // The system's code for a call that failed, 0 for one that did not.
  unsigned int ErrorIf(bool failed) { return failed ? platform_.LastError() : 0; }
  // Hands the operation just recorded to the sink.
  void Emit();

  PlatformServices& platform_;
  TraceClock& clock_;
  TraceSink& sink_;
  // The recorder active before this one, whose dial-up functions this one's
  // call when it is wrapped around it.
  TraceRecorder* const wrapped_;
  TraceRecord operation_;
  RunOutcome outcome_;
  RasEnumConnectionsFunction enumerate_;
  RasHangUpFunction hangUp_;
  std::vector<Connection> connections_;
  // The bytes of the write or read being recorded, in room kept from one
  // to the next.
  std::string bytes_;
};

// A whole run on a platform, such as the launch sequence.
typedef void (*RecordedRun)(PlatformServices& platform);

// Makes `run` under `recorder`, then records the run's end. Traced runs on
// the device, the simulated handset's and replays are all recorded so.
void RecordRun(RecordedRun run, TraceRecorder& recorder);
// The same under a recorder wrapped around `platform`: each call `run`
// makes, timed by `clock`, and then the run's end go to `sink`.
void RecordRun(RecordedRun run, PlatformServices& platform, TraceClock& clock, TraceSink& sink);

#endif
