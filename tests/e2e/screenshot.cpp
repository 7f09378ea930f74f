#include "screenshot.h"

#include <windows.h>

#include <cstdlib>

#include "tavion_process.h"

namespace tavion::e2e {

bool SaveScreenshot(const std::string& name) {
  const char* folder = std::getenv("TAVION_SCREENSHOTS");
  if (!folder || !*folder) return false;
  const std::string target = std::string(folder) + "/" + name + ".png";
  // The unix path as seen from Wine's Z: drive, to check for the finished file.
  std::wstring winTarget = L"Z:";
  for (char c : target) winTarget += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  DeleteFileW(winTarget.c_str());

  // Written under another name first and renamed, so the file appears only when complete.
  std::string command = "/bin/sh -c \"mkdir -p '" + std::string(folder) +
                        "' && import -window root '" + target + ".part.png' && mv '" + target +
                        ".part.png' '" + target + "'\"";
  std::wstring wideCommand(command.begin(), command.end());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  // A Unix process started by Wine gives no waitable handle; the renamed file is the signal.
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return WaitUntil([&] { return GetFileAttributesW(winTarget.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   std::chrono::seconds(20));
}

}  // namespace tavion::e2e
