#include "plugins/plugin_host_win.h"

#include <shellapi.h>

#include <algorithm>
#include <mutex>

#include "actions/action.h"
#include "actions/persistent.h"
#include "base/handles_win.h"
#include "base/message_wait_win.h"
#include "base/utf_win.h"
#include "base/version_text.h"
#include "plugins/plugin_boundary_win.h"
#include "plugins/plugin_params.h"
#include "tavion_plugin.h"

namespace tavion {
namespace {

// A plug-in's module, freed when the last holder lets go: its record, and each parameter object
// or call that still needs its code.
struct ModuleHold {
  explicit ModuleHold(HMODULE loaded) : module(loaded) {}
  ~ModuleHold() { FreeLibrary(module); }
  ModuleHold(const ModuleHold&) = delete;
  ModuleHold& operator=(const ModuleHold&) = delete;
  HMODULE module;
};
using SharedModule = std::shared_ptr<const ModuleHold>;

bool SameFile(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

bool IsProgramFile(std::wstring_view name) {
  return name.size() > 4 && SameFile(name.substr(name.size() - 4), L".exe");
}

bool IsPluginFile(std::wstring_view name) {
  return IsProgramFile(name) ||
         (name.size() > 4 && SameFile(name.substr(name.size() - 4), L".dll"));
}

std::wstring FileNameOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

// Loads a plug-in file: a library to run, a program only as data, never run to be asked.
SharedModule LoadPluginModule(const std::wstring& path, bool program) {
  const DWORD flags = program ? LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE
                              : LOAD_WITH_ALTERED_SEARCH_PATH;
  HMODULE module = LoadLibraryExW(path.c_str(), /*hFile=*/nullptr, flags);
  return module ? std::make_shared<const ModuleHold>(module) : nullptr;
}

template <typename Function>
Function Export(HMODULE module, std::string_view name) {
  const std::string ansi = Win32PluginBoundary().Utf8ToAnsi(name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, ansi.c_str())));
}

// Information query `number` of a plug-in; empty when it has no answer.
std::string Ask(HMODULE module, bool program, HWND mainWindow, uint32_t number) {
  if (program) {
    const UINT id = TAVION_PROGRAM_STRING_BASE + (number & 0xFFFF);
    return ProgramPluginText(ResourceString(module, id).value_or(std::string()));
  }
  const auto query = Export<TavionGetPlugInfoFn>(module, "GetPlugInfo");
  if (query == nullptr) return {};
  return Win32PluginBoundary().ReadText(query(mainWindow, number));
}

// GetPlugInfoEx's answer to `query` for `function`; nullopt without the export.
std::optional<std::string> AskAction(HMODULE module, uint32_t query, const std::string& function) {
  const auto ask = Export<TavionGetPlugInfoExFn>(module, "GetPlugInfoEx");
  if (ask == nullptr) return std::nullopt;
  const std::string ansi = Win32PluginBoundary().Utf8ToAnsi(function);
  return Win32PluginBoundary().ReadText(ask(query, 0, ansi.c_str()));
}

// A file loaded and asked for its interface version.
struct Candidate {
  SharedModule module;
  std::string version;
};
Candidate OpenCandidate(const std::wstring& path, HWND mainWindow) {
  Candidate candidate;
  const bool program = IsProgramFile(path);
  candidate.module = LoadPluginModule(path, program);
  if (candidate.module)
    candidate.version = Ask(candidate.module->module, program, mainWindow, TAVION_INFO_VERSION);
  return candidate;
}

// Starts a program plug-in with `command` and the main window; waits for its end when `wait`,
// processing messages meanwhile. False when it could not be started.
bool RunProgramPlugin(const std::wstring& path, const std::string& command, HWND mainWindow,
                      bool wait) {
  std::wstring line = L"\"" + path + L"\" " +
                      Utf8ToWide(ProgramPluginParameters(
                          command, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(mainWindow))));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE, 0,
                      nullptr, nullptr, &startup, &started))
    return false;
  const UniqueKernelHandle process(started.hProcess);
  CloseHandle(started.hThread);
  while (wait && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT &&
         WaitProcessingMessages(10)) {
  }
  return true;
}

