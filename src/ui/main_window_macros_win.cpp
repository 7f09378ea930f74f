// The main window's macros: recording with the tray's recording image, the macro editor, actions
// for macros.
#include <windows.h>

#include "base/utf_win.h"
#include "osd/osd_icons.h"
#include "settings/settings.h"
#include "ui/action_editor_win.h"
#include "ui/macro_editor_win.h"
#include "ui/main_window_parts_win.h"

namespace tavion {
namespace {

// The tray image a recording shows (any image from 2 up shows the one handed over).
constexpr int kRecordingTrayImage = 25;
constexpr int kRestoreTrayImage = -1;
constexpr int kBlankTrayImage = 0;
constexpr UINT_PTR kBlinkTimer = 0x4D52;
constexpr UINT kBlinkMs = 600;

}  // namespace

void MainWindow::RecordMacro(std::vector<std::string>* list) {
  SettingsRecord& settings = Settings();
  if (list) {
    settings.LastRecordTime = GetTickCount();
    if (parts_) parts_->dispatch.Host().SetRecordingList(list);
    settings.MacroRecording = true;
    if (!tray_.Shown()) return;
    if (!recordingIcon_) {
      const std::wstring file =
          startup_.resourceFolder + L"\\" + Utf8ToWide(OsdIconFile("mc_play", 0));
      recordingIcon_.reset(static_cast<HICON>(
          LoadImageW(nullptr, file.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                     GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
    }
    // Without the image the program's icon blinks.
    SetTrayImage(kRecordingTrayImage, recordingIcon_ ? recordingIcon_.get() : icon_);
    blinkBlank_ = false;
    // Without the timer the icon shows the recording image steadily.
    SetTimer(hwnd_, kBlinkTimer, kBlinkMs, &MainWindow::BlinkTrayIcon);
    return;
  }
  settings.MacroRecording = false;
  if (parts_) parts_->dispatch.Host().SetRecordingList(nullptr);
  if (hwnd_) KillTimer(hwnd_, kBlinkTimer);
  blinkBlank_ = false;
  // The tray's own state again: the enabled or disabled icon, or the language's.
  SetTrayImage(kRestoreTrayImage, nullptr);
  RefreshLanguageIcon(0);
}

void CALLBACK MainWindow::BlinkTrayIcon(HWND hwnd, UINT, UINT_PTR timer, DWORD) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !Settings().MacroRecording) {
    KillTimer(hwnd, timer);
    return;
  }
  self->blinkBlank_ = !self->blinkBlank_;
  // Restoring while recording brings back the recording image the blank remembered.
  self->SetTrayImage(self->blinkBlank_ ? kBlankTrayImage : kRestoreTrayImage, nullptr);
}

std::optional<std::string> MainWindow::EditMacro(const std::string& name) {
  MacroEditorContext context;
  context.owner = hwnd_;
  context.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  context.settings = &registry_;
  context.resourceFolder = startup_.resourceFolder;
  context.showHelp = [this](const std::string& topic) { ShowHelp(topic); };
  return ShowMacroEditor(context, name);
}

std::optional<std::size_t> MainWindow::AddMacroAction(HINSTANCE instance,
                                                      const std::string& macroName) {
  ActionEditorRequest request;
  request.isNew = true;
  request.startMode = EditorStartMode::kMacro;
  request.macroName = macroName;
  // No node selected: the new action goes to the end of the top level.
  request.selected = std::nullopt;
  return EditAction(instance, request);
}

}  // namespace tavion
