#include "forms/message_box_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "exec/exec_host_win.h"
#include "exec_test_window.h"
#include "lang/lang.h"
#include "native/fake_language.h"

namespace tavion {
namespace {

struct BoxSeen {
  bool found = false;
  std::wstring yes, no, ok, cancel;
  std::wstring text;
  bool topmost = false;
  RECT rect{};
  bool foreground = false;
};

// The control id of the text in the system's message box.
constexpr int kMessageTextId = 0xFFFF;

// The text of the box's control `id`, "-" when there is none.
std::wstring ButtonText(HWND box, int id) {
  const HWND button = GetDlgItem(box, id);
  if (button == nullptr) return L"-";
  wchar_t text[64] = {};
  GetWindowTextW(button, text, 64);
  return text;
}

BOOL CALLBACK FindOurBoxProc(HWND window, LPARAM parameter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[16] = {}, caption[16] = {};
  GetClassNameW(window, className, 16);
  GetWindowTextW(window, caption, 16);
  if (process == GetCurrentProcessId() && std::wstring(className) == L"#32770" &&
      std::wstring(caption) == L"Tavion" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }
  return TRUE;
}

// The visible message box of this process, or null.
HWND FindOurBox() {
  HWND found = nullptr;
  EnumWindows(FindOurBoxProc, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits on its own thread for the box, reads it and presses `press`.
class BoxDriver {
 public:
  explicit BoxDriver(int press)
      : thread_([this, press] {
          const ULONGLONG deadline = GetTickCount64() + 10000;
          HWND box = nullptr;
          while (box == nullptr && GetTickCount64() < deadline) {
            Sleep(20);
            box = FindOurBox();
          }
          if (box == nullptr) return;
          Sleep(100);  // let the box finish its first showing
          seen.found = true;
          seen.yes = ButtonText(box, IDYES);
          seen.no = ButtonText(box, IDNO);
          seen.ok = ButtonText(box, IDOK);
          seen.cancel = ButtonText(box, IDCANCEL);
          GetWindowRect(box, &seen.rect);
          seen.text = ButtonText(box, kMessageTextId);
          seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
          seen.foreground = GetForegroundWindow() == box;
          PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(box, press)));
        }) {}
  ~BoxDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  BoxSeen seen;

 private:
  std::thread thread_;
};

class MessageBoxTest : public testing::Test {
 protected:
  void TearDown() override {
    SetMessageBoxMainWindow(nullptr);
    SetLanguageSource(nullptr);
  }
};

TEST_F(MessageBoxTest, ButtonsCarryTheLanguagesCaptionsAndThePressedOneIsAnswered) {
  SetLanguageSource(std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Strings", "ButtonYes"}, "&Ja"},
      {{"Strings", "ButtonNo"}, "&Nein"},
      {{"Strings", "ButtonCancel"}, "Abbrechen"},
  }));
  BoxDriver driver(IDNO);
  const int answer =
      ShowMessageBox("Weiter?", MessageDialogType::Confirmation, MessageButtons::YesNoCancel);
  driver.Join();
  ASSERT_TRUE(driver.seen.found);
  EXPECT_EQ(IDNO, answer);
  EXPECT_EQ(L"&Ja", driver.seen.yes);
  EXPECT_EQ(L"&Nein", driver.seen.no);
  EXPECT_EQ(L"Abbrechen", driver.seen.cancel);
}

TEST_F(MessageBoxTest, EnglishCaptionsWithoutLanguage) {
  struct Case {
    MessageButtons buttons;
    int press;
    const wchar_t* yes;
    const wchar_t* no;
    const wchar_t* ok;
    const wchar_t* cancel;
  };
  const Case cases[] = {
      {MessageButtons::Ok, IDOK, L"-", L"-", L"OK", L"-"},
      {MessageButtons::OkCancel, IDCANCEL, L"-", L"-", L"OK", L"Cancel"},
      {MessageButtons::YesNo, IDYES, L"Yes", L"No", L"-", L"-"},
  };
  for (const Case& c : cases) {
    BoxDriver driver(c.press);
    const int answer = ShowMessageBox("Text", MessageDialogType::Information, c.buttons);
    driver.Join();
    ASSERT_TRUE(driver.seen.found);
    EXPECT_EQ(c.press, answer);
    EXPECT_EQ(c.yes, driver.seen.yes);
    EXPECT_EQ(c.no, driver.seen.no);
    EXPECT_EQ(c.ok, driver.seen.ok);
    EXPECT_EQ(c.cancel, driver.seen.cancel);
    EXPECT_EQ(L"Text", driver.seen.text);
  }
}

TEST_F(MessageBoxTest, CentredOverTheVisibleMainWindow) {
  exec_test::RecordingWindow main(/*visible=*/true, 150, 120, 700, 500);
  SetMessageBoxMainWindow(main.hwnd());
  RECT mainRect{};
  GetWindowRect(main.hwnd(), &mainRect);
  BoxDriver driver(IDOK);
  EXPECT_EQ(IDOK, ShowMessageBox("Centred", MessageDialogType::Warning, MessageButtons::Ok));
  driver.Join();
  ASSERT_TRUE(driver.seen.found);
  const RECT& box = driver.seen.rect;
  EXPECT_NEAR((mainRect.left + mainRect.right) / 2, (box.left + box.right) / 2, 2);
  EXPECT_NEAR((mainRect.top + mainRect.bottom) / 2, (box.top + box.bottom) / 2, 2);
  EXPECT_TRUE(driver.seen.foreground);
}

TEST_F(MessageBoxTest, WorksFromAWorkerThread) {
  exec_test::RecordingWindow main(/*visible=*/true);
  SetMessageBoxMainWindow(main.hwnd());
  std::atomic<int> answer{-1};
  std::thread worker([&] {
    answer =
        ShowMessageBox("From a worker", MessageDialogType::Confirmation, MessageButtons::YesNo);
  });
  // The main window's thread keeps handling messages while the worker's box is up.
  const bool shown = exec_test::PumpUntil([] { return FindOurBox() != nullptr; }, 10000);
  if (shown) {
    const HWND box = FindOurBox();
    EXPECT_EQ(L"Yes", ButtonText(box, IDYES));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
  }
  exec_test::PumpUntil([&] { return answer.load() != -1; }, 10000);
  worker.join();
  ASSERT_TRUE(shown);
  EXPECT_EQ(IDYES, answer.load());
}

TEST_F(MessageBoxTest, RunningCheckIsASystemModalBoxWithTheVersion) {
  BoxDriver driver(IDOK);
  RunRunningCheck(nullptr, "1.0");
  driver.Join();
  ASSERT_TRUE(driver.seen.found);
  EXPECT_EQ(L"Tavion 1.0 - running.", driver.seen.text);
  EXPECT_EQ(L"OK", driver.seen.ok);
  EXPECT_TRUE(driver.seen.topmost);
}

}  // namespace
}  // namespace tavion
