// Our plug-in libraries (Corvex.dll and the kit's TavionSample.dll) loaded and called as Tavion
// calls them; this program stands in for Tavion.exe and exports PlugShowOSD.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "tavion_plugin.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

// The lines the plug-ins add to the notification, as Tavion's PlugShowOSD would.
static std::mutex g_linesLock;
static std::vector<std::string> g_lines;

extern "C" __declspec(dllexport) void TAVION_STDCALL PlugShowOSD(const char* text) {
  std::lock_guard<std::mutex> lock(g_linesLock);
  g_lines.push_back(text != nullptr ? text : "(null)");
}

namespace {

std::vector<std::string> TakeLines() {
  std::lock_guard<std::mutex> lock(g_linesLock);
  return std::exchange(g_lines, {});
}

class Library {
 public:
  explicit Library(const wchar_t* path)
      : module_(LoadLibraryExW((wine_test::ProgramFolder() + path).c_str(), nullptr,
                               LOAD_WITH_ALTERED_SEARCH_PATH)) {}
  ~Library() { FreeLibrary(module_); }
  HMODULE module() const { return module_; }
  template <typename Function>
  Function Get(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }
  std::string Info(uint32_t number) const {
    return Get<TavionGetPlugInfoFn>("GetPlugInfo")(nullptr, number);
  }
  // Runs `function` in `mode` with the object and window given.
  intptr_t Call(const char* function, uint32_t mode, void* object = nullptr, HWND window = nullptr,
                intptr_t a = 1) const {
    return Get<TavionActionFn>(function)(a, mode, reinterpret_cast<intptr_t>(object),
                                         reinterpret_cast<intptr_t>(window));
  }

 private:
  HMODULE module_;
};

const wchar_t* const kSamplePath = L"\\sample-plugin\\TavionSample.dll";
const wchar_t* const kCorvexPath = L"\\PlugIns\\Corvex.dll";

// An object of the function's class, made and destroyed as Tavion does.
class Object {
 public:
  Object(const Library& library, const char* function)
      : class_(reinterpret_cast<const TavionParamsClass*>(
            library.Call(function, TAVION_MODE_PARAMS_CLASS, nullptr, nullptr, 0))),
        object_(class_->create()) {}
  ~Object() { class_->destroy(object_); }
  void* get() const { return object_; }
  void SetNumber(uint32_t field, int32_t value) const { class_->setNumber(object_, field, value); }
  int32_t Number(uint32_t field) const { return class_->getNumber(object_, field); }
  void SetString(uint32_t field, const char* text) const {
    class_->setString(object_, field, text);
  }
  std::string String(uint32_t field) const {
    char buffer[256] = {};
    class_->getString(object_, field, buffer, sizeof(buffer));
    return buffer;
  }

