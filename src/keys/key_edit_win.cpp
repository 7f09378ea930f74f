#include "keys/key_edit_win.h"

#include <commctrl.h>

#include <algorithm>
#include <tuple>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "keys/hook_messages.h"
#include "keys/key_input_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"

namespace tavion {
namespace {

constexpr int kButtonWidth = 20;  // at 96 dots per inch
constexpr UINT_PTR kParentSubclassId = 0x4B45;

WNDPROC editProcedure = nullptr;

bool RegisterKeyEditClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW edit = {};
    edit.cbSize = sizeof edit;
    if (!GetClassInfoExW(nullptr, L"EDIT", &edit)) return false;
    editProcedure = edit.lpfnWndProc;
    edit.lpfnWndProc = procedure;
    edit.hInstance = GetModuleHandleW(nullptr);
    edit.lpszClassName = kKeyEditClass.data();
    return RegisterClassExW(&edit) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// The thread's keyboard layouts through the system.
class ThreadLayouts final : public KeyboardLayouts {
 public:
  uintptr_t Active() override { return reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)); }
  bool ActivateEnglish() override {
    return LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE) != nullptr;
  }
  void Activate(uintptr_t layout) override {
    // A layout that went away meanwhile leaves the current one; nothing else can be done.
    ActivateKeyboardLayout(reinterpret_cast<HKL>(layout), 0);
  }
};

ThreadLayouts& Layouts() {
  static ThreadLayouts layouts;
  return layouts;
}

}  // namespace

std::unique_ptr<KeyEdit> KeyEdit::Create(HWND parent, const KeyEditDesign& design) {
  std::unique_ptr<KeyEdit> edit(new KeyEdit(design));
  if (!edit->CreateWindows(parent)) return nullptr;
  return edit;
}

KeyEdit::~KeyEdit() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

