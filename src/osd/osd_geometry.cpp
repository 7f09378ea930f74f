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
constexpr int kRightMargin = 5;  // between a line and the right edge
constexpr int kIconGap = 10;     // between the icon and the first line, plus the right margin
constexpr int kTopMargin = 2;
constexpr int kTextBoxMargin = 100;  // the text box is this much narrower than the screen
constexpr std::string_view kEllipsis = "...";

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offsets where the first `limit` characters of `text` end (UTF-8 aware).
std::vector<size_t> CharacterEnds(std::string_view text, size_t limit) {
  std::vector<size_t> ends;
  for (size_t i = 0; i < text.size() && ends.size() < limit;) {
    ++i;
    while (i < text.size() && IsContinuationByte(text[i])) ++i;
    ends.push_back(i);
  }
  return ends;
}

// The length in bytes of the longest start of `text` that fits `width` as row `row`; at least one
// character. Every character is at least a pixel wide, so no row holds more than `width` + 1.
size_t FittingLength(std::string_view text, size_t row, int width, const OsdMeasure& measure) {
  const std::vector<size_t> ends = CharacterEnds(text, static_cast<size_t>(width) + 1);
  if (ends.empty()) return 0;
  size_t low = 1, high = ends.size();  // ends[low - 1] always counts as fitting
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (measure(row, text.substr(0, ends[middle - 1])) <= width) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return ends[low - 1];
}

// Where a row of `text` that may hold `fit` bytes ends: at the last space at or before `fit` that
// follows something visible, or after the last path separator before it, whichever comes later;
// `fit` itself when there is neither.
size_t BreakAt(std::string_view text, size_t fit) {
  size_t at = 0;
  const size_t space = text.rfind(' ', fit);
  if (space != std::string_view::npos && text.find_first_not_of(' ') < space) at = space;
  const size_t separator = text.substr(0, fit).find_last_of("\\/");
  if (separator != std::string_view::npos) at = std::max(at, separator + 1);
  return at > 0 ? at : fit;
}

std::string_view TrimSpaces(std::string_view text, bool front) {
  while (!text.empty() && (front ? text.front() : text.back()) == ' ') {
    text = front ? text.substr(1) : text.substr(0, text.size() - 1);
  }
  return text;
}

// Shortens `row` until it fits `width` with the ellipsis after it, and adds the ellipsis.
std::string WithEllipsis(std::string_view row, size_t index, int width, const OsdMeasure& measure) {
  while (!row.empty() && measure(index, std::string(row) + std::string(kEllipsis)) > width) {
    size_t end = row.size() - 1;
    while (end > 0 && IsContinuationByte(row[end])) --end;
    row = TrimSpaces(row.substr(0, end), /*front=*/false);
  }
  return std::string(row) + std::string(kEllipsis);
}

}  // namespace

const OsdSkin* OsdSkinFor(int32_t skinType) {
  if (skinType < 1 || skinType > static_cast<int32_t>(kSkins.size())) return nullptr;
  return &kSkins[static_cast<size_t>(skinType - 1)];
}

bool OsdSkinned(bool themesActive, int32_t skinType) {
  return themesActive && OsdSkinFor(skinType) != nullptr;
}

bool OsdLineBold(size_t index, bool skinned) {
  return !skinned && index == 0;
}

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

OsdTextRoom OsdTextRoomFor(int screenWidth, int screenHeight, int lineHeight) {
  OsdTextRoom room;
  room.width = std::max(1, screenWidth - kTextBoxMargin);
  if (lineHeight > 0) {
    room.rows = static_cast<size_t>(std::max(1, (screenHeight - kHeightMargin) / lineHeight));
  }
  return room;
}

std::vector<std::string> FitOsdLines(const std::vector<std::string>& lines, OsdTextRoom room,
                                     const OsdMeasure& measure) {
  std::vector<std::string> rows;
  const size_t rowLimit = std::max<size_t>(room.rows, 1);
  for (const std::string& line : lines) {
    std::string_view rest = line;
    do {
      if (rows.size() == rowLimit) {
        rows.back() = WithEllipsis(rows.back(), rows.size() - 1, room.width, measure);
        return rows;
      }
      const size_t fit = FittingLength(rest, rows.size(), room.width, measure);
      if (fit == rest.size()) {
        rows.emplace_back(rest);
        break;
      }
      const size_t end = BreakAt(rest, fit);
      rows.emplace_back(TrimSpaces(rest.substr(0, end), /*front=*/false));
      rest = TrimSpaces(rest.substr(end), /*front=*/true);
    } while (!rest.empty());
  }
  return rows;
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

OsdPaintLayout OsdLayoutPaint(int windowWidth, const std::vector<int>& lineWidths, int lineHeight) {
  OsdPaintLayout layout;
  const int firstWidth = lineWidths.empty() ? 0 : lineWidths.front();
  layout.icon = {windowWidth - kIconGap - firstWidth - kOsdIconSize,
                 (lineHeight - kOsdIconSize) / 2 + kTopMargin};
  for (size_t i = 0; i < lineWidths.size(); ++i) {
    layout.lines.push_back({windowWidth - kRightMargin - lineWidths[i],
                            static_cast<int>(i) * lineHeight + kTopMargin});
  }
  return layout;
}

}  // namespace tavion