// The plug-in's own object held by `params` (a TActionParamsPlug or the object itself), or null.
void* PluginObjectOf(Persistent* params) {
  if (auto* plug = dynamic_cast<TActionParamsPlug*>(params)) params = plug->Params.get();
  auto* object = dynamic_cast<PluginParamsObject*>(params);
  return object != nullptr ? object->Object() : nullptr;
}

}  // namespace

struct PluginHost::State {
  // Changed on the user-interface thread only; worker threads look plug-ins up under the lock.
  mutable std::mutex lock;
  std::vector<PluginRecord> plugins;
  std::vector<SharedModule> modules;  // one per record

  // The record of the file `fileName` (ignoring case) and its module, copied.
  std::optional<std::pair<PluginRecord, SharedModule>> Find(std::wstring_view fileName) const {
    const std::lock_guard guard(lock);
    for (std::size_t i = 0; i < plugins.size(); ++i)
      if (SameFile(plugins[i].fileName, fileName)) return std::pair(plugins[i], modules[i]);
    return std::nullopt;
  }
};

PluginHost::PluginHost(std::wstring folder, HWND mainWindow)
    : folder_(std::move(folder)), mainWindow_(mainWindow), state_(std::make_unique<State>()) {}

PluginHost::~PluginHost() = default;

PluginLoadReport PluginHost::Load(const std::string& shortVersion) {
  PluginLoadReport report;
  std::vector<PluginRecord> plugins;
  std::vector<SharedModule> modules;
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  const HANDLE search = FindFirstFileW((folder_ + L"\\*.*").c_str(), &found);
  const DWORD attributes = GetFileAttributesW(folder_.c_str());
  report.folderMissing =
      attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPluginFile(found.cFileName))
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  // The order of the file system's listing, made the same on every file system.
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });

  for (const std::wstring& name : names) {
    PluginRecord record;
    record.fileName = name;
    record.path = folder_ + L"\\" + name;
    record.program = IsProgramFile(name);
    Candidate candidate = OpenCandidate(record.path, mainWindow_);
    if (candidate.version.empty()) continue;
    if (candidate.version != TAVION_PLUGIN_VERSION) {
      report.versionErrors.push_back(
          PluginVersionError(shortVersion, WideToUtf8(name), candidate.version));
      continue;
    }
    record.module = candidate.module->module;
    record.listIndex = static_cast<int>(plugins.size());
    record.caption = Query(record, TAVION_INFO_NAME);
    if (record.caption.empty()) {
      const std::wstring stem = name.substr(0, name.size() - 4);
      record.caption = WideToUtf8(stem);
    }
    record.flags = PluginFlags(Query(record, TAVION_INFO_FLAGS));
    record.actions = SplitPluginActions(Query(record, TAVION_INFO_ACTIONS));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(record.path.c_str(), GetFileExInfoStandard, &data))
      record.fileSize = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    plugins.push_back(std::move(record));
    modules.push_back(std::move(candidate.module));
  }

  // The new set is loaded before the old modules go: one that stays keeps its code in place.
  {
    const std::lock_guard guard(state_->lock);
    std::swap(state_->plugins, plugins);
    std::swap(state_->modules, modules);
  }
  return report;
}

std::span<const PluginRecord> PluginHost::Plugins() const {
  return state_->plugins;
}

std::string PluginHost::Query(const PluginRecord& plugin, uint32_t number) const {
  return Ask(plugin.module, plugin.program, mainWindow_, number);
}

std::string PluginHost::Description(const PluginRecord& plugin) const {
  return PluginDescriptionText(Query(plugin, TAVION_INFO_DESCRIPTION), FileVersion(plugin.path));
}

bool PluginHost::HasFunction(const PluginRecord& plugin, std::string_view name) const {
  if (!plugin.program) return Export<FARPROC>(plugin.module, name) != nullptr;
  const std::optional<int> id = ProgramPluginCommandId(name);
  if (!id) return true;
  return *id != 0 && ResourceString(plugin.module, static_cast<UINT>(*id)).has_value();
}

