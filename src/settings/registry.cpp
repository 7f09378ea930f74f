#include "settings/registry.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tavion {
namespace {

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The last non-empty part of `path`, a view into it; empty for the root.
std::string_view LastPart(std::string_view path) {
  const std::vector<std::string_view> parts = SplitRegistryPath(path);
  return parts.empty() ? std::string_view() : parts.back();
}

// The path before `leaf`, which is LastPart(path).
std::string_view ParentPath(std::string_view path, std::string_view leaf) {
  return path.substr(0, static_cast<std::size_t>(leaf.data() - path.data()));
}

// A binary value copied whole: the registry bounds its size by a 32-bit count.
constexpr std::size_t kWholeBinary = std::numeric_limits<uint32_t>::max();

}  // namespace

bool RegistryNameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(UpperAscii(x)) < static_cast<unsigned char>(UpperAscii(y));
  });
}

bool RegistryNameEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

std::vector<std::string_view> SplitRegistryPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t end = path.find('\\');
    const std::string_view part = path.substr(0, end);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return parts;
}

std::string JoinRegistryPath(std::string_view first, std::string_view second) {
  std::string joined;
  for (std::string_view source : {first, second}) {
    for (std::string_view part : SplitRegistryPath(source)) {
      if (!joined.empty()) joined += '\\';
      joined += part;
    }
  }
  return joined;
}

bool CopyRegistryKey(const RegistryStore& from, std::string_view fromPath, RegistryStore& to,
                     std::string_view toPath) {
  if (!from.KeyExists(fromPath) || !to.CreateKey(toPath)) return false;
  for (const std::string& name : from.ValueNames(fromPath)) {
    bool written = true;
    switch (from.TypeOf(fromPath, name).value_or(RegistryValueType::kOther)) {
      case RegistryValueType::kString:
        if (const auto text = from.ReadString(fromPath, name))
          written = to.WriteString(toPath, name, *text);
        break;
      case RegistryValueType::kInteger:
        if (const auto number = from.ReadInteger(fromPath, name))
          written = to.WriteInteger(toPath, name, *number);
        break;
      case RegistryValueType::kBinary:
        if (const auto bytes = from.ReadBinary(fromPath, name, kWholeBinary))
          written = to.WriteBinary(toPath, name, *bytes);
        break;
      case RegistryValueType::kOther:
        break;
    }
    if (!written) return false;
  }
  for (const std::string& sub : from.SubKeyNames(fromPath)) {
    if (!CopyRegistryKey(from, JoinRegistryPath(fromPath, sub), to, JoinRegistryPath(toPath, sub)))
      return false;
  }
  return true;
}

