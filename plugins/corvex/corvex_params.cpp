#include "corvex_params.h"

#include <cstring>
#include <new>

namespace corvex {
namespace {

constexpr uint32_t kDriveField = 0;
constexpr uint32_t kCdOperationField = 1;
constexpr uint32_t kPowerOperationField = 0;

// Copies `text` into `buffer` as the interface asks: always terminated, cut when too long; the
// whole length is returned either way.
uint32_t CopyOut(const std::string& text, char* buffer, uint32_t size) {
  if (buffer != nullptr && size > 0) {
    const size_t copied = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
  }
  return static_cast<uint32_t>(text.size());
}

// Exceptions never cross the interface: a failed allocation gives no object.
template <typename Params>
void* TAVION_STDCALL Create() {
  return new (std::nothrow) Params();
}

template <typename Params>
void TAVION_STDCALL Destroy(void* object) {
  delete static_cast<Params*>(object);
}

int32_t TAVION_STDCALL CdGetNumber(const void* object, uint32_t field) {
  const auto* params = static_cast<const CdParams*>(object);
  return params != nullptr && field == kCdOperationField ? static_cast<int32_t>(params->operation)
                                                         : 0;
}

void TAVION_STDCALL CdSetNumber(void* object, uint32_t field, int32_t value) {
  auto* params = static_cast<CdParams*>(object);
  if (params != nullptr && field == kCdOperationField)
    params->operation = static_cast<DoorOperation>(CheckedOperation(value, 2));
}

uint32_t TAVION_STDCALL CdGetString(const void* object, uint32_t field, char* buffer,
                                    uint32_t size) {
  const auto* params = static_cast<const CdParams*>(object);
  static const std::string kEmpty;
  return CopyOut(params != nullptr && field == kDriveField ? params->drive : kEmpty, buffer, size);
}

void TAVION_STDCALL CdSetString(void* object, uint32_t field, const char* text) {
  auto* params = static_cast<CdParams*>(object);
  if (params == nullptr || field != kDriveField) return;
  // NormalizeDrive gives at most two characters: no allocation that could throw.
  params->drive = NormalizeDrive(text != nullptr ? std::string_view(text, strnlen(text, 8)) : "");
}

int32_t TAVION_STDCALL PowerGetNumber(const void* object, uint32_t field) {
  const auto* params = static_cast<const PowerParams*>(object);
  return params != nullptr && field == kPowerOperationField
             ? static_cast<int32_t>(params->operation)
             : 0;
}

void TAVION_STDCALL PowerSetNumber(void* object, uint32_t field, int32_t value) {
  auto* params = static_cast<PowerParams*>(object);
  if (params != nullptr && field == kPowerOperationField)
    params->operation = static_cast<PowerOperation>(CheckedOperation(value, 3));
}

uint32_t TAVION_STDCALL PowerGetString(const void*, uint32_t, char* buffer, uint32_t size) {
  return CopyOut(std::string(), buffer, size);
}

void TAVION_STDCALL PowerSetString(void*, uint32_t, const char*) {}

const TavionParamsField kCdFields[] = {{"Drive", TAVION_FIELD_STRING},
                                       {"Operation", TAVION_FIELD_INTEGER}};
const TavionParamsField kPowerFields[] = {{"Operation", TAVION_FIELD_INTEGER}};

const TavionParamsClass kCdClass = {sizeof(TavionParamsClass),
                                    2,
                                    kCdFields,
                                    Create<CdParams>,
                                    Destroy<CdParams>,
                                    CdGetNumber,
                                    CdSetNumber,
                                    CdGetString,
                                    CdSetString};
const TavionParamsClass kPowerClass = {sizeof(TavionParamsClass),
                                       1,
                                       kPowerFields,
                                       Create<PowerParams>,
                                       Destroy<PowerParams>,
                                       PowerGetNumber,
                                       PowerSetNumber,
                                       PowerGetString,
                                       PowerSetString};

}  // namespace

const TavionParamsClass* CdParamsClass() {
  return &kCdClass;
}
const TavionParamsClass* PowerParamsClass() {
  return &kPowerClass;
}

int32_t CheckedOperation(int32_t value, int32_t count) {
  return value >= 0 && value < count ? value : 0;
}

std::string NormalizeDrive(std::string_view text) {
  if (text.empty() || text.size() > 3) return {};
  const char letter =
      text[0] >= 'a' && text[0] <= 'z' ? static_cast<char>(text[0] - 'a' + 'A') : text[0];
  if (letter < 'A' || letter > 'Z') return {};
  if (text.size() >= 2 && text[1] != ':') return {};
  if (text.size() == 3 && text[2] != '\\') return {};
  return std::string{letter, ':'};
}

char ChooseDrive(std::string_view drive, std::string_view opticalLetters) {
  const std::string normalized = NormalizeDrive(drive);
  if (normalized.empty()) return opticalLetters.empty() ? 0 : opticalLetters.front();
  return opticalLetters.find(normalized[0]) != std::string_view::npos ? normalized[0] : 0;
}

}  // namespace corvex
