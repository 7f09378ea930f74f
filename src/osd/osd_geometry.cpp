#include "osd/osd_geometry.h"

#include <algorithm>
#include <array>

namespace tavion {

namespace {

constexpr std::array<OsdSkin, 6> kSkins = {{
    {L"BUTTON", 1, 1},
    {L"TASKBAND", 2, 0},
    {L"TRACKBAR", 3, 4},
    {L"EXPLORERBAR", 1, 0},
    {L"STARTPANEL", 8, 0},
    {L"WINDOW", 3, 1},
}};

constexpr int kMinimumWidth = 31;
constexpr int kLineMargin = 10;     // added to every line's width
constexpr int kIconAllowance = 21;  // added to the first line's width for the icon
constexpr int kHeightMargin = 5;
constexpr int kRightMargin = 5;     // between a line and the right edge
constexpr int kIconGap = 10;        // between the icon and the first line, plus the right margin
constexpr int kTopMargin = 2;

}  // namespace

const OsdSkin* OsdSkinFor(int32_t skinType) {
  if (skinType < 1 || skinType > static_cast<int32_t>(kSkins.size())) return nullptr;
  return &kSkins[static_cast<size_t>(skinType - 1)];
}

bool OsdSkinned(bool themesActive, int32_t skinType) {
  return themesActive && OsdSkinFor(skinType) != nullptr;
}

bool OsdLineBold(size_t index, bool skinned) { return !skinned && index == 0; }

std::string ExpandOsdLineCodes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, 3) == "#13") {
      result += "\r\n";
      i += 3;
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::vector<std::string> SplitOsdLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      lines.back() += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (i + 1 < text.size()) lines.emplace_back();
  }
  return lines;
}

OsdSize OsdWindowSize(const std::vector<int>& lineWidths, int lineHeight) {
  const size_t count = std::max<size_t>(lineWidths.size(), 1);
  int width = kMinimumWidth;
  for (size_t i = 0; i < lineWidths.size(); ++i) {
    const int needed = lineWidths[i] + kLineMargin + (i == 0 ? kIconAllowance : 0);
    width = std::max(width, needed);
  }
  if (lineWidths.empty()) width = std::max(width, kLineMargin + kIconAllowance);
  return {width, static_cast<int>(count) * lineHeight + kHeightMargin};
}

int OsdTaskbarAllowance(int taskbarHeight, bool noTaskBar) {
  if (noTaskBar) return 0;
  return std::max(taskbarHeight, 0);
}

OsdPoint OsdWindowPlace(uint8_t position, OsdSize window, const OsdScreen& screen,
                        OsdPoint custom) {
  const int right = screen.width - window.width;
  const int bottom = screen.height - window.height - screen.taskbarAllowance;
  switch (static_cast<OsdPosition>(position)) {
    case OsdPosition::kLowerLeft:
      return {0, bottom};
    case OsdPosition::kUpperRight:
      return {right, 0};
    case OsdPosition::kUpperLeft:
      return {0, 0};
    case OsdPosition::kCentre:
      return {screen.width / 2 - window.width / 2,
              screen.height / 2 - window.height / 2 - screen.taskbarAllowance};
    case OsdPosition::kCustom:
      return custom;
    case OsdPosition::kLowerRight:
    default:
      return {right, bottom};
  }
}

OsdPaintLayout OsdLayoutPaint(int windowWidth, const std::vector<int>& lineWidths,
                              int lineHeight) {
  OsdPaintLayout layout;
  const int firstWidth = lineWidths.empty() ? 0 : lineWidths.front();
  layout.icon = {windowWidth - kIconGap - firstWidth - kOsdIconSize,
                 (lineHeight - kOsdIconSize) / 2 + kTopMargin};
  for (size_t i = 0; i < lineWidths.size(); ++i) {
    layout.lines.push_back(
        {windowWidth - kRightMargin - lineWidths[i], static_cast<int>(i) * lineHeight + kTopMargin});
  }
  return layout;
}

}  // namespace tavion
