#include "platform/sim/handle_ledger.h"

std::size_t HandleLedger::Issue(const std::string& kind) {
  // Steps of 4 keep handles distinct from window handles with their low bit set.
  next_ += 4;
  entries_[next_] = Entry{kind, false};
  return next_;
}

bool HandleLedger::Release(std::size_t handle, const std::string& kind) {
  auto found = entries_.find(handle);
  const std::string name = kind + " #" + std::to_string(handle);
  if (found == entries_.end()) {
    faults_.push_back("released unknown " + name);
    return false;
  }
  if (found->second.kind != kind) {
    faults_.push_back("released " + found->second.kind + " #" + std::to_string(handle) + " as " +
                      kind);
    return false;
  }
  if (found->second.released) {
    faults_.push_back("released " + name + " twice");
    return false;
  }
  found->second.released = true;
  return true;
}

bool HandleLedger::IsOpen(std::size_t handle, const std::string& kind) const {
  auto found = entries_.find(handle);
  return found != entries_.end() && found->second.kind == kind && !found->second.released;
}

std::vector<std::string> HandleLedger::Unreleased() const {
  std::vector<std::string> open;
  for (const auto& [handle, entry] : entries_) {
    if (!entry.released) open.push_back(entry.kind + " #" + std::to_string(handle));
  }
  return open;
}