MemoryRegistry::MemoryRegistry() : root_(std::make_unique<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

const MemoryRegistry::Node* MemoryRegistry::Find(std::string_view path) const {
  const Node* node = root_.get();
  for (std::string_view part : SplitRegistryPath(path)) {
    const auto child = node->children.find(part);
    if (child == node->children.end()) return nullptr;
    node = child->second.get();
  }
  return node;
}

MemoryRegistry::Node* MemoryRegistry::Find(std::string_view path) {
  return const_cast<Node*>(std::as_const(*this).Find(path));
}

MemoryRegistry::Node* MemoryRegistry::FindOrCreate(std::string_view path) {
  Node* node = root_.get();
  for (std::string_view part : SplitRegistryPath(path)) {
    auto child = node->children.find(part);
    if (child == node->children.end())
      child = node->children.emplace(std::string(part), std::make_unique<Node>()).first;
    node = child->second.get();
  }
  return node;
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(std::string_view path,
                                                       std::string_view name) const {
  const Node* node = Find(path);
  if (node == nullptr) return nullptr;
  for (const Value& value : node->values)
    if (RegistryNameEqual(value.name, name)) return &value;
  return nullptr;
}

bool MemoryRegistry::KeyExists(std::string_view path) const {
  return Find(path) != nullptr;
}

bool MemoryRegistry::CreateKey(std::string_view path) {
  return FindOrCreate(path) != nullptr;
}

bool MemoryRegistry::DeleteKey(std::string_view path) {
  const std::string_view leaf = LastPart(path);
  if (leaf.empty()) {
    root_ = std::make_unique<Node>();
    return true;
  }
  if (Node* parent = Find(ParentPath(path, leaf))) {
    const auto victim = parent->children.find(leaf);
    if (victim != parent->children.end()) parent->children.erase(victim);
  }
  return true;
}

bool MemoryRegistry::RenameKey(std::string_view path, std::string_view newName) {
  const std::string_view leaf = LastPart(path);
  if (leaf.empty() || newName.empty() || newName.find('\\') != std::string_view::npos) return false;
  Node* parent = Find(ParentPath(path, leaf));
  if (parent == nullptr || parent->children.contains(newName)) return false;
  const auto source = parent->children.find(leaf);
  if (source == parent->children.end()) return false;
  auto node = parent->children.extract(source);
  node.key() = std::string(newName);
  parent->children.insert(std::move(node));
  return true;
}

std::vector<std::string> MemoryRegistry::SubKeyNames(std::string_view path) const {
  std::vector<std::string> names;
  if (const Node* node = Find(path)) {
    for (const auto& [name, child] : node->children) names.push_back(name);
  }
  return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(std::string_view path) const {
  std::vector<std::string> names;
  if (const Node* node = Find(path)) {
    for (const Value& value : node->values) names.push_back(value.name);
  }
  return names;
}

bool MemoryRegistry::ValueExists(std::string_view path, std::string_view name) const {
  return FindValue(path, name) != nullptr;
}

std::optional<RegistryValueType> MemoryRegistry::TypeOf(std::string_view path,
                                                        std::string_view name) const {
  const Value* value = FindValue(path, name);
  if (value == nullptr) return std::nullopt;
  return value->type;
}

std::optional<std::string> MemoryRegistry::DoReadString(std::string_view path,
                                                        std::string_view name,
                                                        std::size_t maxBytes) const {
  const Value* value = FindValue(path, name);
  if (value == nullptr || value->type != ValueType::kString) return std::nullopt;
  // The system's readers stop at the first NUL; so do we.
  const auto end = std::find(value->data.begin(), value->data.end(), uint8_t{0});
  if (static_cast<std::size_t>(end - value->data.begin()) > maxBytes) return std::nullopt;
  return std::string(value->data.begin(), end);
}

std::optional<uint32_t> MemoryRegistry::ReadInteger(std::string_view path,
                                                    std::string_view name) const {
  const Value* value = FindValue(path, name);
  if (value == nullptr || value->type != ValueType::kInteger || value->data.size() != 4)
    return std::nullopt;
  return uint32_t{value->data[0]} | uint32_t{value->data[1]} << 8 | uint32_t{value->data[2]} << 16 |
         uint32_t{value->data[3]} << 24;
}

std::optional<std::vector<uint8_t>> MemoryRegistry::DoReadBinary(std::string_view path,
                                                                 std::string_view name,
                                                                 std::size_t maxBytes) const {
  const Value* value = FindValue(path, name);
  if (value == nullptr || value->type != ValueType::kBinary || value->data.size() > maxBytes)
    return std::nullopt;
  return value->data;
}

bool MemoryRegistry::Write(std::string_view path, std::string_view name, ValueType type,
                           std::vector<uint8_t> data) {
  Node* node = FindOrCreate(path);
  for (Value& value : node->values) {
    if (RegistryNameEqual(value.name, name)) {
      // Replacing keeps the value's place in the enumeration, as the system does.
      value.type = type;
      value.data = std::move(data);
      return true;
    }
  }
  node->values.push_back({std::string(name), type, std::move(data)});
  return true;
}

bool MemoryRegistry::WriteString(std::string_view path, std::string_view name,
                                 std::string_view text) {
  return Write(path, name, ValueType::kString, std::vector<uint8_t>(text.begin(), text.end()));
}

bool MemoryRegistry::WriteInteger(std::string_view path, std::string_view name, uint32_t value) {
  return Write(path, name, ValueType::kInteger,
               {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

bool MemoryRegistry::WriteBinary(std::string_view path, std::string_view name,
                                 std::span<const uint8_t> bytes) {
  return Write(path, name, ValueType::kBinary, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool MemoryRegistry::WriteOther(std::string_view path, std::string_view name,
                                std::span<const uint8_t> bytes) {
  return Write(path, name, ValueType::kOther, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool MemoryRegistry::DeleteValue(std::string_view path, std::string_view name) {
  Node* node = Find(path);
  if (node == nullptr) return true;
  std::erase_if(node->values,
                [&](const Value& value) { return RegistryNameEqual(value.name, name); });
  return true;
}

}  // namespace tavion
