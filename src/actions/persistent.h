#pragma once
// Objects stored in the registry property by property, and the one walker that stores them.
// Portable.
//
// A persisted class lists its properties in a table (name, kind, accessors) in the order they are
// stored; WriteObject walks that table. A table may also be built at run time (plug-in parameter
// objects): the accessors get the property record, whose `slot` tells such an object which of its
// fields is meant.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "keys/hotkey.h"
#include "settings/registry.h"

namespace tavion {

class Persistent;

enum class PropertyKind : uint8_t {
  kInteger,      // any width up to 32 bits, signed or unsigned: a DWORD
  kBoolean,      // a DWORD, 1 for true
  kEnumeration,  // the ordinal as a DWORD
  kString,       // a string, line breaks stored as 0x0E 0x0E
  kObject,       // a sub-key named after the property
  kStoredKey,    // a sub-key named after the property, kept as it was stored
};

// A key kept as it was stored, values and sub-keys, for data that no object of this program can
// read (a missing plug-in's parameters): a save writes it back unchanged. Null when none is kept.
using StoredKey = std::unique_ptr<MemoryRegistry>;

struct Property {
  std::string_view name;
  PropertyKind kind = PropertyKind::kInteger;
  // kEnumeration: the largest ordinal; a stored ordinal above it loads as 0.
  uint32_t maxOrdinal = 0;
  // Integer, Boolean (0 or 1) and ordinal as the DWORD the registry holds: signed values
  // sign-extended. The setter narrows the DWORD into the property's width.
  uint32_t (*getNumber)(const Persistent&, const Property&) = nullptr;
  void (*setNumber)(Persistent&, const Property&, uint32_t) = nullptr;
  std::string (*getString)(const Persistent&, const Property&) = nullptr;
  void (*setString)(Persistent&, const Property&, std::string) = nullptr;
  // kObject: the object the property holds, or null when it holds none.
  Persistent* (*getObject)(Persistent&, const Property&) = nullptr;
  // kStoredKey: where the key is kept, or null while the property takes no stored key (loading
  // then reads none, saving writes none).
  StoredKey* (*getStoredKey)(Persistent&, const Property&) = nullptr;
  // Free for tables built at run time; the compiled tables leave it 0.
  std::size_t slot = 0;
};

class Persistent {
 public:
  virtual ~Persistent() = default;
  // The stored properties in the order they are read and written.
  virtual std::span<const Property> Properties() const = 0;

 protected:
  Persistent() = default;
  Persistent(const Persistent&) = default;
  Persistent& operator=(const Persistent&) = default;
};

// Loads (`load` true) or saves the properties of `object` as the values of the key
// `path`\`section` of `store`, and each object property that holds an object as the sub-key named
// after it; a stored-key property keeps its sub-key whole (null when it is missing) and writes
// back what it keeps. Loading assigns every property: a missing value, one of another type or
// size, or an ordinal out of range gives 0, false or empty; it creates no key and no object. Saving
// creates the key (and the sub-key of every object present) even when it gets no value, and writes
// only the values that are not 0, false or empty; it removes none. Returns false as soon as a write
// fails (the key is then incomplete); loading always succeeds.
bool WriteObject(Persistent& object, RegistryStore& store, std::string_view path,
                 std::string_view section, bool load);

// The stored form of a string: every CR LF as the two bytes 0x0E 0x0E, and back.
std::string EncodeLineBreaks(std::string_view text);
std::string DecodeLineBreaks(std::string_view text);

// The hot-key record as a persisted object: the values InputMode, KeyPolyglot and HKey.
class PersistentHotKey final : public Persistent, public TActionHKey {
 public:
  explicit PersistentHotKey(uint32_t hkey = 0) : TActionHKey(hkey) {}
  PersistentHotKey& operator=(const TActionHKey& record) {
    TActionHKey::operator=(record);
    return *this;
  }

