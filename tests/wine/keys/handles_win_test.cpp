#include "base/handles_win.h"

#include <gtest/gtest.h>

#include <utility>

namespace tavion {
namespace {

HKEY OpenRawKey() {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Test\\Handles",
                                           0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
  return key;
}

bool IsOpen(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(UniqueHKey, ClosesWhenItGoes) {
  HKEY raw = OpenRawKey();
  {
    UniqueHKey owner(raw);
    EXPECT_TRUE(owner);
    EXPECT_TRUE(IsOpen(owner.get()));
  }
  EXPECT_FALSE(IsOpen(raw));
}

TEST(UniqueHKey, MovingTransfersOwnershipAndClosesTheOverwrittenKey) {
  HKEY first = OpenRawKey();
  HKEY second = OpenRawKey();
  UniqueHKey a(first);
  UniqueHKey b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(first, b.get());
  EXPECT_TRUE(IsOpen(first));

  UniqueHKey c(second);
  c = std::move(b);
  EXPECT_FALSE(IsOpen(second));
  EXPECT_TRUE(IsOpen(first));
  EXPECT_EQ(first, c.get());

  c = std::move(c);
  EXPECT_TRUE(IsOpen(first)) << "self-move keeps the key";
}

TEST(UniqueHKey, ReleaseGivesUpAndResetAndPutClose) {
  HKEY raw = OpenRawKey();
  UniqueHKey owner(raw);
  EXPECT_EQ(raw, owner.release());
  EXPECT_FALSE(owner);
  EXPECT_TRUE(IsOpen(raw));

  owner.reset(raw);
  HKEY* slot = owner.put();
  EXPECT_FALSE(IsOpen(raw));
  EXPECT_EQ(nullptr, *slot);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, slot));
  EXPECT_TRUE(IsOpen(owner.get()));
  owner.reset();
  EXPECT_FALSE(owner);
}

LRESULT CALLBACK PassCbt(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(HandleOwners, EachKindIsFreedWhenItsOwnerGoes) {
  LOGFONTW logFont = {};
  logFont.lfHeight = 12;
  const HFONT font = CreateFontIndirectW(&logFont);
  const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  const HDC memory = CreateCompatibleDC(nullptr);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, PassCbt, nullptr, GetCurrentThreadId());
  // A library that nothing else in this process loads.
  constexpr wchar_t kLibrary[] = L"pdh.dll";
  ASSERT_EQ(nullptr, GetModuleHandleW(kLibrary));
  const HMODULE module = LoadLibraryExW(kLibrary, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ASSERT_TRUE(font && brush && memory && hook && module);
  {
    const UniqueFont fontOwner(font);
    const UniqueBrush brushOwner(brush);
    const UniqueMemoryDc memoryOwner(memory);
    const UniqueHook hookOwner(hook);
    const UniqueModule moduleOwner(module);
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(font));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(memory));
  }
  EXPECT_EQ(0u, GetObjectType(font));
  EXPECT_EQ(0u, GetObjectType(brush));
  EXPECT_EQ(0u, GetObjectType(memory));
  EXPECT_FALSE(UnhookWindowsHookEx(hook)) << "already removed";
  EXPECT_EQ(nullptr, GetModuleHandleW(kLibrary));
}

TEST(HandleOwners, WindowDcGoesBackOnceAndASelectionIsUndone) {
  const HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  LOGFONTW logFont = {};
  logFont.lfHeight = 20;
  const UniqueFont font(CreateFontIndirectW(&logFont));
  HDC raw = nullptr;
  {
    WindowDc dc(window);
    ASSERT_TRUE(dc);
    raw = dc.get();
    const HGDIOBJ before = GetCurrentObject(raw, OBJ_FONT);
    {
      const ScopedSelection select(raw, font.get());
      EXPECT_EQ(font.get(), GetCurrentObject(raw, OBJ_FONT));
    }
    EXPECT_EQ(before, GetCurrentObject(raw, OBJ_FONT));
    WindowDc moved(std::move(dc));
    EXPECT_FALSE(dc);
    EXPECT_EQ(raw, moved.get());
  }
  EXPECT_EQ(0, ReleaseDC(window, raw)) << "given back already";
  DestroyWindow(window);
}

}  // namespace
}  // namespace tavion
