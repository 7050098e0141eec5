#ifndef POSRELAY_PLATFORM_SIM_HANDLE_LEDGER_H
#define POSRELAY_PLATFORM_SIM_HANDLE_LEDGER_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// Every handle the simulated handset gave out, so a test can assert that each
// was released exactly once and through the right operation.
class HandleLedger {
 public:
  // A new non-zero handle of the given kind ("file", "device", ...).
  std::size_t Issue(const std::string& kind);
  // Marks a handle released; false (and a fault noted) for a handle that is
  // unknown, of another kind or already released.
  bool Release(std::size_t handle, const std::string& kind);
  bool IsOpen(std::size_t handle, const std::string& kind) const;

  // "kind #handle" of each handle still open.
  std::vector<std::string> Unreleased() const;
  // Double releases, releases of unknown handles or of the wrong kind.
  const std::vector<std::string>& Faults() const { return faults_; }

 private:
  struct Entry {
    std::string kind;
    bool released;
  };
  std::map<std::size_t, Entry> entries_;
  std::vector<std::string> faults_;
  std::size_t next_ = 0x100;
};

#endif
