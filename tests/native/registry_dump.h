#pragma once
// Registry contents as lines of text, for comparing what a save wrote.

#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace tavion {

// The values of `key` as "name=DWORD", "name='text'" or "name=hex:0a,ff" (other types "name?"),
// in the order the store enumerates them.
inline std::vector<std::string> DumpValues(const RegistryStore& store, std::string_view key) {
  std::vector<std::string> out;
  for (const std::string& name : store.ValueNames(key)) {
    if (auto number = store.ReadInteger(key, name)) {
      out.push_back(name + "=" + std::to_string(*number));
    } else if (auto text = store.ReadString(key, name)) {
      out.push_back(name + "='" + *text + "'");
    } else if (auto bytes = store.ReadBinary(key, name)) {
      static constexpr char kDigits[] = "0123456789abcdef";
      std::string hex;
      for (uint8_t byte : *bytes) hex += {',', kDigits[byte >> 4], kDigits[byte & 15]};
      out.push_back(name + "=hex:" + hex.substr(hex.empty() ? 0 : 1));
    } else {
      out.push_back(name + "?");
    }
  }
  return out;
}

// `key` and everything below it: a line "[sub\key]" per key (relative to `key`, "[]" for itself)
// followed by its values, sub-keys in enumeration order.
inline std::vector<std::string> DumpTree(const RegistryStore& store, std::string_view key,
                                         const std::string& relative = {}) {
  std::vector<std::string> out{"[" + relative + "]"};
  for (std::string& line : DumpValues(store, key)) out.push_back(std::move(line));
  const std::string base(key);
  for (const std::string& sub : store.SubKeyNames(key)) {
    for (std::string& line :
         DumpTree(store, base + "\\" + sub, relative.empty() ? sub : relative + "\\" + sub))
      out.push_back(std::move(line));
  }
  return out;
}

// The reverse of DumpTree: writes lines "[sub\key]", "name=DWORD" and "name='text'" below `key`.
inline void PutTree(RegistryStore& store, std::string_view key,
                    const std::vector<std::string>& lines) {
  std::string at(key);
  for (const std::string& line : lines) {
    const std::size_t equals = line.find('=');
    if (line.front() == '[') {
      at = std::string(key) + "\\" + line.substr(1, line.size() - 2);
      store.CreateKey(at);
    } else if (line[equals + 1] == '\'') {
      store.WriteString(at, line.substr(0, equals),
                        line.substr(equals + 2, line.size() - equals - 3));
    } else {
      store.WriteInteger(at, line.substr(0, equals),
                         static_cast<uint32_t>(std::stoul(line.substr(equals + 1))));
    }
  }
}

}  // namespace tavion