  std::span<const Property> Properties() const override;
};

// Table entries for data members of a persisted class `C` (`Member` is `&C::field`). Use them in a
// member of `C`, where private fields may be named.
namespace property_detail {

template <typename M>
struct MemberOf;
template <typename C, typename T>
struct MemberOf<T C::*> {
  using Class = C;
  using Type = T;
};

template <auto Member>
using ClassOf = typename MemberOf<decltype(Member)>::Class;
template <auto Member>
using FieldType = typename MemberOf<decltype(Member)>::Type;

template <auto Member>
const FieldType<Member>& Get(const Persistent& object) {
  return static_cast<const ClassOf<Member>&>(object).*Member;
}
template <auto Member>
FieldType<Member>& Get(Persistent& object) {
  return static_cast<ClassOf<Member>&>(object).*Member;
}

template <auto Member>
constexpr Property NumberField(std::string_view name, PropertyKind kind, uint32_t maxOrdinal) {
  using T = FieldType<Member>;
  return {.name = name,
          .kind = kind,
          .maxOrdinal = maxOrdinal,
          .getNumber = [](const Persistent& o,
                          const Property&) { return static_cast<uint32_t>(Get<Member>(o)); },
          .setNumber = [](Persistent& o, const Property&,
                          uint32_t value) { Get<Member>(o) = static_cast<T>(value); }};
}

}  // namespace property_detail

template <auto Member>
constexpr Property IntegerField(std::string_view name) {
  using T = property_detail::FieldType<Member>;
  static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 4);
  return property_detail::NumberField<Member>(name, PropertyKind::kInteger, 0);
}

// An integer whose loaded value (the DWORD read as signed) is clamped into [Minimum, Maximum]:
// for a field whose users take only that range, which a hand-edited registry may leave.
template <auto Member, int32_t Minimum, int32_t Maximum>
constexpr Property ClampedIntegerField(std::string_view name) {
  using T = property_detail::FieldType<Member>;
  static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 4);
  static_assert(std::in_range<T>(Minimum) && std::in_range<T>(Maximum) && Minimum <= Maximum);
  Property property = IntegerField<Member>(name);
  property.setNumber = [](Persistent& o, const Property&, uint32_t value) {
    property_detail::Get<Member>(o) =
        static_cast<T>(std::clamp(static_cast<int32_t>(value), Minimum, Maximum));
  };
  return property;
}

template <auto Member>
constexpr Property BooleanField(std::string_view name) {
  static_assert(std::is_same_v<property_detail::FieldType<Member>, bool>);
  return property_detail::NumberField<Member>(name, PropertyKind::kBoolean, 1);
}

template <auto Member>
constexpr Property EnumerationField(std::string_view name, uint32_t maxOrdinal) {
  static_assert(std::is_enum_v<property_detail::FieldType<Member>>);
  return property_detail::NumberField<Member>(name, PropertyKind::kEnumeration, maxOrdinal);
}

template <auto Member>
constexpr Property StringField(std::string_view name) {
  static_assert(std::is_same_v<property_detail::FieldType<Member>, std::string>);
  return {.name = name,
          .kind = PropertyKind::kString,
          .getString = [](const Persistent& o,
                          const Property&) { return property_detail::Get<Member>(o); },
          .setString = [](Persistent& o, const Property&,
                          std::string text) { property_detail::Get<Member>(o) = std::move(text); }};
}

// A member that is a persisted object itself (always present) or a pointer-like owner of one
// (present when not null).
template <auto Member>
constexpr Property ObjectField(std::string_view name) {
  return {.name = name,
          .kind = PropertyKind::kObject,
          .getObject = [](Persistent& o, const Property&) -> Persistent* {
            auto& member = property_detail::Get<Member>(o);
            if constexpr (std::is_base_of_v<Persistent, property_detail::FieldType<Member>>) {
              return &member;
            } else {
              return member.get();
            }
          }};
}

// The key stored under `name`, kept in the StoredKey member `Kept` while the pointer-like owner
// `Owner` holds no object that reads it.
template <auto Kept, auto Owner>
constexpr Property StoredKeyField(std::string_view name) {
  return {.name = name,
          .kind = PropertyKind::kStoredKey,
          .getStoredKey = [](Persistent& o, const Property&) -> StoredKey* {
            return property_detail::Get<Owner>(o) ? nullptr : &property_detail::Get<Kept>(o);
          }};
}

}  // namespace tavion
