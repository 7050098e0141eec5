#ifndef POSRELAY_PLATFORM_SIM_TRACE_PLAYER_H
#define POSRELAY_PLATFORM_SIM_TRACE_PLAYER_H

#include <cstdint>
#include <set>
#include <string>

#include "platform/platform_services.h"
#include "platform/ras_connection.h"
#include "platform/trace_record.h"

// A platform that plays a recorded run back to the launcher, as a cassette
// answers a test's requests. Each call must be the next recorded operation
// with the same arguments; it then gets the recorded results: the bytes
// read, the windows found, the process started or not, the probe's count,
// the key present or not. Time is virtual: only the launcher's own pauses
// advance it.
//
// The first call that differs, or that finds the trace at its end, stops
// the replay: from there on every call fails or finds nothing, so that the
// launcher ends its run quickly, and nothing more is compared.
//
// Only one player may exist at a time on a thread: the dial-up functions it
// hands out are plain functions that act on it.
class TracePlayer : public PlatformServices {
 public:
  // `recorded`: the trace's operations. `cut`: the trace was cut after
  // them, so that a call beyond the last one ends the replay without
  // diverging.
  TracePlayer(const TraceRecord& recorded, bool cut);
  ~TracePlayer() override;
  TracePlayer(const TracePlayer&) = delete;
  TracePlayer& operator=(const TracePlayer&) = delete;

  // The calls that matched, each at the virtual time of the call.
  const TraceRecord& Replayed() const { return replayed_; }
  std::uint64_t NowMs() const { return now_; }
  // Recorded operations played so far.
  std::size_t Played() const { return next_; }
  bool Diverged() const { return diverged_; }
  // The launcher's call where it diverged, with what it passed; none when
  // the launcher had ended its run while the trace went on.
  const TraceRecord& DivergentCall() const { return divergentCall_; }

  // Called once the launch sequence has returned: operations left over in
  // the trace are a divergence too.
  void Finish();

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

  unsigned int EnumerateConnections(RasConnectionRecord* records, unsigned int* bufferBytes,
                                    unsigned int* connectionCount);
  unsigned int HangUpConnection(void* connection);

 private:
  const TraceEvent* Expect(const char* op);
  void Settle(const TraceEvent* recorded);
  void Diverge();
  std::size_t Issue();
  TraceNumber Number(const TraceEvent* recorded, const char* name) const;
  bool Ok(const TraceEvent* recorded) const;
  std::string Text(const TraceEvent* recorded, const char* name) const;
  void FillConnections(RasConnectionRecord* records, std::size_t capacity, std::size_t count) const;

  const TraceRecord& recorded_;
  const bool cut_;
  std::size_t next_ = 0;
  bool stopped_ = false;
  bool diverged_ = false;
  std::uint64_t now_ = 0;
  TraceRecord call_;
  TraceRecord replayed_;
  TraceRecord divergentCall_;
  std::size_t nextHandle_ = 0x100;
  std::set<InternetHandle> urlHandles_;
};

// The bytes a recorded text field stands for: its "hex" field when the
// operation has one, else the text in the handset's code page.
std::string RecordedBytes(const TraceRecord& record, const TraceEvent& event);

#endif
