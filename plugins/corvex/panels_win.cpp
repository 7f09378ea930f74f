#include "panels_win.h"

#include <algorithm>
#include <vector>

namespace corvex {
namespace {

// Sizes in pixels derived from the panel's font, so the panel follows its DPI and language.
struct Metrics {
  HFONT font = nullptr;
  int line = 16;    // text height
  int average = 7;  // average character width
  int check = 13;   // radio-button glyph
  int margin = 8;
  int width = 0;  // client width
  std::vector<int> textWidths;
};

Metrics Measure(HWND panel, const std::vector<const wchar_t*>& texts) {
  Metrics m;
  m.font = reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0));
  RECT client{};
  GetClientRect(panel, &client);
  m.width = client.right;
  HDC dc = GetDC(panel);
  if (dc == nullptr) {
    m.textWidths.assign(texts.size(), 0);
    return m;
  }
  HGDIOBJ old = m.font != nullptr ? SelectObject(dc, m.font) : nullptr;
  TEXTMETRICW tm{};
  if (GetTextMetricsW(dc, &tm)) {
    m.line = tm.tmHeight;
    m.average = std::max<int>(tm.tmAveCharWidth, 1);
  }
  for (const wchar_t* text : texts) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    m.textWidths.push_back(size.cx);
  }
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(panel, dc);
  m.check = std::max(GetSystemMetrics(SM_CXMENUCHECK), m.line * 3 / 4);
  m.margin = m.line / 2;
  return m;
}

HWND Add(HWND panel, const Metrics& m, const wchar_t* className, const wchar_t* text, DWORD style,
         int id, RECT place) {
  HWND control = CreateWindowExW(
      0, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
      place.right - place.left, place.bottom - place.top, panel,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel, GWLP_HINSTANCE)), nullptr);
  if (control != nullptr && m.font != nullptr)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m.font), FALSE);
  return control;
}

// Radio buttons under each other from `top`, as wide as their texts; the first starts a group.
void AddRadios(HWND panel, const Metrics& m, int top, const std::vector<int>& ids,
               const std::vector<const wchar_t*>& texts, size_t firstText, int checkedIndex) {
  const int height = std::max(m.line, m.check) + 4;
  for (size_t i = 0; i < ids.size(); ++i) {
    const int width = std::min(m.check + 2 * m.average + m.textWidths[firstText + i] + 4,
                               std::max(m.width - 2 * m.margin, m.check));
    const DWORD style = BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    Add(panel, m, L"BUTTON", texts[firstText + i], style, ids[i],
        RECT{m.margin, top, m.margin + width, top + height});
    top += height + 2;
  }
  CheckRadioButton(panel, ids.front(), ids.back(), ids[static_cast<size_t>(checkedIndex)]);
}

int CheckedIndex(HWND panel, const std::vector<int>& ids, int fallback) {
  for (size_t i = 0; i < ids.size(); ++i)
    if (IsDlgButtonChecked(panel, ids[i]) == BST_CHECKED) return static_cast<int>(i);
  return fallback;
}

const std::vector<int> kDoorIds = {kOpenRadioId, kCloseRadioId};
const std::vector<int> kPowerIds = {kRestartRadioId, kTurnOffRadioId, kLogOffRadioId};

}  // namespace

std::string OpticalDriveLetters() {
  std::string letters;
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) continue;
    const char root[] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_CDROM) letters += letter;
  }
  return letters;
}

void ShowCdPanel(HWND panel, const CdParams& params) {
  const std::vector<const wchar_t*> texts = {L"&Drive:", L"First CD-ROM drive", L"&Open the tray",
                                             L"&Close the tray"};
  const Metrics m = Measure(panel, texts);
  const int comboHeight = m.line + 8;
  const int labelTop = m.margin + (comboHeight - m.line) / 2;
  Add(panel, m, L"STATIC", texts[0], SS_LEFT, kDriveLabelId,
      RECT{m.margin, labelTop, m.margin + m.textWidths[0], labelTop + m.line});
  const int comboLeft = m.margin + m.textWidths[0] + m.average;
  const int comboWidth =
      std::max(std::min(m.textWidths[1] + m.check + 4 * m.average, m.width - comboLeft - m.margin),
               8 * m.average);
  HWND combo =
      Add(panel, m, L"COMBOBOX", nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kDriveComboId,
          RECT{comboLeft, m.margin, comboLeft + comboWidth, m.margin + 10 * comboHeight});
  // Item data: the drive letter, 0 for "the first optical drive".
  auto addItem = [combo](const std::wstring& text, char letter) {
    const LRESULT index =
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, index, static_cast<LPARAM>(letter));
    return index;
  };
  addItem(texts[1], 0);
  LRESULT selected = 0;
  std::string letters = OpticalDriveLetters();
  // A stored drive that is not optical now (a removed USB drive) stays a choice: it is not lost.
  if (!params.drive.empty() && letters.find(params.drive[0]) == std::string::npos)
    letters += params.drive[0];
  for (char letter : letters) {
    const LRESULT index = addItem(std::wstring{static_cast<wchar_t>(letter), L':'}, letter);
    if (!params.drive.empty() && letter == params.drive[0]) selected = index;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  AddRadios(panel, m, m.margin * 2 + comboHeight, kDoorIds, texts, 2,
            params.operation == DoorOperation::kClose ? 1 : 0);
}

void CloseCdPanel(HWND panel, CdParams& params) {
  HWND combo = GetDlgItem(panel, kDriveComboId);
  const LRESULT index = combo != nullptr ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
  if (index != CB_ERR) {
    const auto letter = static_cast<char>(SendMessageW(combo, CB_GETITEMDATA, index, 0));
    params.drive = letter != 0 ? std::string{letter, ':'} : std::string();
  }
  params.operation =
      static_cast<DoorOperation>(CheckedIndex(panel, kDoorIds, static_cast<int>(params.operation)));
}

void ShowPowerPanel(HWND panel, const PowerParams& params) {
  const std::vector<const wchar_t*> texts = {L"&Restart the computer", L"&Turn off the computer",
                                             L"&Log off"};
  const Metrics m = Measure(panel, texts);
  AddRadios(panel, m, m.margin, kPowerIds, texts, 0, static_cast<int>(params.operation));
}

void ClosePowerPanel(HWND panel, PowerParams& params) {
  params.operation = static_cast<PowerOperation>(
      CheckedIndex(panel, kPowerIds, static_cast<int>(params.operation)));
}

}  // namespace corvex
