#pragma once
// Windows keeps the keys of a program that runs at a higher integrity level (an elevated
// program) from the hooks of ours, so hot keys silently do nothing while its window is active.
// This decides when to tell the user so. Portable.

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace tavion {

// What is known of the process behind a new foreground window.
struct ForegroundProcess {
  std::string program;  // its executable's full path, UTF-8; empty when unknown
  // Its integrity level (the last sub-authority of its token's mandatory label: 0x2000 medium,
  // 0x3000 high); nullopt when its token could not be read.
  std::optional<uint32_t> integrity;
};

class IntegrityNotice {
 public:
  // `ownIntegrity`: this program's level, nullopt when it could not be read (nothing is ever
  // told then). Our own process is never told of: its level is never higher than ours.
  explicit IntegrityNotice(std::optional<uint32_t> ownIntegrity) : ownIntegrity_(ownIntegrity) {}

  // The text to show for `process` having become the foreground: only when its level is known
  // and higher than ours, and only the first time for its program in the life of this object.
  std::optional<std::string> Check(const ForegroundProcess& process);
  // Whether anything can be told at all: our own level is known.
  bool CanTell() const { return ownIntegrity_.has_value(); }

 private:
  std::optional<uint32_t> ownIntegrity_;
  std::set<std::u32string> told_;  // the programs told of, their paths case-folded
};

}  // namespace tavion
