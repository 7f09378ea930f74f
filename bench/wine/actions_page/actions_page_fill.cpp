// Times how long the actions page takes to fill its tree and its details list (1,000 and 10,000
// actions), or shows the page with the default action set.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "keys/key_input_win.h"
#include "profile_fixture.h"
#include "settings/registry.h"
#include "ui/actions_page_win.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

HWND CreateHost(int width, int height, bool visible) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TavionActionsPageBench";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"HotKeys Actions",
                         WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 20, 20, width, height,
                         nullptr, nullptr, wc.hInstance, nullptr);
}

std::wstring ResourceFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\')) + L"\\Resource";
}

tavion::PageServices Services(HWND host, tavion::RegistryStore& store, tavion::TActionsList& list,
                              tavion::ActionTree& tree) {
  tavion::PageServices services;
  services.window = host;
  services.instance = GetModuleHandleW(nullptr);
  services.user = &store;
  services.actions = &list;
  services.tree = &tree;
  services.resourceFolder = ResourceFolder();
  return services;
}

void Fit(HWND host, tavion::ActionsPage& page, int dpi) {
  RECT client{};
  GetClientRect(host, &client);
  MoveWindow(page.Handle(), 0, 0, client.right, client.bottom, TRUE);
  ShowWindow(page.Handle(), SW_SHOW);
  page.Layout(dpi);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int Show(bool details) {
  tavion::MemoryRegistry store;
  tavion::BuildCatalogue(store);
  tavion::TActionsList list;
  tavion::ActionTree tree;
  tavion::LoadActionsOptions options;
  options.defaults = true;
  options.existingDrives = GetLogicalDrives();
  tavion::LoadActions(list, tree, store, "Keys\\Default", options);
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    if (tree.ActionByIndex(i)->Exec() == "wa_stop")
      tree.ActionByIndex(i)->ActionExecOn().Nevr = true;
  }
  const int dpi = tavion::WindowDpi(nullptr);
  HWND host = CreateHost(std::min(MulDiv(720, dpi, 96), GetSystemMetrics(SM_CXSCREEN) - 40),
                         std::min(MulDiv(560, dpi, 96), GetSystemMetrics(SM_CYSCREEN) - 80), true);
  tavion::ActionsPage page;
  if (!page.Create(host, Services(host, store, list, tree))) return 1;
  Fit(host, page, dpi);
  HWND view = page.TreeHandle();
  TreeView_Expand(view, TreeView_GetRoot(view), TVE_EXPAND);
  page.Select(4);
  if (details) page.SetView(1);
  SetFocus(details ? page.DetailsHandle() : view);
  // The pointer rests on the "Stop playback" node for its tip.
  RECT r{};
  HTREEITEM stop = TreeView_GetNextSibling(
      view, TreeView_GetNextSibling(view, TreeView_GetChild(view, TreeView_GetRoot(view))));
  if (!details && stop && TreeView_GetItemRect(view, stop, &r, TRUE)) {
    POINT at{r.left + 10, (r.top + r.bottom) / 2};
    ClientToScreen(view, &at);
    for (const int dx : {-8, 0}) {
      INPUT move = {};
      move.type = INPUT_MOUSE;
      move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
      move.mi.dx = MulDiv(at.x + dx, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
      move.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
      SendInput(1, &move, sizeof move);
      Sleep(50);
      Pump();
    }
  }
  const ULONGLONG end = GetTickCount64() + 60000;
  while (GetTickCount64() < end && IsWindow(host)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    Pump();
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();
  tavion::InstallSystemKeyNames();
  if (argc > 1 && std::wcscmp(argv[1], L"--show") == 0)
    return Show(argc > 2 && std::wcscmp(argv[2], L"--details") == 0);
  using Clock = std::chrono::steady_clock;
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  tavion::MemoryRegistry store;
  tavion::BuildCatalogue(store);
  std::printf("Actions page fill, %d rounds (median)\n", rounds);
  for (const int count : {1000, 10000}) {
    tavion::TActionsList list;
    tavion::ActionTree tree;
    tavion::FillProfile(list, tree, count);
    HWND host = CreateHost(720, 560, true);
    tavion::ActionsPage page;
    if (!page.Create(host, Services(host, store, list, tree))) return 1;
    Fit(host, page, 96);
    std::vector<double> trees, details;
    for (int round = 0; round < rounds; ++round) {
      page.SetView(0);
      const auto t0 = Clock::now();
      page.Refill();
      const auto t1 = Clock::now();
      page.SetView(1);
      const auto t2 = Clock::now();
      Pump();
      trees.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      details.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    std::printf("  %6d actions: tree %8.1f ms   details %8.1f ms\n", count, Median(trees),
                Median(details));
    DestroyWindow(host);
  }
  return 0;
}
