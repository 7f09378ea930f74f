// The small dialogs in languages whose words are longer than English: each grows to its texts,
// so nothing is cut or overlaps, its title included. Run once more in a prefix at 144 dots per
// inch for that DPI.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/input_form_win.h"
#include "forms/form_win.h"
#include "keys/key_input_win.h"
#include "keys/key_names.h"
#include "lang/lang.h"
#include "lang/language_win.h"
#include "lang/lng_file.h"
#include "ui/custom_key_dialog_win.h"
#include "ui/key_name_dialog_win.h"
#include "ui/key_remap_dialog_win.h"
#include "ui/shell_key_dialog_win.h"
#include "ui/text_query_win.h"
#include "ui/window_picker_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

// DPI-aware as the program is: run in a prefix of another DPI, the dialogs lay out at it.
const bool kDpiAware = SetProcessDPIAware();

// Texts of the dialogs about twice as long as the English ones; a notice of two lines.
constexpr char kLongTexts[] =
    "[Strings]\nButtonOK=Подтвердить выбор\nButtonCancel=Отменить все изменения\n"
    "ButtonHelp=Справочные сведения\nButtonYes=Да, расширенная\n"
    "ProfileInputName=Введите новое название профиля настроек программы\n"
    "ProfileRename=Переименование текущего профиля настроек программы и всех его действий\n"
    "InfoReboot=Чтобы изменения вступили в силу, перезагрузите компьютер.#13Сохраните всё.\n"
    "[Fr3]\nCaptionAdd=Добавление новой клавиши в таблицу названий клавиш\n"
    "l_std=Стандартная клавиша (код, скан-код и флаги клавиши)\n[TFr_HKey]\n"
    "gb_key=Клавиша или сочетание клавиш, которое запускает это действие программы\n"
    "gb_key.Item1=Получать ввод клавиш с дополнительных HID-устройств\n"
    "[TFr_ke]\nl_mod=Модификаторы сочетания клавиш:\ncb_mod.Item0=Без модификаторов вообще\n"
    "[WBrForm]\nl_cap=&Заголовок окна приложения:\nb_anyCap=Л&юбой заголовок окна\n"
    "b_browse=&Обзор всех открытых окон...\n[Fr5]\nl_action=&Действие оболочки Windows:\n"
    "CaptionEdt=Изменение клавиши оболочки Windows и её действия\n[Fr_lay]\n"
    "l_key1=Заменяемая клавиша клавиатуры\nl_ext1=Расширенная клавиша\n"
    "cb_add=Добавить ещё одну новую клавишу сразу после закрытия этого окна\n";

void UseLongTexts() {
  const std::string_view text = kLongTexts;
  SetLanguageSource(
      std::make_shared<LanguageFile>(std::vector<uint8_t>(text.begin(), text.end()), nullptr));
}

// Where the dialog's title is cut: its text is wider than the title bar leaves it.
std::vector<std::string> TitleFaults(HWND dialog) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const UniqueFont font(CreateFontIndirectW(&metrics.lfCaptionFont));
  const WindowDc dc(dialog);
  const ScopedSelection selection(dc.get(), font.get());
  const std::wstring title = wine_test::WindowText(dialog);
  SIZE need = {};
  GetTextExtentPoint32W(dc.get(), title.c_str(), static_cast<int>(title.size()), &need);
  RECT client = {};
  GetClientRect(dialog, &client);
  // The close button and a little room either side of the text.
  const int room = client.right - GetSystemMetrics(SM_CXSIZE) - 8;
  if (need.cx <= room) return {};
  return {"the title '" + WideToUtf8(title) + "' is cut"};
}

struct DialogCase {
  const char* name;
  const wchar_t* windowClass;
  size_t minControls;
  // Runs the dialog on this thread over `owner` until the test closes it.
  std::function<void(HWND owner)> run;
};

const TKeyNames kNoKeyNames;
const std::vector<ShellKeyRow> kNoShellKeys;

