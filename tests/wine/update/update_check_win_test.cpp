// The update check against a small HTTP server on the loopback address: what the interactive
// check tells the user for each kind of reply, and what the background check hands the main
// window.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/utf_win.h"
#include "exec/main_messages.h"
#include "settings/registry_win.h"
#include "settings/section_view.h"
#include "settings/settings.h"
#include "ui/about_page_win.h"
#include "update/update_check.h"
#include "update/update_check_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

// Answers every request on 127.0.0.1 with status 200 and the body set last, on a thread of its
// own, until it goes.
class LocalHttpServer {
 public:
  LocalHttpServer() {
    WSADATA data;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0 ||
        (listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) == INVALID_SOCKET ||
        bind(listener_, any, size) != 0 || listen(listener_, 4) != 0 ||
        getsockname(listener_, any, &size) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
        char request[8192];
        for (int got = 0, all = 0;
             !std::string_view(request, all).ends_with("\r\n\r\n") &&
             (got = recv(client, request + all, sizeof request - all, 0)) > 0;)
          all += got;
        std::string reply;
        {
          std::lock_guard lock(mutex_);
          reply = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body_.size()) +
                  "\r\nConnection: close\r\n\r\n" + body_;
        }
        ++requests_;
        // A client that stops reading makes the sending fail: it may.
        for (int sent = 0, put = 0; sent < static_cast<int>(reply.size()); sent += put)
          if ((put = send(client, reply.data() + sent, reply.size() - sent, 0)) <= 0) break;
        closesocket(client);
      }
    });
  }
  ~LocalHttpServer() {
    closesocket(listener_);  // ends the accept loop
    if (thread_.joinable()) thread_.join();
    WSACleanup();
  }

  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/version"; }
  bool Running() const { return port_ != 0; }
  void SetBody(std::string body) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
  }
  int Requests() const { return requests_; }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::string body_;
  std::atomic<int> requests_{0};
};

const std::string kMegabyteReply = "ver=9.9<br/>" + std::string(1 << 20, 'x');

// "Check now" on the About page asks the page the settings name, and each kind of reply ends in
// its dialog. Pictures of the page at 144 and 96 dots per inch and of the newer version's question.
TEST(UpdateCheckInteractive, CheckNowAsksThePageTheSettingsNameAndShowsItsAnswer) {
  LocalHttpServer server;
  ASSERT_TRUE(server.Running());
  Win32Registry registry(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(WriteStr(registry, "Misc", "UpdateUrl", server.Url()));
  std::unique_ptr<wine_test::TestWindow> host;
  std::unique_ptr<Page> page;
  for (const int dpi : {144, 96}) {
    page.reset();
    host = std::make_unique<wine_test::TestWindow>(
        wine_test::WindowDesign{.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                .width = MulDiv(470, dpi, 96),
                                .height = MulDiv(420, dpi, 96)});
    PageServices services;
    services.window = host->hwnd(), services.settings = &registry;
    services.fullVersion = "1.9.0.0", services.shortVersion = "1.9", services.buildDate = "today";
    page = CreateAboutPage();
    ASSERT_TRUE(page->Create(host->hwnd(), services));
    page->Layout(dpi);
    ShowWindow(page->Handle(), SW_SHOW);
    wine_test::PumpPending();
    wine_test::SaveScreenshot("about_page_" + std::to_string(dpi));
  }
  using V = UpdateVerdict;
  const std::tuple<std::string, V, std::string> cases[] = {
      {"ver=1.10<br/>", V::kNewer, "1.10"},
      {"name=Tavion<BR/>VER=1.9", V::kLatest, "1.9"},
      {"ver=1.8\r\n", V::kOlder, "1.8"},
      {"", V::kError, ""},
      {"name=Tavion<br/>size=1200", V::kError, ""},
      {kMegabyteReply, V::kError, ""},
  };
  for (const auto& [body, verdict, found] : cases) {
    server.SetBody(body);
    std::optional<std::wstring> shown;
    std::thread answer([&, newer = verdict == V::kNewer] {
      if (newer && wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion"))
        wine_test::SaveScreenshot("update_newer_message");
      shown = wine_test::AnswerBox(newer ? IDNO : IDOK);
    });
    SendMessageW(FindWindowExW(page->Handle(), nullptr, L"Button", L"Check now"), BM_CLICK, 0, 0);
    answer.join();
    EXPECT_EQ(Utf8ToWide(UpdateVerdictText(verdict, found, "1.9")), shown.value_or(L"(none)"))
        << body.substr(0, 30);
  }
  EXPECT_EQ(6, server.Requests()) << "every check asks the page anew";
}

// The background check of the page the settings name, against a test window standing in for the
// main window: the result arrives posted and is taken on this thread, as the main window takes it.
TEST(UpdateCheckBackground, AnAnswerMovesTheDateAndANewerVersionPostsTheNotice) {
  LocalHttpServer server;
  ASSERT_TRUE(server.Running());
  Win32Registry registry(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(WriteStr(registry, "Misc", "UpdateUrl", server.Url()));
  constexpr double kLast = 46000.25;
  // Found version, LastUpdate after, LastUpdateVersion after, notice posted.
  const std::tuple<std::string, double, std::string, bool> cases[] = {
      {"ver=1.10<br/>", kLast + 5, "1.10", true},
      {"ver=1.9<br/>", kLast + 5, "", false},
      {"", kLast, "", false},
      {kMegabyteReply, kLast, "", false},
  };
  for (const auto& [body, last, remembered, notice] : cases) {
    SCOPED_TRACE(body.substr(0, 30));
    ResetSettings();
    Settings().LastUpdate = kLast;
    server.SetBody(body);
    wine_test::TestWindow main;
    bool taken = false;
    main.answer = [&](HWND hwnd, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message != WM_TV_UPDATE_RESULT) return std::nullopt;
      TakeBackgroundUpdateResult(hwnd, lParam, Settings(), "1.9");
      taken = true;
      return 0;
    };
    ASSERT_TRUE(StartBackgroundUpdateCheck(main.hwnd(), UpdatePageAddress(registry)));
    ASSERT_TRUE(wine_test::PumpUntil([&] { return taken; }, 30000));
    ASSERT_TRUE(wine_test::PumpThroughSentinel());
    EXPECT_EQ(std::tuple(last, remembered),
              std::tuple(Settings().LastUpdate, Settings().LastUpdateVersion));
    EXPECT_EQ(std::vector(notice ? 1 : 0,
                          std::tuple<UINT, WPARAM, LPARAM>{WM_TV_STATUS, kStatusUpdateNotice, 0}),
              main.Triples(WM_TV_STATUS));
  }
  ResetSettings();
}

}  // namespace
}  // namespace tavion
