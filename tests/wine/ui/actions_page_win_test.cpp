// The actions page in a plain window: its commands reach the real tree view, its drawing and its
// dragging. Where a node goes and which command is offered is decided natively.
#include "ui/actions_page_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "actions/action.h"
#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "settings/registry.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::MouseAt;
using wine_test::PumpUntil;

class ActionsPageTest : public testing::Test {
 protected:
  void SetUp() override {
    BuildCatalogue(store);
    for (const auto& [name, code, level] :
         {std::tuple{"Player", "", 0}, std::tuple{"Play", "wa_play", 1},
          std::tuple{"Stop", "wa_stop", 1}, std::tuple{"Next", "wa_next", 1},
          std::tuple{"Beep", "tv_beep", 0}}) {
      fixtures::AddAction(list, name, code).SetLevl(static_cast<uint8_t>(level));
    }
    tree.Rebuild(list, [](TAction& action) { return action.Name(); });
    PageServices services;
    services.window = window.hwnd();
    services.instance = GetModuleHandleW(nullptr);
    services.user = &store;
    services.actions = &list;
    services.tree = &tree;
    services.saveActions = [this] {
      SaveActionsOptions options;
      options.currentProfile = "Default";
      return SaveActions(list, tree, store, kCurrentProfileMark, options);
    };
    services.actionsChanged = [this] { ++changes; };
    ASSERT_TRUE(page.Create(window.hwnd(), services));
    RECT client{};
    GetClientRect(window.hwnd(), &client);
    MoveWindow(page.Handle(), 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(page.Handle(), SW_SHOW);
    page.Layout(96);
    TreeView_Expand(page.TreeHandle(), Item(L"Player"), TVE_EXPAND);
  }

  // The tree view's item with `text` among those that show.
  HTREEITEM Item(const std::wstring& text) const {
    HWND view = page.TreeHandle();
    for (HTREEITEM item = TreeView_GetRoot(view); item;
         item = TreeView_GetNextVisible(view, item)) {
      wchar_t buffer[64] = {};
      TVITEMW tv{};
      tv.mask = TVIF_TEXT | TVIF_HANDLE;
      tv.hItem = item;
      tv.pszText = buffer;
      tv.cchTextMax = 64;
      if (TreeView_GetItem(view, &tv) && text == buffer) return item;
    }
    return nullptr;
  }

  // The longest run of 0x808080 pixels along one row of the label of `item`, as drawn now: the
  // grey line through a struck-through text is as long as the text.
  int LongestGreyRun(HTREEITEM item) const {
    HWND view = page.TreeHandle();
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT label{};
    if (!TreeView_GetItemRect(view, item, &label, TRUE)) return -1;
    const WindowDc dc(view);
    int longest = 0;
    for (int y = label.top; y < label.bottom; ++y) {
      int run = 0;
      for (int x = label.left; x < label.right; ++x) {
        run = GetPixel(dc.get(), x, y) == RGB(0x80, 0x80, 0x80) ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    return longest;
  }

  // The screen point in the middle of the label of `item`.
  POINT LabelCentre(HTREEITEM item) const {
    RECT r{};
    TreeView_GetItemRect(page.TreeHandle(), item, &r, TRUE);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(page.TreeHandle(), &centre);
    return centre;
  }

  wine_test::TestWindow window{
      {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 640, .height = 480}};
  MemoryRegistry store;
  TActionsList list;
  ActionTree tree;
  ActionsPage page;
  int changes = 0;
};

TEST_F(ActionsPageTest, F4StrikesTheActionThroughInGreyAndSetsNevr) {
  HWND view = page.TreeHandle();
  const HTREEITEM stop = Item(L"Stop");
  EXPECT_EQ(0, LongestGreyRun(stop));
  TreeView_SelectItem(view, stop);
  ASSERT_TRUE(page.CommandEnabled(ListCommand::kToggle, view));
  page.RunCommand(ListCommand::kToggle, view);
  EXPECT_TRUE(tree.ActionByIndex(2)->ActionExecOn().Nevr);
  EXPECT_TRUE(list.Modified);

  // Selected, it keeps the selection's colours; once another node is selected it is grey.
  TreeView_SelectItem(view, Item(L"Play"));
  RECT label{};
  TreeView_GetItemRect(view, stop, &label, TRUE);
  const int struck = LongestGreyRun(stop);
  EXPECT_GT(struck, (label.right - label.left) / 2);
}

TEST_F(ActionsPageTest, DeleteWithYesRemovesTheNodeAndSavesAtOnce) {
  HWND view = page.TreeHandle();
  TreeView_SelectItem(view, Item(L"Stop"));
  std::thread answerer([&] {
    HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId());
    if (box)
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
  });
  page.RunCommand(ListCommand::kDelete, view);
  answerer.join();
  EXPECT_EQ("Next", tree.NodeAt(2)->text);
  EXPECT_EQ(4u, store.SubKeyNames("Software\\Quillon\\Tavion\\Keys\\Default").size());
  EXPECT_FALSE(list.Modified);
  EXPECT_EQ(1, changes);
  EXPECT_EQ(nullptr, Item(L"Stop"));
}

TEST_F(ActionsPageTest, DraggingAnActionOntoTheNextSwapsThem) {
  HWND view = page.TreeHandle();
  ASSERT_TRUE(wine_test::MakeForeground(window.hwnd()));
  const POINT play = LabelCentre(Item(L"Play"));
  const POINT stop = LabelCentre(Item(L"Stop"));
  ASSERT_TRUE(wine_test::Inject({MouseAt(play), MouseAt(play, MOUSEEVENTF_LEFTDOWN)}));
  ASSERT_TRUE(wine_test::Inject({MouseAt({play.x, (play.y + stop.y) / 2}), MouseAt(stop)}));
  ASSERT_TRUE(PumpUntil([&] { return GetCapture() == page.Handle(); }));
  ASSERT_TRUE(wine_test::Inject({MouseAt(stop, MOUSEEVENTF_LEFTUP)}));
  ASSERT_TRUE(PumpUntil([&] { return GetCapture() != page.Handle(); }));
  EXPECT_EQ("Stop", tree.NodeAt(1)->text);
  EXPECT_EQ("Play", tree.NodeAt(2)->text);
  EXPECT_EQ(list.At(1), tree.ActionByIndex(1));
  EXPECT_TRUE(list.Modified);
  EXPECT_EQ(1, changes);
  // The view shows the new order, the dragged node still selected.
  EXPECT_EQ(Item(L"Play"), TreeView_GetSelection(view));
}

}  // namespace
}  // namespace tavion
