#ifndef POSRELAY_SIMULATOR_HANDLE_LEDGER_H
#define POSRELAY_SIMULATOR_HANDLE_LEDGER_H

#include <cstddef>
#include <string>
#include <vector>

enum HandleKind { kFileHandle, kDeviceHandle, kRegistryHandle, kLibraryHandle, kInternetHandle };

// Every handle the simulated handset gave out, so a test can assert that each
// was released exactly once and through the right operation.
class HandleLedger {
 public:
  // A new non-zero handle of the given kind.
  std::size_t Issue(HandleKind kind);
  // Marks a handle released; false (and a fault noted) for a handle that is
  // unknown, of another kind or already released.
  bool Release(std::size_t handle, HandleKind kind);
  bool IsOpen(std::size_t handle, HandleKind kind) const;
  // How many handles of `kind` were given out.
  std::size_t Issued(HandleKind kind) const;
  // Forgets every handle and fault; handles are given out as from the start.
  void Clear();

  // "kind #handle" of each handle still open ("file #260").
  std::vector<std::string> Unreleased() const;
  // Double releases, releases of unknown handles or of the wrong kind.
  const std::vector<std::string>& Faults() const { return faults_; }

 private:
  struct Entry {
    HandleKind kind;
    bool released;
  };
  // The entry of `handle`, or entries_.size() for a handle never given out.
  std::size_t Index(std::size_t handle) const;

  std::vector<Entry> entries_;  // in the order given out, one handle step apart
  std::vector<std::string> faults_;
};

#endif
