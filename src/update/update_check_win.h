#pragma once
// The update check through WinInet: the background check on a thread of its own, whose result
// the main window takes on its own thread, and the interactive check of the About page.
#include <windows.h>

#include <string>
#include <string_view>

namespace tavion {

struct SettingsRecord;

// Asks the update page at `address` and returns the version its reply names; empty when the
// page cannot be reached, answers with an HTTP error, sends more than kUpdateReplyLimit bytes or
// names no version. Blocks until the reply is read.
std::string FetchUpdateVersion(const std::string& address);

// Starts the background check of `address` on a thread of its own; it ends by posting
// WM_TV_UPDATE_RESULT to `mainWindow`. False when no thread could be started.
bool StartBackgroundUpdateCheck(HWND mainWindow, std::string address);

// The handler of WM_TV_UPDATE_RESULT: takes the version in `lParam`, moves `settings.LastUpdate`
// on when a version came and, when it is newer than `running`, remembers it in
// `settings.LastUpdateVersion` and posts WM_TV_STATUS(kStatusUpdateNotice) to `mainWindow`.
// Returns whether the notice was posted.
bool TakeBackgroundUpdateResult(HWND mainWindow, LPARAM lParam, SettingsRecord& settings,
                                std::string_view running);

// "Check now": asks `address` with the hourglass cursor shown, then tells the user how the
// version found compares with `running`; a Yes to a newer version opens the maker's site.
void RunInteractiveUpdateCheck(const std::string& address, std::string_view running);

// Opens the maker's web site with the shell; false when the shell could not.
bool OpenMakerSite();

}  // namespace tavion
