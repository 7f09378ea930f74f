#include "user_setup.h"

#include <gtest/gtest.h>

#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "settings/registry_win.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kRoot[] = L"Software\\Quillon\\Tavion";

}  // namespace

void PressChord(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) add(*m, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void WriteSetting(const wchar_t* sub, const wchar_t* name, DWORD value) {
  const std::wstring key = std::wstring(kRoot) + (sub[0] ? L"\\" : L"") + sub;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value));
}

void SaveCurrentProfile(TActionsList& list) {
  ActionTree tree;
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  list.Modified = true;
  Win32Registry registry(HKEY_CURRENT_USER);
  SaveActionsOptions options;
  options.currentProfile = "Default";
  ASSERT_TRUE(SaveActions(list, tree, registry, "Default", options));
}

}  // namespace tavion::e2e
