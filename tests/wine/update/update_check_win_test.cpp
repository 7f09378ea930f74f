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

// Answers every GET on 127.0.0.1 with status 200 and the body set last, on a thread of its own.
class LocalHttpServer {
 public:
  LocalHttpServer() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (listener_ == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
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
  void Serve() {
    for (;;) {
      const SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
      }
      std::string reply;
      {
        std::lock_guard lock(mutex_);
        reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_;
      }
      ++requests_;
      // A client that stops reading ends the sending with an error: that is its right.
      for (size_t sent = 0; sent < reply.size();) {
        const int put = send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
        if (put <= 0) break;
        sent += static_cast<size_t>(put);
      }
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::string body_;
  std::atomic<int> requests_{0};
};

const std::string kMegabyteReply = "ver=9.9<br/>" + std::string(1 << 20, 'x');

TEST(UpdateCheckInteractive, EachReplyEndsInItsMessage) {
  LocalHttpServer server;
  ASSERT_TRUE(server.Running());
  const std::wstring versions = L"\r\n\r\nyour version - 1.9, version on website - ";
  const std::wstring error =
      L"Error: can't connect to server. Check you internet connection or try later.";
  const std::tuple<std::string, int, std::wstring> cases[] = {
      {"ver=1.10<br/>", IDNO,
       L"New version available for downloading, do you wish to visit program homepage?" + versions +
           L"1.10"},
      {"name=Tavion<BR/>VER=1.9", IDOK, L"Your version is last." + versions + L"1.9"},
      {"ver=1.8\r\n", IDOK,
       L"Hey! Your version if newer, how can it happens? :)" + versions + L"1.8"},
      {"", IDOK, error},
      {"name=Tavion<br/>size=1200", IDOK, error},
      {kMegabyteReply, IDOK, error},
  };
  for (const auto& [body, button, text] : cases) {
    server.SetBody(body);
    std::optional<std::wstring> shown;
    std::thread answer([&, button = button] { shown = wine_test::AnswerBox(button); });
    RunInteractiveUpdateCheck(server.Url(), "1.9");
    answer.join();
    EXPECT_EQ(text, shown.value_or(L"(no message)")) << body.substr(0, 30);
  }
  EXPECT_EQ(6, server.Requests()) << "every check asks the page anew";
}

TEST(UpdateCheckInteractive, AnUnreachablePageIsAnError) {
  std::optional<std::wstring> shown;
  std::thread answer([&] { shown = wine_test::AnswerBox(IDOK); });
  // Port 9 (discard) on the loopback address: nothing listens there.
  RunInteractiveUpdateCheck("http://127.0.0.1:9/version", "1.9");
  answer.join();
  EXPECT_EQ(L"Error: can't connect to server. Check you internet connection or try later.",
            shown.value_or(L"(no message)"));
}

// "Check now" on the About page asks the page the settings name; pictures of the page and of
// the answer at 96 and 144 dots per inch.
TEST(UpdateCheckInteractive, CheckNowOnTheAboutPageAsksThePageTheSettingsName) {
  LocalHttpServer server;
  ASSERT_TRUE(server.Running());
  server.SetBody("ver=1.10<br/>");
  Win32Registry registry(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(WriteStr(registry, "Misc", "UpdateUrl", server.Url()));
  for (const int dpi : {96, 144}) {
    wine_test::TestWindow host({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                .width = MulDiv(470, dpi, 96),
                                .height = MulDiv(420, dpi, 96)});
    PageServices services;
    services.window = host.hwnd();
    services.settings = &registry;
    services.fullVersion = "1.9.0.0", services.shortVersion = "1.9";
    services.buildDate = "08.12.2026 18:00:00";
    const std::unique_ptr<Page> page = CreateAboutPage();
    ASSERT_TRUE(page->Create(host.hwnd(), services));
    RECT client = {};
    GetClientRect(host.hwnd(), &client);
    MoveWindow(page->Handle(), 0, 0, client.right, client.bottom, TRUE);
    page->Layout(dpi);
    ShowWindow(page->Handle(), SW_SHOW);
    wine_test::PumpPending();
    const std::string suffix = "_" + std::to_string(dpi);
    wine_test::SaveScreenshot("about_page" + suffix);
    std::optional<std::wstring> shown;
    std::thread answer([&] {
      HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion");
      if (box) wine_test::SaveScreenshot("update_newer_message" + suffix);
      shown = wine_test::AnswerBox(IDNO);
    });
    SendMessageW(FindWindowExW(page->Handle(), nullptr, L"Button", L"Check now"), BM_CLICK, 0, 0);
    answer.join();
    EXPECT_NE(std::wstring::npos, shown.value_or(L"").find(L"version on website - 1.10")) << dpi;
  }
  EXPECT_EQ(2, server.Requests());
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
      {"ver=1.10<br/>", kLast + 5, "1.10", true}, {"ver=1.9<br/>", kLast + 5, "", false},
      {"ver=1.8<br/>", kLast + 5, "", false},     {"", kLast, "", false},
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
    EXPECT_EQ(last, Settings().LastUpdate);
    EXPECT_EQ(remembered, Settings().LastUpdateVersion);
    const auto expectedStatus =
        notice ? std::vector{std::tuple<UINT, WPARAM, LPARAM>{WM_TV_STATUS, kStatusUpdateNotice, 0}}
               : std::vector<std::tuple<UINT, WPARAM, LPARAM>>{};
    EXPECT_EQ(expectedStatus, main.Triples(WM_TV_STATUS));
  }
  ResetSettings();
}

}  // namespace
}  // namespace tavion
