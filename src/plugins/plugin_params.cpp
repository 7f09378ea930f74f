#include "plugins/plugin_params.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "plugins/plugin_info.h"

namespace tavion {
namespace {

// Longer names are no field names a plug-in would choose; the registry takes far longer ones.
constexpr std::size_t kMaxFieldName = 255;
// A string field is asked again with a larger buffer at most this often: a plug-in that keeps
// answering longer texts is cut.
constexpr int kMaxStringAttempts = 3;

const PluginParamsObject& Params(const Persistent& object) {
  return static_cast<const PluginParamsObject&>(object);
}

uint32_t GetNumber(const Persistent& object, const Property& property) {
  const PluginParamsObject& params = Params(object);
  return static_cast<uint32_t>(
      params.Class().Raw().getNumber(params.Object(), static_cast<uint32_t>(property.slot)));
}

void SetNumber(Persistent& object, const Property& property, uint32_t value) {
  const PluginParamsObject& params = Params(object);
  const auto field = static_cast<uint32_t>(property.slot);
  if (property.kind == PropertyKind::kBoolean) value = value != 0 ? 1 : 0;
  params.Class().Raw().setNumber(params.Object(), field, static_cast<int32_t>(value));
}

std::string GetString(const Persistent& object, const Property& property) {
  const PluginParamsObject& params = Params(object);
  const TavionParamsClass& raw = params.Class().Raw();
  const auto field = static_cast<uint32_t>(property.slot);
  std::vector<char> buffer(256);
  for (int attempt = 0; attempt < kMaxStringAttempts; ++attempt) {
    const auto size = static_cast<uint32_t>(buffer.size());
    buffer.assign(size, '\0');
    const uint32_t length = raw.getString(params.Object(), field, buffer.data(), size);
    if (length < size || size >= TAVION_TEXT_LIMIT) break;
    buffer.resize(std::min<std::size_t>(std::size_t{length} + 1, TAVION_TEXT_LIMIT));
  }
  // The plug-in may have filled the buffer without a terminator.
  const std::size_t length = strnlen(buffer.data(), buffer.size() - 1);
  return params.Class().Boundary().AnsiToUtf8(std::string_view(buffer.data(), length));
}

void SetString(Persistent& object, const Property& property, std::string text) {
  const PluginParamsObject& params = Params(object);
  const std::string ansi = params.Class().Boundary().Utf8ToAnsi(text);
  params.Class().Raw().setString(params.Object(), static_cast<uint32_t>(property.slot),
                                 ansi.c_str());
}

bool IsFieldName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxFieldName && std::ranges::all_of(name, [](char c) {
    return std::isalnum(static_cast<unsigned char>(c));
  });
}

// A function the class must have (`needed`) is present; every present one points into code.
bool UsableFunction(const void* function, bool needed, const PluginBoundary& boundary) {
  return function != nullptr ? boundary.Runnable(function) : !needed;
}

}  // namespace

std::shared_ptr<const PluginParamsClass> PluginParamsClass::Check(
    const void* address, const PluginBoundary& boundary, std::shared_ptr<const void> owner) {
  uint32_t structSize = 0;
  if (address == nullptr || !boundary.Readable(address, sizeof structSize)) return nullptr;
  std::memcpy(&structSize, address, sizeof structSize);
  if (structSize < sizeof(TavionParamsClass) ||
      !boundary.Readable(address, sizeof(TavionParamsClass)))
    return nullptr;

  std::shared_ptr<PluginParamsClass> cls(new PluginParamsClass);
  TavionParamsClass& raw = cls->raw_;
  std::memcpy(&raw, address, sizeof raw);
  if (raw.fieldCount > TAVION_MAX_FIELDS) return nullptr;
  std::vector<TavionParamsField> fields(raw.fieldCount);
  if (raw.fieldCount > 0) {
    const std::size_t bytes = fields.size() * sizeof(TavionParamsField);
    if (raw.fields == nullptr || !boundary.Readable(raw.fields, bytes)) return nullptr;
    std::memcpy(fields.data(), raw.fields, bytes);
  }

  bool numbers = false, strings = false;
  for (const TavionParamsField& field : fields) {
    if (field.kind > TAVION_FIELD_STRING) return nullptr;
    (field.kind == TAVION_FIELD_STRING ? strings : numbers) = true;
    std::string name = boundary.ReadText(field.name);
    if (!IsFieldName(name)) return nullptr;
    for (const std::string& earlier : cls->names_)
      if (SameTextIgnoringCase(earlier, name)) return nullptr;
    cls->names_.push_back(std::move(name));
  }
  const auto code = [](auto function) { return reinterpret_cast<const void*>(function); };
  if (!UsableFunction(code(raw.create), true, boundary) ||
      !UsableFunction(code(raw.destroy), true, boundary) ||
      !UsableFunction(code(raw.getNumber), numbers, boundary) ||
      !UsableFunction(code(raw.setNumber), numbers, boundary) ||
      !UsableFunction(code(raw.getString), strings, boundary) ||
      !UsableFunction(code(raw.setString), strings, boundary))
    return nullptr;

  cls->boundary_ = &boundary;
  cls->owner_ = std::move(owner);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    Property property{.name = cls->names_[i], .slot = i};
    if (fields[i].kind == TAVION_FIELD_STRING) {
      property.kind = PropertyKind::kString;
      property.getString = &GetString;
      property.setString = &SetString;
    } else {
      property.kind =
          fields[i].kind == TAVION_FIELD_BOOLEAN ? PropertyKind::kBoolean : PropertyKind::kInteger;
      property.getNumber = &GetNumber;
      property.setNumber = &SetNumber;
    }
    cls->properties_.push_back(property);
  }
  return cls;
}

std::unique_ptr<PluginParamsObject> PluginParamsClass::Create() const {
  void* object = raw_.create();
  if (object == nullptr) return nullptr;
  return std::make_unique<PluginParamsObject>(shared_from_this(), object);
}

PluginParamsObject::PluginParamsObject(std::shared_ptr<const PluginParamsClass> cls, void* object)
    : class_(std::move(cls)), object_(object) {}

PluginParamsObject::~PluginParamsObject() {
  class_->Raw().destroy(object_);
}

bool SetPluginParamNumber(Persistent& params, std::string_view name, int32_t value) {
  for (const Property& property : params.Properties()) {
    if (!SameTextIgnoringCase(property.name, name) || property.setNumber == nullptr) continue;
    if (property.kind != PropertyKind::kInteger && property.kind != PropertyKind::kBoolean)
      continue;
    property.setNumber(params, property, static_cast<uint32_t>(value));
    return true;
  }
  return false;
}

}  // namespace tavion