const DialogCase kDialogs[] = {
    {"key-name", L"#32770", 8,
     [](HWND owner) {
       KeyNameDialogData data;
       ShowKeyNameDialog(owner, {}, kNoKeyNames, -1, data);
     }},
    {"custom-key", L"#32770", 10,
     [](HWND owner) {
       KeyEditDesign design;
       design.place = {8, 8, 200, 32};
       const std::unique_ptr<KeyEdit> edit = KeyEdit::Create(owner, design);
       if (edit) EditCustomKey(*edit);
     }},
    {"window-picker", L"#32770", 10,
     [](HWND owner) {
       std::string windowClass, caption;
       PickWindow(owner, windowClass, caption, /*maskMode=*/true, [](const std::string&) {});
     }},
    {"shell-key", L"#32770", 8,
     [](HWND owner) {
       ShellKeyDialogData data;
       data.editing = true;
       ShowShellKeyDialog(owner, kNoShellKeys, -1, data);
     }},
    {"key-remap", L"#32770", 12,
     [](HWND owner) {
       KeyRemapDialogData data;
       data.row = {0x3A, 0x1D, false, true};
       ShowKeyRemapDialog(owner, {}, data);
     }},
    {"text-query", L"#32770", 4,
     [](HWND owner) {
       AskText(owner, GetLangStr("ProfileRename", "Rename profile"),
               GetLangStr("ProfileInputName", "Input new profile name"), "Default");
     }},
    {"input-form", kInputFormClass, 4,
     [](HWND) { AskInputValue(GetLangStr("QuestInputParam", "Input parameter"), {}); }},
};

// The faults of each dialog, opened over a shown window and measured from a second thread;
// `screenshots` names the saved pictures.
std::vector<std::string> FaultsOfEachDialog(const std::string& screenshots) {
  wine_test::TestWindow owner({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  std::vector<std::string> faults;
  for (const DialogCase& dialogCase : kDialogs) {
    std::thread driver([&] {
      HWND dialog =
          wine_test::WaitForWindow(dialogCase.windowClass, GetCurrentProcessId(), nullptr);
      if (!dialog) {
        faults.push_back(std::string(dialogCase.name) + ": not shown");
        return;
      }
      const int dpi = WindowDpi(dialog);
      std::vector<std::string> found = wine_test::LayoutFaults(dialog, dpi, dialogCase.minControls);
      for (std::string& fault : TitleFaults(dialog)) found.push_back(std::move(fault));
      // A capture control shows its key from the first character.
      for (HWND edit : wine_test::ChildrenOfClass(dialog, kKeyEditClass.data()))
        if (static_cast<short>(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0))) < 0)
          found.push_back("'" + WideToUtf8(wine_test::WindowText(edit)) + "' is scrolled");
      for (const std::string& fault : found) faults.push_back(dialogCase.name + (": " + fault));
      if (!screenshots.empty())
        wine_test::SaveScreenshot(screenshots + dialogCase.name + "-" + std::to_string(dpi));
      PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    dialogCase.run(owner.hwnd());
    driver.join();
  }
  return faults;
}

TEST(DialogsInLongerLanguages, GrowToTheirTextsWithNothingCutOrOverlapping) {
  const wine_test::ScopeExit english([] { SetLanguageSource(nullptr); });
  InstallSystemKeyNames();
  EXPECT_EQ(std::vector<std::string>{}, FaultsOfEachDialog({}));
  UseLongTexts();
  EXPECT_EQ(std::vector<std::string>{}, FaultsOfEachDialog("dialog-long-"));
  // The shipped Russian texts.
  OpenLanguageFile(wine_test::ProgramFolder() + L"\\Lang", "Russian");
  EXPECT_EQ(std::vector<std::string>{}, FaultsOfEachDialog("dialog-ru-"));
}

}  // namespace
}  // namespace tavion
