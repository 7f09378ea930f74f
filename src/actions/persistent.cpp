#include "actions/persistent.h"

#include <algorithm>
#include <vector>

namespace tavion {
namespace {

// Objects nest through ownership only a few levels deep (action, conditions, window item); a table
// built at run time that leads back to an object above it must not recurse without end.
constexpr int kMaxDepth = 16;

constexpr char kStoredLineBreak = '\x0E';

std::string SubKeyPath(std::string_view path, std::string_view section) {
  std::string key(path);
  if (!key.empty() && !section.empty()) key += '\\';
  key += section;
  return key;
}

// A table built at run time may lack an accessor; such a property is skipped.
bool HasAccessors(const Property& property) {
  switch (property.kind) {
    case PropertyKind::kInteger:
    case PropertyKind::kBoolean:
    case PropertyKind::kEnumeration:
      return property.getNumber != nullptr && property.setNumber != nullptr;
    case PropertyKind::kString:
      return property.getString != nullptr && property.setString != nullptr;
    case PropertyKind::kObject:
      return property.getObject != nullptr;
    case PropertyKind::kStoredKey:
      return property.getStoredKey != nullptr;
  }
  return false;
}

bool SaveObject(Persistent& object, RegistryStore& store, const std::string& key, int depth) {
  if (!store.CreateKey(key)) return false;
  for (const Property& property : object.Properties()) {
    if (!HasAccessors(property)) continue;
    switch (property.kind) {
      case PropertyKind::kInteger:
      case PropertyKind::kEnumeration:
      case PropertyKind::kBoolean: {
        uint32_t value = property.getNumber(object, property);
        if (property.kind == PropertyKind::kBoolean && value != 0) value = 1;
        if (value != 0 && !store.WriteInteger(key, property.name, value)) return false;
        break;
      }
      case PropertyKind::kString: {
        const std::string text = property.getString(object, property);
        if (!text.empty() && !store.WriteString(key, property.name, EncodeLineBreaks(text)))
          return false;
        break;
      }
      case PropertyKind::kObject: {
        Persistent* child = property.getObject(object, property);
        if (child != nullptr && depth < kMaxDepth &&
            !SaveObject(*child, store, SubKeyPath(key, property.name), depth + 1))
          return false;
        break;
      }
      case PropertyKind::kStoredKey: {
        const StoredKey* kept = property.getStoredKey(object, property);
        if (kept != nullptr && *kept != nullptr &&
            !CopyRegistryKey(**kept, "", store, SubKeyPath(key, property.name)))
          return false;
        break;
      }
    }
  }
  return true;
}

void LoadObject(Persistent& object, const RegistryStore& store, const std::string& key, int depth) {
  // Defaults are never written, so most values are missing: one enumeration of the key spares a
  // failed lookup for each of them.
  const std::vector<std::string> present = store.ValueNames(key);
  const auto isPresent = [&](std::string_view name) {
    return std::any_of(present.begin(), present.end(),
                       [&](const std::string& stored) { return RegistryNameEqual(stored, name); });
  };
  for (const Property& property : object.Properties()) {
    if (!HasAccessors(property)) continue;
    switch (property.kind) {
      case PropertyKind::kInteger:
      case PropertyKind::kEnumeration:
      case PropertyKind::kBoolean: {
        uint32_t value = 0;
        if (isPresent(property.name)) value = store.ReadInteger(key, property.name).value_or(0);
        if (property.kind == PropertyKind::kBoolean && value != 0) value = 1;
        if (property.kind == PropertyKind::kEnumeration && value > property.maxOrdinal) value = 0;
        property.setNumber(object, property, value);
        break;
      }
      case PropertyKind::kString: {
        std::string text;
        if (isPresent(property.name))
          text = DecodeLineBreaks(store.ReadString(key, property.name).value_or(std::string()));
        property.setString(object, property, std::move(text));
        break;
      }
      case PropertyKind::kObject: {
        Persistent* child = property.getObject(object, property);
        if (child != nullptr && depth < kMaxDepth)
          LoadObject(*child, store, SubKeyPath(key, property.name), depth + 1);
        break;
      }
      case PropertyKind::kStoredKey: {
        StoredKey* kept = property.getStoredKey(object, property);
        if (kept == nullptr) break;
        kept->reset();
        const std::string sub = SubKeyPath(key, property.name);
        if (!store.KeyExists(sub)) break;
        auto copy = std::make_unique<MemoryRegistry>();
        if (CopyRegistryKey(store, sub, *copy, "")) *kept = std::move(copy);
        break;
      }
    }
  }
}

}  // namespace

bool WriteObject(Persistent& object, RegistryStore& store, std::string_view path,
                 std::string_view section, bool load) {
  const std::string key = SubKeyPath(path, section);
  if (load) {
    LoadObject(object, store, key, 0);
    return true;
  }
  return SaveObject(object, store, key, 0);
}

std::string EncodeLineBreaks(std::string_view text) {
  std::string stored;
  stored.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      stored.append(2, kStoredLineBreak);
      ++i;
    } else {
      stored += text[i];
    }
  }
  return stored;
}

std::string DecodeLineBreaks(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kStoredLineBreak && i + 1 < text.size() && text[i + 1] == kStoredLineBreak) {
      plain += "\r\n";
      ++i;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

std::span<const Property> PersistentHotKey::Properties() const {
  static constexpr Property kProperties[] = {
      {.name = kActionHKeyPropertyNames[0],
       .kind = PropertyKind::kEnumeration,
       .maxOrdinal = static_cast<uint32_t>(TkeInputMode::keHid),
       .getNumber =
           [](const Persistent& o, const Property&) {
             return static_cast<uint32_t>(static_cast<const PersistentHotKey&>(o).InputMode());
           },
       .setNumber =
           [](Persistent& o, const Property&, uint32_t value) {
             static_cast<PersistentHotKey&>(o).SetInputMode(static_cast<TkeInputMode>(value));
           }},
      {.name = kActionHKeyPropertyNames[1],
       .kind = PropertyKind::kString,
       .getString =
           [](const Persistent& o, const Property&) {
             return static_cast<const PersistentHotKey&>(o).KeyPolyglot();
           },
       .setString =
           [](Persistent& o, const Property&, std::string text) {
             static_cast<PersistentHotKey&>(o).SetKeyPolyglot(text);
           }},
      {.name = kActionHKeyPropertyNames[2],
       .kind = PropertyKind::kInteger,
       .getNumber = [](const Persistent& o,
                       const Property&) { return static_cast<const PersistentHotKey&>(o).HKey(); },
       .setNumber = [](Persistent& o, const Property&,
                       uint32_t value) { static_cast<PersistentHotKey&>(o).SetHKey(value); }},
  };
  return kProperties;
}

}  // namespace tavion
