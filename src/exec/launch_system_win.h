#pragma once
// The system side of the folder variables and "%datetime%": shell folders, the temporary
// folder, the program folder and the user's locale.

#include <windows.h>

#include <string>

#include "exec/launch.h"

namespace tavion {

class Win32LaunchSystem final : public LaunchSystem {
 public:
  // `programFolder` is what "%exe%" becomes.
  explicit Win32LaunchSystem(std::wstring programFolder);

  std::string TempFolder() const override;
  std::string ShellFolder(int csidl) const override;
  std::string ProgramFolder() const override;
  LocalDateTime Now() const override;
  DateTimeNames Names() const override;
  std::string LongTimeText(const LocalDateTime& moment) const override;
  std::string ShortDateText(const LocalDateTime& moment) const override;
  std::string LongDateText(const LocalDateTime& moment) const override;
  std::string ShortTimeText(const LocalDateTime& moment) const override;

 private:
  std::wstring programFolder_;
};

}  // namespace tavion
