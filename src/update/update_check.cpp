#include "update/update_check.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "lang/lang.h"
#include "settings/section_view.h"

namespace tavion {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// One part of a dotted version: its leading number and what follows it ("10rc" -> 10, "rc").
int ComparePart(std::string_view a, std::string_view b) {
  const auto digits = [](std::string_view part) {
    return static_cast<size_t>(std::find_if_not(part.begin(), part.end(), IsDigit) - part.begin());
  };
  const size_t aDigits = digits(a), bDigits = digits(b);
  // Numbers of any length: without their leading zeros the longer one is larger.
  std::string_view aNumber = a.substr(0, aDigits), bNumber = b.substr(0, bDigits);
  aNumber.remove_prefix(std::min(aNumber.find_first_not_of('0'), aNumber.size()));
  bNumber.remove_prefix(std::min(bNumber.find_first_not_of('0'), bNumber.size()));
  if (aNumber.size() != bNumber.size()) return aNumber.size() < bNumber.size() ? -1 : 1;
  if (const int order = aNumber.compare(bNumber); order != 0) return order;
  return a.substr(aDigits).compare(b.substr(bDigits));
}

// The part of `version` before the next dot from `at`, moving `at` past that dot; empty (0) once
// the text is used up.
std::string_view NextPart(std::string_view version, size_t& at) {
  if (at >= version.size()) return {};
  const size_t dot = std::min(version.find('.', at), version.size());
  const std::string_view part = version.substr(at, dot - at);
  at = dot + 1;
  return part;
}

}  // namespace

std::string UpdatePageAddress(const RegistryStore& settings) {
  std::string address = ReadStr(settings, "Misc", "UpdateUrl", "");
  return address.empty() ? kUpdatePage : address;
}

std::string UpdateReplyVersion(std::string_view reply) {
  std::string text;
  text.reserve(reply.size());
  for (size_t at = 0; at < reply.size();) {
    if (StartsWithIgnoringCase(reply, at, "<br/>")) {
      text += "\r\n";
      at += 5;
    } else if (StartsWithIgnoringCase(reply, at, " x ")) {
      text += ' ';
      at += 3;
    } else {
      text += reply[at++];
    }
  }
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    const std::string_view line = std::string_view(text).substr(at, end - at);
    at = end + 1;
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos && EqualsIgnoringCase(line.substr(0, equals), "ver"))
      return std::string(TrimBlanks(line.substr(equals + 1)));
  }
  return {};
}

int CompareVersions(std::string_view a, std::string_view b) {
  size_t aAt = 0, bAt = 0;
  while (aAt < a.size() || bAt < b.size()) {
    const int order = ComparePart(NextPart(a, aAt), NextPart(b, bAt));
    if (order != 0) return order < 0 ? -1 : 1;
  }
  return 0;
}

bool UpdateCheckDue(bool enabled, bool alreadyRan, double lastUpdate, double now) {
  return enabled && !alreadyRan && lastUpdate - now < kUpdateCheckDueWithinDays;
}

BackgroundUpdate BackgroundUpdateResult(std::string_view found, std::string_view running) {
  BackgroundUpdate result;
  // A failed connection leaves the date alone, so the next process asks again.
  if (found.empty()) return result;
  result.advance = true;
  if (CompareVersions(found, running) > 0) result.newVersion = std::string(found);
  return result;
}

UpdateVerdict InteractiveUpdateVerdict(std::string_view found, std::string_view running) {
  if (found.empty()) return UpdateVerdict::kError;
  const int order = CompareVersions(found, running);
  if (order == 0) return UpdateVerdict::kLatest;
  return order > 0 ? UpdateVerdict::kNewer : UpdateVerdict::kOlder;
}

std::string UpdateVerdictText(UpdateVerdict verdict, std::string_view found,
                              std::string_view running) {
  if (verdict == UpdateVerdict::kError)
    return GetLangStr("v_error",
                      "Error: can't connect to server. Check you internet connection or try later.",
                      "Update");
  const std::string comparison =
      "\r\n\r\n" + GetLangStr("v_your", "your version", "Update") + " - " + std::string(running) +
      ", " + GetLangStr("v_website", "version on website", "Update") + " - " + std::string(found);
  switch (verdict) {
    case UpdateVerdict::kLatest:
      return GetLangStr("v_last", "Your version is last.", "Update") + comparison;
    case UpdateVerdict::kNewer:
      return GetLangStr("v_new",
                        "New version available for downloading, do you wish to visit program "
                        "homepage?",
                        "Update") +
             comparison;
    default:
      // Not translated: a page older than the program is the maker's slip, not the user's news.
      return "Hey! Your version if newer, how can it happens? :)" + comparison;
  }
}

}  // namespace tavion