bool KeyEdit::CreateWindows(HWND parent) {
  if (!RegisterKeyEditClass(&KeyEdit::Procedure)) return false;
  parent_ = parent;
  const RECT& r = design_.place;
  // WS_GROUP: the arrow keys of a radio group made before the control do not move into it.
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, kKeyEditClass.data(), L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_CLIPCHILDREN |
                              ES_READONLY | ES_AUTOHSCROLL,
                          r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(design_.id)),
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  if (design_.font) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(design_.font), FALSE);
  const wchar_t* captions[] = {L"*", L"!", L"?"};
  for (int i = 0; i < 3; ++i) {
    buttons_[i] =
        CreateWindowExW(0, L"BUTTON", captions[i], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0,
                        0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStarButton + i)),
                        GetModuleHandleW(nullptr), nullptr);
    if (!buttons_[i]) return false;
    if (design_.font)
      SendMessageW(buttons_[i], WM_SETFONT, reinterpret_cast<WPARAM>(design_.font), FALSE);
  }
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::wstring hints[] = {GetLangStrW("HintCustomKey", "Custom key edit", "TKeyEdit"),
                                GetLangStrW("HintClearKey", "Clear key", "TKeyEdit"),
                                GetLangStrW("HintKeysInfo", "Keys info", "TKeyEdit")};
  for (int i = 0; tooltip_ && i < 4; ++i) {
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(i < 3 ? buttons_[i] : hwnd_);
    tool.lpszText = const_cast<wchar_t*>(i < 3 ? hints[i].c_str() : L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // The colours of a read-only edit are its parent's to give.
  SetWindowSubclass(parent_, &KeyEdit::ParentProcedure, kParentSubclassId + design_.id,
                    reinterpret_cast<DWORD_PTR>(this));
  LayOutButtons();
  Show();
  UpdateButtons();
  return true;
}

LRESULT CALLBACK KeyEdit::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<KeyEdit*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<KeyEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return CallWindowProcW(editProcedure, hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK KeyEdit::ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  const auto* self = reinterpret_cast<const KeyEdit*>(data);
  if ((message == WM_CTLCOLORSTATIC || message == WM_CTLCOLOREDIT) &&
      reinterpret_cast<HWND>(lParam) == self->hwnd_) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const int text = self->focused_ ? COLOR_INFOTEXT : COLOR_WINDOWTEXT;
    const int back = self->focused_ ? COLOR_INFOBK : COLOR_WINDOW;
    SetTextColor(dc, GetSysColor(text));
    SetBkColor(dc, GetSysColor(back));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT KeyEdit::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgCaptureKeyEvent: {
      if (lParam == 0) return kPassEvent;
      if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
      const KeyEditOutcome outcome = KeyEditKeyEvent(
          state_, KeyEditSharedState(), design_.options, Environment(),
          static_cast<uint32_t>(wParam), *reinterpret_cast<const KeyEventRecord*>(lParam));
      Apply(outcome);
      return outcome.answer;
    }
    case kMsgCaptureMouseEvent: {
      if (lParam == 0) return kPassEvent;
      const auto& record = *reinterpret_cast<const MouseEventRecord*>(lParam);
      const bool over = WindowFromPoint(POINT{record.x, record.y}) == hwnd_;
      Apply(KeyEditMouseEvent(state_, KeyEditSharedState(), design_.options, Environment(),
                              static_cast<uint32_t>(wParam), record, over));
      return kPassEvent;
    }
    case kMsgCaptureHidKey: {
      // A short string: one length byte, then the characters.
      const auto* text = reinterpret_cast<const unsigned char*>(wParam);
      if (!text) return 0;
      const std::string hid(reinterpret_cast<const char*>(text + 1), text[0]);
      Apply(KeyEditHidKey(state_, KeyEditSharedState(), design_.options, Environment(), hid));
      return 0;
    }
    case WM_SETFOCUS: {
      const LRESULT result = CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
      FocusGained();
      return result;
    }
    case WM_KILLFOCUS:
      FocusLost();
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        OnButton(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_PRINTCLIENT: {
      // A themed button inside has this control paint its background into the button's DC; the
      // edit leaves its text clip behind there, which would hide the face drawn next.
      const auto dc = reinterpret_cast<HDC>(wParam);
      const int saved = SaveDC(dc);
      const LRESULT result = CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
      if (saved) RestoreDC(dc, saved);
      return result;
    }
    case WM_PAINT: {
      // The edit paints its margin over the buttons that sit in it: they are drawn again on top.
      const LRESULT result = CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
      for (HWND button : buttons_)
        RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return result;
    }
    case WM_SIZE: {
      const LRESULT result = CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
      LayOutButtons();
      ScrollToStart();
      return result;
    }
    case WM_DESTROY:
      if (focused_) FocusLost();
      RemoveWindowSubclass(parent_, &KeyEdit::ParentProcedure, kParentSubclassId + design_.id);
      break;
    case WM_NCDESTROY: {
      const LRESULT result = CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return result;
    }
  }
  return CallWindowProcW(editProcedure, hwnd_, message, wParam, lParam);
}

void KeyEdit::FocusGained() {
  focused_ = true;
  KeyEditSharedState().held.reset();
  // A Tab that moved the focus here is still down: its release would be captured as a key.
  if (GetAsyncKeyState(VK_TAB) & 0x8000) SendKeyInput(VK_TAB, 0, kInputKeyUp);
  if (design_.hooks.install) {
    design_.hooks.install(scratch_, static_cast<int>(HookKind::kCaptureKeyboard), hwnd_,
                          kMsgCaptureKeyEvent);
    if (design_.options.useMouse) {
      design_.hooks.install(scratch_, static_cast<int>(HookKind::kCaptureMouse), hwnd_,
                            kMsgCaptureMouseEvent);
    }
    hooked_ = true;
  }
  layout_.Focused(Layouts());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void KeyEdit::FocusLost() {
  focused_ = false;
  RemoveHooks();
  layout_.Blurred(Layouts());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void KeyEdit::RemoveHooks() {
  if (!hooked_ || !design_.hooks.remove) return;
  hooked_ = false;
  design_.hooks.remove(static_cast<int>(HookKind::kCaptureKeyboard));
  if (design_.options.useMouse) design_.hooks.remove(static_cast<int>(HookKind::kCaptureMouse));
}

KeyEditEnvironment KeyEdit::Environment() const {
  KeyEditEnvironment env;
  env.upOnly = design_.upOnly;
  return env;
}

void KeyEdit::Apply(const KeyEditOutcome& outcome) {
  if (outcome.arrival != KeyArrival::kNone)
    PostMessageW(parent_, kMsgKeyArrived, static_cast<WPARAM>(outcome.arrival), 0);
  Show();
  if (outcome.hidListChanged) UpdateButtons();
}

void KeyEdit::Show() {
  // The capture keeps "None" in English: it is what the text means, also when stored.
  const std::wstring text = Utf8ToWide(
      state_.text == kNoKeyText ? GetLangStr("StrNone", std::string(kNoKeyText)) : state_.text);
  const bool textChanged = text != hint_;
  if (textChanged) {
    SetWindowTextW(hwnd_, text.c_str());
    // The caret waits after the text rather than over its first character.
    SendMessageW(hwnd_, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
    hint_ = text;
    if (tooltip_) {
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.hwnd = hwnd_;
      tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
      tool.lpszText = hint_.data();
      SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  const uint32_t value = HotKey();
  const bool valueChanged = value != shownValue_ || state_.hidText != shownHid_;
  shownValue_ = value;
  shownHid_ = state_.hidText;
  if ((textChanged || valueChanged) && changed) changed();
}

void KeyEdit::SetHotKey(uint32_t value) {
  KeyEditSetHotKey(state_, design_.options, Environment(), value);
  Show();
}

void KeyEdit::SetHidKey(const std::string& text) {
  KeyEditSetHidKey(state_, KeyEditSharedState(), design_.options, Environment(), text);
  Show();
}

void KeyEdit::SetInputMode(TkeInputMode mode) {
  KeyEditSetInputMode(state_, mode);
  Show();
  UpdateButtons();
}

void KeyEdit::LayOutButtons() {
  RECT client;
  if (!GetClientRect(hwnd_, &client)) return;
  const int width = MulDiv(kButtonWidth, GetDeviceCaps(WindowDc(hwnd_).get(), LOGPIXELSX), 96);
  for (int i = 0; i < 3; ++i) {
    MoveWindow(buttons_[i], client.right - (3 - i) * width, 0, width, client.bottom, TRUE);
  }
  SendMessageW(hwnd_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, 3 * width + 2));
}

void KeyEdit::ScrollToStart() {
  DWORD start = 0, end = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageW(hwnd_, EM_SETSEL, 0, 0);
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
  SendMessageW(hwnd_, EM_SETSEL, start, static_cast<LPARAM>(end));
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void KeyEdit::UpdateButtons() {
  const bool normal = state_.inputMode == TkeInputMode::keNormal;
  const KeyEditShared& shared = KeyEditSharedState();
  const bool hidLists = !shared.lastHidKeys.empty() || !shared.ignoredHidKeys.empty();
  EnableWindow(buttons_[0], normal ? static_cast<bool>(design_.editCustomKey) : hidLists);
  EnableWindow(buttons_[2], normal);
}

void KeyEdit::OnButton(int button) {
  switch (button) {
    case kStarButton:
      if (state_.inputMode == TkeInputMode::keNormal) {
        if (design_.editCustomKey) design_.editCustomKey(*this);
      } else {
        ShowHidMenu();
      }
      break;
    case kClearButton:
      KeyEditClear(state_, KeyEditSharedState(), design_.options, Environment());
      Show();
      UpdateButtons();
      break;
    case kInfoButton:
      MessageBoxW(GetAncestor(hwnd_, GA_ROOT), Utf8ToWide(KeyEditInfoText(design_.options)).c_str(),
                  L"", MB_OK | MB_ICONINFORMATION);
      break;
    default:
      return;
  }
  if (IsWindow(hwnd_)) SetFocus(hwnd_);
}

void KeyEdit::ShowHidMenu() {
  KeyEditShared& shared = KeyEditSharedState();
  const std::vector<std::string> last = UnignoredLastHidKeys(shared);
  const std::vector<std::string> ignored = shared.ignoredHidKeys;
  enum : UINT { kAdd = 1, kRemove = 100, kChoose = 200 };
  const auto fill = [](HMENU menu, const std::vector<std::string>& keys, UINT first) {
    for (size_t i = 0; i < keys.size(); ++i) {
      AppendMenuW(menu, MF_STRING, first + i, Utf8ToWide(HidKeyToText(keys[i], true)).c_str());
    }
  };
  UniqueMenu menu(CreatePopupMenu());
  HMENU add = CreatePopupMenu();
  HMENU remove = CreatePopupMenu();
  if (!menu || !add || !remove) {
    if (add) DestroyMenu(add);
    if (remove) DestroyMenu(remove);
    return;
  }
  fill(add, last, kAdd);
  fill(remove, ignored, kRemove);
  // The sub-menus belong to the menu from here on and go with it.
  AppendMenuW(menu.get(), MF_POPUP | (last.empty() ? MF_GRAYED : 0),
              reinterpret_cast<UINT_PTR>(add),
              Utf8ToWide(GetLangStr("AddIgnoreKey", "Add key to ignore list", "TKeyEdit")).c_str());
  AppendMenuW(
      menu.get(), MF_POPUP | (ignored.empty() ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(remove),
      Utf8ToWide(GetLangStr("DelIgnoreKey", "Delete key from ignore list", "TKeyEdit")).c_str());
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0,
              Utf8ToWide(GetLangStr("LastKeys", "Last 5 unique keys", "TKeyEdit")).c_str());
  fill(menu.get(), last, kChoose);
  RECT star;
  GetWindowRect(buttons_[0], &star);
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                     star.left, star.bottom, 0, hwnd_, nullptr);
  if (chosen >= kChoose && chosen - kChoose < last.size()) {
    SetHidKey(last[chosen - kChoose]);
  } else if (chosen >= kRemove && chosen - kRemove < ignored.size()) {
    std::erase(shared.ignoredHidKeys, ignored[chosen - kRemove]);
  } else if (chosen >= kAdd && chosen - kAdd < last.size()) {
    shared.ignoredHidKeys.push_back(last[chosen - kAdd]);
  }
  UpdateButtons();
}

}  // namespace tavion
