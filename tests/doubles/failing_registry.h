#pragma once
// A registry in memory that stands for a save interrupted at a chosen step: from the N-th mutating
// call (create, delete, rename, write; counting from 1 after FailFrom) each one fails without
// changing the tree, as if the program had stopped there. Reads always pass. Run a save once with
// no limit to count its steps, then once per step with that step as the limit.

#include <cstddef>
#include <limits>

#include "settings/registry.h"

namespace tavion {

class FailingRegistry : public MemoryRegistry {
 public:
  static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();

  using Base = MemoryRegistry;

  explicit FailingRegistry(std::size_t failFrom = kNever) : failFrom_(failFrom) {}

  // Counts the mutating calls afresh, failing from the `failFrom`-th on.
  void FailFrom(std::size_t failFrom) {
    failFrom_ = failFrom;
    calls_ = 0;
  }
  // Mutating calls seen so far, those that failed included.
  std::size_t MutatingCalls() const { return calls_; }

  bool CreateKey(std::string_view path) override { return Allowed() && Base::CreateKey(path); }
  bool DeleteKey(std::string_view path) override { return Allowed() && Base::DeleteKey(path); }
  bool RenameKey(std::string_view path, std::string_view newName) override {
    return Allowed() && Base::RenameKey(path, newName);
  }
  bool WriteString(std::string_view path, std::string_view name, std::string_view text) override {
    return Allowed() && Base::WriteString(path, name, text);
  }
  bool WriteInteger(std::string_view path, std::string_view name, uint32_t value) override {
    return Allowed() && Base::WriteInteger(path, name, value);
  }
  bool WriteBinary(std::string_view path, std::string_view name,
                   std::span<const uint8_t> bytes) override {
    return Allowed() && Base::WriteBinary(path, name, bytes);
  }
  bool DeleteValue(std::string_view path, std::string_view name) override {
    return Allowed() && Base::DeleteValue(path, name);
  }

 private:
  bool Allowed() { return ++calls_ < failFrom_; }

  std::size_t failFrom_;
  std::size_t calls_ = 0;
};

}  // namespace tavion
