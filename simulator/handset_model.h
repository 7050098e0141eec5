#ifndef POSRELAY_SIMULATOR_HANDSET_MODEL_H
#define POSRELAY_SIMULATOR_HANDSET_MODEL_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_services.h"
#include "platform/ras_connection.h"
#include "simulator/handle_ledger.h"
#include "simulator/handset_scenario.h"

// A model of the handset behind the platform interface: a virtual clock that
// only sleeping advances, the settings file, a module on a serial port, the
// map application's window, the dial-up connections, the registry key and the
// internet. It models the handset and nothing more: what it is asked and
// answers is recorded by the recorder wrapped around it (SimulatedHandset).
//
// Only one handset may exist at a time on a thread: the dial-up functions it
// hands out through FindFunction are plain functions that act on it.
class HandsetModel : public PlatformServices {
 public:
  explicit HandsetModel(HandsetScenario scenario = HandsetScenario());
  ~HandsetModel() override;
  HandsetModel(const HandsetModel&) = delete;
  HandsetModel& operator=(const HandsetModel&) = delete;

  // Starts over as a new handset made of `scenario`, as if just built, but
  // keeps the room its buffers have grown: a long series of runs on one
  // handset (a fuzzer's) then allocates little for each.
  void Reset(const HandsetScenario& scenario);

  std::uint64_t NowMs() const { return now_; }
  const HandleLedger& Ledger() const { return ledger_; }
  const HandsetScenario& Scenario() const { return scenario_; }
  // Values written to the status key, by name.
  const std::map<std::wstring, unsigned int>& RegistryValues() const { return registryValues_; }
  // Messages shown, as "title: text" in UTF-8.
  std::vector<std::string> Messages() const;
  std::optional<int> QuitCode() const { return quitCode_; }
  // The position commands ("AT@LBC?") the module has been sent.
  std::size_t PositionQueries() const { return positionQueries_; }

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

  // The dial-up functions the core library exports, acting on this handset.
  unsigned int EnumerateConnections(RasConnectionRecord* records, unsigned int* bufferBytes,
                                    unsigned int* connectionCount);
  unsigned int HangUpConnection(void* connection);

 private:
  struct Window {
    WindowHandle handle;
    std::uint64_t appearsAt;
    std::optional<std::uint64_t> vanishesAt;
  };
  struct OpenFile {
    std::string text;
    std::size_t position;
  };
  struct Connection {
    std::string name;
    unsigned int handle;
    bool hangUpSucceeds;
  };

  void Start();
  // The scenario's fault of `kind` that the `call`-th call of its operation
  // meets, or none.
  const FaultScenario* FaultOn(FaultKind kind, std::uint64_t call) const;
  // Notes why a call fails; its result.
  int Fail(unsigned int error);
  Window* PresentMapWindow();
  const std::string& ModuleReplyTo(std::string_view command);

  HandsetScenario scenario_;
  std::uint64_t now_ = 0;
  HandleLedger ledger_;
  std::vector<Window> windows_;
  WindowHandle nextWindow_ = 0x10000;
  std::map<FileHandle, OpenFile> files_;
  std::vector<Connection> connections_;
  DeviceHandle openPort_ = 0;
  std::string moduleInput_;   // bytes written but not yet ending in a carriage return
  std::string moduleOutput_;  // replies not yet read
  std::size_t positionQueries_ = 0;
  std::map<std::wstring, unsigned int> registryValues_;
  std::map<InternetHandle, bool> internetIsUrl_;
  std::optional<int> quitCode_;
  std::vector<std::pair<std::wstring, std::wstring> > messages_;
  unsigned int lastError_ = 0;
  // Calls made so far of the operations that faults hit.
  std::uint64_t reads_ = 0, writes_ = 0, conversions_ = 0, listings_ = 0, pageReads_ = 0,
                looks_ = 0, starts_ = 0;
};

#endif