std::string PluginHost::Call(const std::wstring& path, std::string_view function, int mode,
                             Persistent* params, HWND window) {
  const auto found = state_->Find(FileNameOf(path));
  if (!found) return "nil";
  const auto& [plugin, module] = *found;
  if (window == reinterpret_cast<HWND>(1)) window = mainWindow_;

  if (plugin.program) {
    const std::optional<int> id = ProgramPluginCommandId(function);
    if (id == 0) return {};
    std::string command(function);
    if (id) {
      std::optional<std::string> text = ResourceString(plugin.module, static_cast<UINT>(*id));
      if (!text) return "nil";
      command = std::move(*text);
    }
    const bool wait = id == TAVION_PROGRAM_INSTALL || id == TAVION_PROGRAM_UNINSTALL;
    return RunProgramPlugin(plugin.path, command, mainWindow_, wait) ? "" : "nil";
  }

  const auto exported = Export<FARPROC>(plugin.module, function);
  if (exported == nullptr) {
    const std::optional<uint32_t> number = PluginInfoNumber(function);
    return number ? Ask(plugin.module, false, mainWindow_, *number) : "nil";
  }
  if (mode == 1) {
    reinterpret_cast<TavionWindowFn>(reinterpret_cast<void*>(exported))(window);
  } else if (mode == 3) {
    reinterpret_cast<TavionActionFn>(reinterpret_cast<void*>(exported))(
        reinterpret_cast<intptr_t>(window), TAVION_MODE_RUN,
        reinterpret_cast<intptr_t>(PluginObjectOf(params)), 0);
  }
  return {};
}

PluginFileCheck PluginHost::CheckFile(const std::wstring& path) {
  const Candidate candidate = OpenCandidate(path, /*mainWindow=*/nullptr);
  if (candidate.version.empty()) return {};
  return {candidate.version == TAVION_PLUGIN_VERSION ? PluginCheck::kPlugin
                                                     : PluginCheck::kOtherVersion,
          candidate.version};
}

std::string PluginHost::FileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
      info == nullptr || infoSize < sizeof *info || info->dwSignature != VS_FFI_SIGNATURE)
    return {};
  return CutVersionText(
      FullVersionText(HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                      HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)));
}

bool PluginHost::Remove(std::size_t index, TActionsList* actions) {
  if (index >= state_->plugins.size()) return false;
  const PluginRecord plugin = state_->plugins[index];
  Call(plugin.path, "UnInstall", 1, nullptr, reinterpret_cast<HWND>(1));
  // The actions keep their settings as stored, to be saved back, and let go of the module.
  for (std::size_t i = 0; actions != nullptr && i < actions->Count(); ++i) {
    auto* plug = actions->At(i)->ParamsAs<TActionParamsPlug>();
    if (plug == nullptr || plug->Params == nullptr ||
        !SameFile(Utf8ToWide(plug->LibraryFile), plugin.fileName))
      continue;
    auto kept = std::make_unique<MemoryRegistry>();
    WriteObject(*plug->Params, *kept, "", "", /*load=*/false);
    plug->StoredParams = std::move(kept);
    plug->Params.reset();
  }
  SharedModule module;
  {
    const std::lock_guard guard(state_->lock);
    module = std::move(state_->modules[index]);
    state_->modules.erase(state_->modules.begin() + static_cast<std::ptrdiff_t>(index));
    state_->plugins.erase(state_->plugins.begin() + static_cast<std::ptrdiff_t>(index));
    for (std::size_t i = index; i < state_->plugins.size(); ++i) state_->plugins[i].listIndex--;
  }
  module.reset();
  if (DeleteFileW(plugin.path.c_str())) return true;
  // The file stays, so the plug-in does too.
  module = LoadPluginModule(plugin.path, plugin.program);
  if (module) {
    PluginRecord again = plugin;
    again.module = module->module;
    const std::lock_guard guard(state_->lock);
    const auto at = static_cast<std::ptrdiff_t>(index);
    state_->plugins.insert(state_->plugins.begin() + at, std::move(again));
    state_->modules.insert(state_->modules.begin() + at, std::move(module));
    for (std::size_t i = index + 1; i < state_->plugins.size(); ++i) state_->plugins[i].listIndex++;
  }
  return false;
}

