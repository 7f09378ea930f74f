#pragma once
// The update check's decisions: reading the update page's reply, comparing version numbers, when
// the background check is due, what its result changes, and what the interactive check tells
// the user. Portable.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavion {

class RegistryStore;

// The maker's update page; the "Misc" value "UpdateUrl" of the settings replaces it.
inline constexpr char kUpdatePage[] = "https://tavion.quillon.example/update/version.txt";
// The most of a reply that is read: the page is a line or two, anything longer is not it.
inline constexpr size_t kUpdateReplyLimit = 4096;
// How far a background check that got an answer moves the next one, and how close the next one
// must be for a restore to start it, in days.
inline constexpr double kUpdateCheckIntervalDays = 5.0;
inline constexpr double kUpdateCheckDueWithinDays = 1.0;

// The address the check asks: the settings' override when it is set, else kUpdatePage.
std::string UpdatePageAddress(const RegistryStore& settings);

// The value of the line "ver=..." of `reply` (name in any case), after every "<br/>" became a
// line break and every " x " a blank (both in any case); empty when there is no such line.
std::string UpdateReplyVersion(std::string_view reply);

// Compares dotted version numbers part by part as numbers ("1.10" > "1.9"); a missing part
// counts as 0 ("2.5" == "2.5.0"). A part that is not all digits is compared as text after its
// number. Returns <0, 0 or >0.
int CompareVersions(std::string_view a, std::string_view b);

// Whether a restore starts the background check: it is enabled, has not run in this process, and
// the next check (`lastUpdate`, days since 30 December 1899) is less than a day away from `now`.
bool UpdateCheckDue(bool enabled, bool alreadyRan, double lastUpdate, double now);

// What a background check that found `found` changes.
struct BackgroundUpdate {
  bool advance = false;                   // move LastUpdate on by kUpdateCheckIntervalDays
  std::optional<std::string> newVersion;  // newer than the running one: remember it, show notice
};
BackgroundUpdate BackgroundUpdateResult(std::string_view found, std::string_view running);

// The dialog the interactive check ends with.
enum class UpdateVerdict {
  kError,   // no version came: error dialog
  kLatest,  // information dialog
  kNewer,   // Yes/No question; Yes opens the maker's web page
  kOlder,   // information dialog
};
UpdateVerdict InteractiveUpdateVerdict(std::string_view found, std::string_view running);

// The dialog's text for `verdict` in the current language, with the versions compared after a
// blank line (except for kError).
std::string UpdateVerdictText(UpdateVerdict verdict, std::string_view found,
                              std::string_view running);

}  // namespace tavion
