#include "services/shortcuts_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "base/file_exists_win.h"
#include "base/utf_win.h"
#include "exec/launch.h"
#include "exec/launch_system_win.h"
#include "services/shortcuts.h"
#include "settings/form.h"

namespace tavion {
namespace {

// COM for the calling thread while it lives; a thread that already has another apartment keeps
// it (the link object works in either).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The folder and its missing parents; whether it exists afterwards.
bool MakeFolder(const std::wstring& folder) {
  // The result only says whether this call made it; the folder's existence is what counts.
  SHCreateDirectoryExW(/*hwnd=*/nullptr, folder.c_str(), /*psa=*/nullptr);
  return FolderExists(folder);
}

// The paths of the shortcuts on this system: their variables name shell folders only.
class ShortcutPlaces {
 public:
  ShortcutPlaces() : system_(/*programFolder=*/L"") {}

  // Empty when a folder variable of `path` names no folder here: the rest of the path would
  // then land in the root of the current drive.
  std::wstring Expand(const std::string& path) const {
    const std::wstring expanded = Utf8ToWide(ExpandVariables(path, system_));
    return expanded.starts_with(L'\\') ? std::wstring() : expanded;
  }

 private:
  Win32LaunchSystem system_;
};

// Creates or removes the items of one kind; for the group, whether its folder then exists
// (created) or is gone (removed).
bool ApplyShortcutKind(const ShortcutPlaces& places, const ShortcutItems& items,
                       const std::wstring& workingFolder, bool create) {
  if (items.links.empty()) return true;
  const bool group = !items.folder.empty();
  const std::wstring folder =
      group ? places.Expand(items.folder) : FolderOf(places.Expand(items.links[0].file));
  if (create) {
    const bool made = !folder.empty() && MakeFolder(folder);
    // The outcome is the folder's: a link that cannot be saved costs no beep, and a single
    // link's box shows at the next restore that its file is missing.
    for (const ShortcutLink& link : items.links)
      if (made) SaveShellLink(places.Expand(link.file), Utf8ToWide(link.target), workingFolder);
    return !group || made;
  }
  // Missing links are no failure: what counts is that none is left.
  for (const ShortcutLink& link : items.links) {
    const std::wstring file = places.Expand(link.file);
    if (!file.empty()) DeleteFileW(file.c_str());
  }
  if (!group || folder.empty()) return true;
  RemoveDirectoryW(folder.c_str());
  return !FolderExists(folder);
}

}  // namespace

bool SaveShellLink(const std::wstring& linkFile, const std::wstring& target,
                   const std::wstring& workingFolder) {
  const ComApartment apartment;
  IShellLinkW* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, /*pUnkOuter=*/nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkW, reinterpret_cast<void**>(&rawLink))))
    return false;
  const ComPtr<IShellLinkW> link(rawLink);
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(L"")) ||
      FAILED(link->SetWorkingDirectory(workingFolder.c_str())))
    return false;
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile))))
    return false;
  const ComPtr<IPersistFile> file(rawFile);
  return SUCCEEDED(file->Save(linkFile.c_str(), /*fRemember=*/TRUE));
}

bool CreateShortcuts(const ShortcutProgram& program, bool create, std::span<const int> set) {
  const std::wstring programFolder = FolderOf(program.executable);
  const ShortcutPlaces places;
  const std::wstring uninstaller = programFolder + L"\\Uninstall.exe";
  ShortcutTargets targets{WideToUtf8(program.executable), WideToUtf8(program.helpFile),
                          WideToUtf8(uninstaller)};
  // Links are made to files that exist. Removing takes every link the group can hold: a help
  // file or uninstaller that has gone since must not leave its link behind to keep the folder.
  if (create && !FileExists(program.helpFile)) targets.helpFile.clear();
  if (create && !FileExists(uninstaller)) targets.uninstaller.clear();

  bool result = true;
  for (const int kind : WidenShortcutSet(set)) {
    const bool done =
        ApplyShortcutKind(places, ShortcutItemsOf(kind, targets), programFolder, create);
    if (kind == kShortcutGroup) result = done;
  }
  return result;
}

bool ShortcutExists(int kind) {
  const ShortcutPlaces places;
  const std::wstring marker = places.Expand(ShortcutMarker(kind));
  return kind == kShortcutGroup ? FolderExists(marker) : FileExists(marker);
}

bool CreateApplicationShortCuts(FormControls& form, size_t index, const ShortcutProgram& program) {
  const int kind = ShortcutKindOfControl(form.Name(index));
  if (kind == 0) return false;
  const int set[] = {kind};
  if (!CreateShortcuts(program, form.Checked(index), set)) {
    MessageBeep(MB_ICONEXCLAMATION);
    form.SetChecked(index, false);
  }
  return true;
}

void ShowExistingShortcuts(FormControls& form) {
  for (int kind = 1; kind <= kShortcutKindCount; ++kind)
    if (const auto index = form.Find("cb_sc" + std::to_string(kind)))
      form.SetChecked(*index, ShortcutExists(kind));
}

}  // namespace tavion
