#include "simulator/handle_ledger.h"

#include <algorithm>

namespace {

// Steps of 4 keep handles distinct from window handles with their low bit set.
const std::size_t kFirstHandle = 0x104;
const std::size_t kHandleStep = 4;

std::string KindName(HandleKind kind) {
  static const char* const kNames[] = {"file", "device", "registry", "library", "internet"};
  return kNames[kind];
}

std::string Name(HandleKind kind, std::size_t handle) {
  return KindName(kind) + " #" + std::to_string(handle);
}

}  // namespace

std::size_t HandleLedger::Issue(HandleKind kind) {
  entries_.push_back(Entry{kind, false});
  return kFirstHandle + kHandleStep * (entries_.size() - 1);
}

std::size_t HandleLedger::Index(std::size_t handle) const {
  if (handle < kFirstHandle || (handle - kFirstHandle) % kHandleStep != 0) return entries_.size();
  return std::min((handle - kFirstHandle) / kHandleStep, entries_.size());
}

bool HandleLedger::Release(std::size_t handle, HandleKind kind) {
  const std::size_t index = Index(handle);
  if (index == entries_.size()) {
    faults_.push_back("released unknown " + Name(kind, handle));
    return false;
  }
  Entry& entry = entries_[index];
  if (entry.kind != kind) {
    faults_.push_back("released " + Name(entry.kind, handle) + " as " + KindName(kind));
    return false;
  }
  if (entry.released) {
    faults_.push_back("released " + Name(kind, handle) + " twice");
    return false;
  }
  entry.released = true;
  return true;
}

bool HandleLedger::IsOpen(std::size_t handle, HandleKind kind) const {
  const std::size_t index = Index(handle);
  return index < entries_.size() && entries_[index].kind == kind && !entries_[index].released;
}

std::size_t HandleLedger::Issued(HandleKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      entries_.begin(), entries_.end(), [kind](const Entry& entry) { return entry.kind == kind; }));
}

void HandleLedger::Clear() {
  entries_.clear();
  faults_.clear();
}

std::vector<std::string> HandleLedger::Unreleased() const {
  std::vector<std::string> open;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!entries_[i].released) {
      open.push_back(Name(entries_[i].kind, kFirstHandle + kHandleStep * i));
    }
  }
  return open;
}
