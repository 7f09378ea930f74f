#pragma once
// A RegistryStore that stands for a save interrupted at a chosen step: it passes every call to
// another store until the mutating calls (create, delete, rename, write) run out. From the N-th
// mutating call on (counting from 1) each one fails without reaching the inner store, as if the
// program had stopped there. Reads always pass. Run a save once with no limit to count its steps,
// then once per step with that step as the limit.

#include <cstddef>
#include <limits>

#include "settings/registry.h"

namespace tavion {

class FailingRegistry : public RegistryStore {
 public:
  static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();

  explicit FailingRegistry(RegistryStore& inner, std::size_t failFrom = kNever)
      : inner_(inner), failFrom_(failFrom) {}

  // Mutating calls seen so far, those that failed included.
  std::size_t MutatingCalls() const { return calls_; }

  bool KeyExists(std::string_view path) const override { return inner_.KeyExists(path); }
  std::vector<std::string> SubKeyNames(std::string_view path) const override {
    return inner_.SubKeyNames(path);
  }
  std::vector<std::string> ValueNames(std::string_view path) const override {
    return inner_.ValueNames(path);
  }
  bool ValueExists(std::string_view path, std::string_view name) const override {
    return inner_.ValueExists(path, name);
  }
  std::optional<RegistryValueType> TypeOf(std::string_view path,
                                          std::string_view name) const override {
    return inner_.TypeOf(path, name);
  }
  std::optional<uint32_t> ReadInteger(std::string_view path, std::string_view name) const override {
    return inner_.ReadInteger(path, name);
  }

  bool CreateKey(std::string_view path) override { return Allowed() && inner_.CreateKey(path); }
  bool DeleteKey(std::string_view path) override { return Allowed() && inner_.DeleteKey(path); }
  bool RenameKey(std::string_view path, std::string_view newName) override {
    return Allowed() && inner_.RenameKey(path, newName);
  }
  bool WriteString(std::string_view path, std::string_view name, std::string_view text) override {
    return Allowed() && inner_.WriteString(path, name, text);
  }
  bool WriteInteger(std::string_view path, std::string_view name, uint32_t value) override {
    return Allowed() && inner_.WriteInteger(path, name, value);
  }
  bool WriteBinary(std::string_view path, std::string_view name,
                   std::span<const uint8_t> bytes) override {
    return Allowed() && inner_.WriteBinary(path, name, bytes);
  }
  bool DeleteValue(std::string_view path, std::string_view name) override {
    return Allowed() && inner_.DeleteValue(path, name);
  }

 protected:
  std::optional<std::string> DoReadString(std::string_view path, std::string_view name,
                                          std::size_t maxBytes) const override {
    return inner_.ReadString(path, name, maxBytes);
  }
  std::optional<std::vector<uint8_t>> DoReadBinary(std::string_view path, std::string_view name,
                                                   std::size_t maxBytes) const override {
    return inner_.ReadBinary(path, name, maxBytes);
  }

 private:
  bool Allowed() { return ++calls_ < failFrom_; }

  RegistryStore& inner_;
  std::size_t failFrom_;
  std::size_t calls_ = 0;
};

}  // namespace tavion