 private:
  const TavionParamsClass* class_;
  void* object_;
};

TEST(PluginLibs, AnswerTavionsQueriesAndCarryTheirIcons) {
  for (const auto& [path, name] :
       {std::pair(kSamplePath, "Tavion sample"), std::pair(kCorvexPath, "Corvex")}) {
    const Library library(path);
    ASSERT_NE(nullptr, library.module());
    EXPECT_EQ("2A.0", library.Info(TAVION_INFO_VERSION));
    EXPECT_EQ(name, library.Info(TAVION_INFO_NAME));
    EXPECT_NE(std::string::npos, library.Info(TAVION_INFO_DESCRIPTION).find("%ver%"));
    EXPECT_EQ("0", library.Info(TAVION_INFO_FLAGS));
    EXPECT_NE(nullptr, FindResourceW(library.module(), MAKEINTRESOURCEW(1100), RT_GROUP_ICON));
    std::istringstream actions(library.Info(TAVION_INFO_ACTIONS));
    for (std::string caption, function;
         std::getline(actions, caption) && std::getline(actions, function);) {
      const std::string icon = "ACTION_" + function.substr(0, function.find('\r'));
      EXPECT_NE(nullptr, FindResourceA(library.module(), icon.c_str(), MAKEINTRESOURCEA(14)))
          << icon;
    }
  }
}

TEST(SamplePlugin, SayShowsItsTextInCapitalsOnRequestAndNothingWithoutOne) {
  const Library sample(kSamplePath);
  const Object say(sample, "Say");
  using Lines = std::vector<std::string>;
  for (const auto& [text, upper, lines] :
       {std::tuple("Hello, world", 0, Lines{"Hello, world"}),
        std::tuple("Hello, world", 1, Lines{"HELLO, WORLD"}),
        std::tuple("Hello", 7, Lines{"Hello"}), std::tuple("", 1, Lines{})}) {
    say.SetString(0, text);
    say.SetNumber(1, upper);
    sample.Call("Say", TAVION_MODE_RUN, say.get());
    EXPECT_EQ(lines, TakeLines()) << text << " " << upper;
  }
  sample.Call("Say", TAVION_MODE_RUN);
  EXPECT_EQ(std::vector<std::string>{}, TakeLines());
}

// Each action's line in the notification. Wine here has no sound device and no optical drive.
TEST(Corvex, ActionsAddTheirLineToTheNotification) {
  const Library corvex(kCorvexPath);
  corvex.Call("ShowTime", TAVION_MODE_RUN);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::vector<std::string> time = TakeLines();
  ASSERT_EQ(1u, time.size());
  EXPECT_NE(std::string::npos, time[0].find(std::to_string(now.wYear))) << time[0];
  if (waveOutGetNumDevs() != 0 || GetDriveTypeW(L"D:\\") == DRIVE_CDROM) GTEST_SKIP();
  for (uint32_t query : {103u, 104u, 105u}) {
    EXPECT_EQ("", corvex.Info(query));
    EXPECT_EQ(std::vector<std::string>{"Error: no sound device to change the volume"}, TakeLines());
  }
  const Object cd(corvex, "CDRom");
  for (const char* drive : {"", "E:", "junk"}) {
    cd.SetString(0, drive);
    corvex.Call("CDRom", TAVION_MODE_RUN, cd.get());
    EXPECT_EQ(std::vector<std::string>{"Error: no CD-ROM drive found"}, TakeLines()) << drive;
  }
}

// The question of each operation (7 is no operation: the first), answered No from this thread.
TEST(Corvex, PowerAsksFirstAndNoLeavesTheSessionAlone) {
  const Library corvex(kCorvexPath);
  const Object power(corvex, "Power");
  for (const auto& [operation, question] :
       {std::pair(0, L"Restart the computer now?"), std::pair(1, L"Turn off the computer now?"),
        std::pair(2, L"Log off now?"), std::pair(7, L"Restart the computer now?")}) {
    power.SetNumber(0, operation);
    // Tavion passes its main window as the owner; a stale handle must not hide the question.
    std::thread run([&] { corvex.Call("Power", TAVION_MODE_RUN, power.get(), nullptr, 12345); });
    const HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Corvex");
    std::wstring texts;
    for (HWND child : wine_test::ChildrenOfClass(box, L"Static"))
      texts += wine_test::WindowText(child);
    EXPECT_NE(std::wstring::npos, texts.find(question)) << operation;
    const LONG noStyle = GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, noStyle & BS_TYPEMASK) << "a stray Enter says No";
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    run.join();
    EXPECT_EQ(std::vector<std::string>{}, TakeLines());
  }
}

