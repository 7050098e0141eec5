#ifndef POSRELAY_REPLAY_TRACE_PLAYER_H
#define POSRELAY_REPLAY_TRACE_PLAYER_H

#include <cstdint>
#include <set>
#include <string>

#include "platform/platform_services.h"
#include "platform/ras_connection.h"
#include "trace/trace_operations.h"
#include "trace/trace_record.h"
#include "trace/trace_recorder.h"

// A platform that plays a recorded run back to the launcher, as a cassette
// answers a test's requests: each call gets the results of the next
// recorded operation of its kind, the handles it handed out among them.
// Time is virtual: only the launcher's own pauses advance it.
//
// The recorder that traces runs is wrapped around the player, and the
// player is also where that recorder's operations go: each is checked there,
// in one place, against the recorded one, every argument the launcher
// passed (texts, sizes, handles, the dial-up listing's record) and finally
// the run's end, its outcome and its position to the last bit. The first
// operation that differs, or that finds the trace at its end, stops the
// replay: from there on every call fails or finds nothing, so that the
// launcher ends its run quickly, and nothing more is compared.
//
// Only one player may exist at a time on a thread: the dial-up functions it
// hands out are plain functions that act on it.
class TracePlayer : public PlatformServices, public TraceSink, public TraceClock {
 public:
  // `recorded`: the trace's operations, of trace format `version`. `end`:
  // its end line, or empty. `cut`: the trace stops after `recorded`, so that
  // a call beyond the last one ends the replay without diverging.
  TracePlayer(const TraceRecord& recorded, const TraceRecord& end, bool cut, int version);
  ~TracePlayer() override;
  TracePlayer(const TracePlayer&) = delete;
  TracePlayer& operator=(const TracePlayer&) = delete;

  // The operations that matched, each at the virtual time of the call.
  const TraceRecord& Replayed() const { return replayed_; }
  std::uint64_t NowMs() const { return now_; }
  // Recorded operations played so far.
  std::size_t Played() const { return next_; }
  bool Diverged() const { return diverged_; }
  // Whether the end line was reached and matched.
  bool EndMatched() const { return endMatched_; }
  // The launcher's operation where it diverged, with what it passed (the
  // whole end line when the run's end differs); none when the launcher had
  // ended its run while the trace went on.
  const TraceRecord& DivergentCall() const { return divergentCall_; }

  // Runs the launch sequence once against the trace, under the recorder of
  // real runs wrapped around this player, which hands it every call and at
  // last the run's end line to check; operations left over in the trace are
  // a divergence too.
  void PlayLaunchSequence();
  // The same under a recorder of the caller's, wrapped around this player.
  void PlayLaunchSequence(TraceRecorder& recorder);

  void Take(const TraceRecord& record, const TraceEvent& event) override;
  TraceTime ElapsedMs() override { return now_; }

  std::wstring ExecutablePath() override;
  FileHandle OpenTextFile(const std::wstring& path) override;
  int ReadTextLine(FileHandle file, int maxBytes, std::string& line) override;
  void CloseTextFile(FileHandle file) override;
  std::wstring AnsiToWide(const std::string& bytes) override;
  std::string WideToAnsi(const std::wstring& text) override;
  DeviceHandle OpenDevice(const std::wstring& name) override;
  int WriteDevice(DeviceHandle device, const char* bytes, int count) override;
  int ReadDevice(DeviceHandle device, char* buffer, int capacity) override;
  void CloseDevice(DeviceHandle device) override;
  void SleepFor(unsigned int milliseconds) override;
  WindowHandle FindTopWindow(const std::wstring& className) override;
  void SetForeground(WindowHandle window) override;
  int PostWindowMessage(WindowHandle window, unsigned int message, std::size_t wParam,
                        std::ptrdiff_t lParam) override;
  int StartProcess(const std::wstring& executable, const std::wstring& commandLine) override;
  void SendKeyEvent(unsigned char virtualKey, bool keyUp) override;
  void PreKeyCall() override;
  void PostKeyCall() override;
  RegistryKey OpenCurrentUserKey(const std::wstring& path) override;
  int SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) override;
  void CloseRegistryKey(RegistryKey key) override;
  LibraryHandle OpenLibrary(const std::wstring& name) override;
  LibraryFunction FindFunction(LibraryHandle library, const std::wstring& name) override;
  void ReleaseLibrary(LibraryHandle library) override;
  InternetHandle OpenInternet(const std::wstring& agent, unsigned int accessType) override;
  int SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                        unsigned int size) override;
  InternetHandle OpenInternetUrl(InternetHandle internet, const std::wstring& url) override;
  int ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                       unsigned int& bytesRead) override;
  int CloseInternetHandle(InternetHandle handle) override;
  void ShowMessage(const std::wstring& title, const std::wstring& text) override;
  void RequestQuit(int exitCode) override;
  unsigned int LastError() override;

  unsigned int EnumerateConnections(RasConnectionRecord* records, unsigned int* bufferBytes,
                                    unsigned int* connectionCount);
  unsigned int HangUpConnection(void* connection);

 private:
  // The recorded operation that answers a call of `op`: the next one, while
  // the replay goes on and it is of that kind; null otherwise.
  const TraceEvent* Answer(TraceOp op);
  void Diverge(const TraceRecord& record, const TraceEvent& event);
  TraceNumber Number(const char* name) const;
  bool Ok() const { return Number(kFieldOk) != 0; }
  std::string Text(const char* name) const;
  // The handle the trace says a call got, or one of the player's own for a
  // trace that does not say.
  std::size_t Handle();
  void FillConnections(RasConnectionRecord* records, std::size_t capacity, std::size_t count);

  const TraceRecord& recorded_;
  const TraceRecord& end_;
  const bool cut_;
  const int version_;
  const TraceEvent* answer_ = nullptr;
  std::size_t next_ = 0;
  bool stopped_ = false;
  bool diverged_ = false;
  bool endMatched_ = false;
  std::uint64_t now_ = 0;
  TraceRecord replayed_;
  TraceRecord divergentCall_;
  std::size_t nextHandle_ = 0x100;
};

// The bytes a recorded text field stands for: its "hex" field when the
// operation has one (none when that is not hex), else the text in the
// handset's code page.
std::string RecordedBytes(const TraceRecord& record, const TraceEvent& event);

// Whether two fields have the same name, kind and value.
bool SameTraceField(const TraceRecord& a, const TraceField& x, const TraceRecord& b,
                    const TraceField& y);

#endif