HICON PluginHost::PluginIcon(const PluginRecord& plugin, int size) const {
  if (!plugin.program) {
    if (auto icon = static_cast<HICON>(LoadImageW(
            plugin.module, MAKEINTRESOURCEW(TAVION_ICON_PLUGIN), IMAGE_ICON, size, size, 0)))
      return icon;
  }
  SHFILEINFOW info = {};
  const UINT which = size <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  if (!SHGetFileInfoW(plugin.path.c_str(), 0, &info, sizeof info, SHGFI_ICON | which))
    return nullptr;
  return info.hIcon;
}

HICON PluginHost::ActionIcon(std::string_view code, int size) const {
  const std::optional<PluginActionId> id = Resolve(code);
  const auto found = id ? state_->Find(Utf8ToWide(id->libraryFile)) : std::nullopt;
  if (!found) return nullptr;
  const std::wstring name = L"ACTION_" + Utf8ToWide(id->actionId);
  return static_cast<HICON>(
      LoadImageW(found->second->module, name.c_str(), IMAGE_ICON, size, size, 0));
}

void PluginHost::ShowPanel(Persistent& params, HWND panel) {
  CallPanel(params, panel, TAVION_MODE_SHOW_PANEL);
}

void PluginHost::ClosePanel(Persistent& params, HWND panel) {
  CallPanel(params, panel, TAVION_MODE_CLOSE_PANEL);
}

void PluginHost::CallPanel(Persistent& params, HWND panel, uint32_t mode) {
  auto* plug = dynamic_cast<TActionParamsPlug*>(&params);
  const auto found = plug ? state_->Find(Utf8ToWide(plug->LibraryFile)) : std::nullopt;
  if (!found || found->first.program) return;
  if (const auto function = Export<TavionActionFn>(found->second->module, plug->ActionId))
    function(1, mode, reinterpret_cast<intptr_t>(PluginObjectOf(plug)),
             reinterpret_cast<intptr_t>(panel));
}

std::optional<PluginActionId> PluginHost::Resolve(std::string_view code) const {
  if (!code.starts_with("plug")) return std::nullopt;
  PluginActionId id{PluginCodeField(code, '1'), PluginCodeField(code, '2')};
  if (id.libraryFile.empty() || id.actionId.empty() || !state_->Find(Utf8ToWide(id.libraryFile)))
    return std::nullopt;
  return id;
}

PluginParams PluginHost::CreateParams(const PluginActionId& id) {
  const auto found = state_->Find(Utf8ToWide(id.libraryFile));
  if (!found || found->first.program) return nullptr;
  const SharedModule& module = found->second;
  const auto function = Export<TavionActionFn>(module->module, id.actionId);
  if (function == nullptr) return nullptr;
  // An object is made before it belongs to an action in the tree: no index is known yet.
  const intptr_t answer = function(-1, TAVION_MODE_PARAMS_CLASS, 0, 0);
  const auto cls = PluginParamsClass::Check(reinterpret_cast<const void*>(answer),
                                            Win32PluginBoundary(), module);
  std::unique_ptr<PluginParamsObject> made = cls ? cls->Create() : nullptr;
  if (made == nullptr) return nullptr;
  // The object's class keeps the module loaded until the object is gone.
  return PluginParams(made.release(), PluginParamsRelease{[function](Persistent* params) {
                        auto* object = static_cast<PluginParamsObject*>(params);
                        function(1, TAVION_MODE_RELEASE,
                                 reinterpret_cast<intptr_t>(object->Object()), 0);
                        delete object;
                      }});
}

std::vector<ActionCatalogueEntry> PluginHost::CatalogueEntries() const {
  std::vector<ActionCatalogueEntry> entries;
  for (const PluginRecord& plugin : state_->plugins) {
    const std::string file = WideToUtf8(plugin.fileName);
    for (const PluginActionLine& action : plugin.actions) {
      PluginActionFlags flags;
      if (!plugin.program)
        flags = PluginFlagsFromAnswers(
            AskAction(plugin.module, TAVION_INFOEX_ANY_THREAD, action.function),
            AskAction(plugin.module, TAVION_INFOEX_NOTIFY_FIRST, action.function));
      entries.push_back({.displayName = action.displayName,
                         .code = MakePluginCode(file, action.function),
                         .MainThreadOnly = flags.mainThreadOnly,
                         .NotifyBefore = flags.notifyBefore,
                         .pluginName = plugin.caption});
    }
  }
  return entries;
}

}  // namespace tavion