TEST(Corvex, NextLayoutAsksTheForegroundWindowForTheFollowingLayout) {
  const Library corvex(kCorvexPath);
  wine_test::TestWindow window({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  window.record = [](UINT message) { return message == WM_INPUTLANGCHANGEREQUEST; };
  ASSERT_TRUE(wine_test::MakeForeground(window.hwnd()));
  HKL layouts[64] = {};
  const int count = GetKeyboardLayoutList(64, layouts);
  const HKL current = GetKeyboardLayout(0);
  const auto at = std::find(layouts, layouts + count, current) - layouts;
  corvex.Call("lang", TAVION_MODE_RUN);
  ASSERT_TRUE(wine_test::PumpUntil([&] { return window.Got(WM_INPUTLANGCHANGEREQUEST); }));
  const wine_test::Message request = window.Of(WM_INPUTLANGCHANGEREQUEST)[0];
  EXPECT_EQ(static_cast<WPARAM>(INPUTLANGCHANGE_FORWARD), request.wParam);
  EXPECT_EQ(reinterpret_cast<LPARAM>(layouts[(at + 1) % count]), request.lParam);
}

// A panel as the action editor gives it: a child window with the message font for `dpi`.
struct Panel {
  explicit Panel(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, 96);
    font = CreateFontIndirectW(&metrics.lfMessageFont);
    hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0,
                           MulDiv(330, dpi, 96), MulDiv(110, dpi, 96), host.hwnd(), nullptr,
                           nullptr, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ~Panel() { DestroyWindow(hwnd), DeleteObject(font); }
  // Every control has an identifier from 100 to 199 and the panel's font; the layout is sound.
  void Check(int dpi, const std::string& name) const {
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      EXPECT_TRUE(GetDlgCtrlID(child) >= 100 && GetDlgCtrlID(child) <= 199);
      EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageW(child, WM_GETFONT, 0, 0));
    }
    EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(hwnd, dpi, 3));
    wine_test::PumpPending();
    wine_test::SaveScreenshot(name + "_" + std::to_string(dpi));
  }
  wine_test::TestWindow host{{.style = WS_POPUP | WS_VISIBLE | WS_BORDER, .width = 500}};
  HFONT font = nullptr;
  HWND hwnd = nullptr;
};

// Each panel shows its object (`shown`), takes the user's choice (`choose`) and stores it in the
// object (`stored`), laid out soundly at 96 and 144 dpi.
TEST(PluginPanels, ShowTheObjectAndStoreTheUsersChoice) {
  const Library sample(kSamplePath), corvex(kCorvexPath);
  struct Case {
    const Library& library;
    const char* function;
    std::function<void(const Object&)> load;
    std::function<bool(HWND)> shown;
    std::function<void(HWND)> choose;
    std::function<bool(const Object&)> stored;
  };
  const auto checked = [](HWND p, int id) { return IsDlgButtonChecked(p, id) == BST_CHECKED; };
  const auto text = [](HWND panel, int id) { return wine_test::WindowText(GetDlgItem(panel, id)); };
  const Case cases[] = {
      {sample, "Say", [](const Object& o) { o.SetString(0, "abc"), o.SetNumber(1, 1); },
       [&](HWND p) { return text(p, 101) == L"abc" && checked(p, 102); },
       [](HWND p) { SetDlgItemTextW(p, 101, L"xyz"), CheckDlgButton(p, 102, BST_UNCHECKED); },
       [](const Object& o) { return o.String(0) == "xyz" && o.Number(1) == 0; }},
      // A stored drive that is not optical now stays a choice.
      {corvex, "CDRom", [](const Object& o) { o.SetString(0, "Q:"), o.SetNumber(1, 1); },
       [&](HWND p) { return text(p, 101) == L"Q:" && checked(p, 103); },
       [](HWND p) {
         SendDlgItemMessageW(p, 101, CB_SETCURSEL, 0, 0), CheckRadioButton(p, 102, 103, 102);
       },
       [](const Object& o) { return o.String(0).empty() && o.Number(1) == 0; }},
      {corvex, "Power", [](const Object& o) { o.SetNumber(0, 2); },
       [&](HWND p) { return checked(p, 112); }, [](HWND p) { CheckRadioButton(p, 110, 112, 111); },
       [](const Object& o) { return o.Number(0) == 1; }},
  };
  for (const int dpi : {96, 144}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.function) + " at " + std::to_string(dpi));
      const Object object(c.library, c.function);
      c.load(object);
      const Panel panel(dpi);
      c.library.Call(c.function, TAVION_MODE_SHOW_PANEL, object.get(), panel.hwnd);
      EXPECT_TRUE(c.shown(panel.hwnd));
      panel.Check(dpi, c.function);
      c.choose(panel.hwnd);
      c.library.Call(c.function, TAVION_MODE_CLOSE_PANEL, object.get(), panel.hwnd);
      EXPECT_TRUE(c.stored(object));
    }
  }
}

}  // namespace
