#include "settings/reg_export_win.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "base/handles_win.h"
#include "lang/lang_win.h"
#include "settings/reg_file.h"
#include "settings/registry_win.h"

namespace tavion {
namespace {

struct RootName {
  HKEY root;
  const char* name;
};

// The predefined keys are fixed handle values, not constants, so the table is built at run time.
std::optional<std::string_view> NameOfRoot(HKEY root) {
  const RootName names[] = {{HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                            {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                            {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                            {HKEY_USERS, "HKEY_USERS"},
                            {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}};
  for (const RootName& entry : names)
    if (entry.root == root) return entry.name;
  return std::nullopt;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(
        std::min<std::size_t>(bytes.size() - written, std::numeric_limits<DWORD>::max()));
    DWORD done = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &done, /*lpOverlapped=*/nullptr) ||
        done == 0)
      return false;
    written += done;
  }
  return true;
}

}  // namespace

bool ExportRegKey(const std::wstring& fileName, HKEY root, std::string_view keyPath, bool recurse,
                  bool deleteFirst, const MessageBoxFunction& showMessage, RegistryView view) {
  const UniqueFileHandle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, /*dwShareMode=*/0,
                                          /*lpSecurityAttributes=*/nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  if (!file) return false;
  const std::optional<std::string_view> rootName = NameOfRoot(root);
  std::optional<std::string> text;
  if (rootName) {
    const Win32Registry store(root, /*basePath=*/{}, view);
    text = WriteRegText(store, *rootName, keyPath, recurse, deleteFirst);
  }
  if (!text) {
    if (showMessage)
      showMessage(/*owner=*/nullptr, GetLangStrW("ErrorRegKey", "Can't open registry key").c_str(),
                  GetLangStrW("ErrorRegSave", "Reg save error").c_str(), MB_OK | MB_ICONERROR);
    return false;
  }
  return WriteAll(file.get(), *text);
}

}  // namespace tavion
