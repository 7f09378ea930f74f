#pragma once
// Layout of the notification window: its size from the measured lines, its place on the screen,
// and where the painter puts the icon and each line. Portable: the caller measures the text.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// `DPosition` values.
enum class OsdPosition : uint8_t {
  kLowerRight = 0,
  kLowerLeft = 1,
  kUpperRight = 2,
  kUpperLeft = 3,
  kCentre = 4,
  kCustom = 5,
};

inline constexpr int kOsdIconSize = 16;

struct OsdPoint {
  int x = 0;
  int y = 0;
  bool operator==(const OsdPoint&) const = default;
};

struct OsdSize {
  int width = 0;
  int height = 0;
  bool operator==(const OsdSize&) const = default;
};

// One visual-style entry of the skin table: class, part and state.
struct OsdSkin {
  const wchar_t* themeClass;
  int part;
  int state;
};

// The skin for `skinType` (1 to 6), or null for 0 ("NoSkin") and values out of range.
const OsdSkin* OsdSkinFor(int32_t skinType);

// Whether the window is drawn with a skin: visual styles active and a skin chosen.
bool OsdSkinned(bool themesActive, int32_t skinType);

// Whether line `index` is measured and drawn bold: the first line of an unskinned window.
bool OsdLineBold(size_t index, bool skinned);

// Turns every "#13" into CR LF.
std::string ExpandOsdLineCodes(std::string_view text);

// Splits a notification text into its lines at CR LF (a lone CR or LF also ends a line). An empty
// text is one empty line; a trailing line break adds no line.
std::vector<std::string> SplitOsdLines(std::string_view text);

// The room for the text: a text box as wide as the screen less 100 and as many rows of
// `lineHeight` as the screen's height holds; at least one pixel and one row.
struct OsdTextRoom {
  int width = 1;
  size_t rows = 1;
  bool operator==(const OsdTextRoom&) const = default;
};

OsdTextRoom OsdTextRoomFor(int screenWidth, int screenHeight, int lineHeight);

// The width of `text` (UTF-8) drawn as row `row` (the row decides the weight).
using OsdMeasure = std::function<int(size_t row, std::string_view text)>;

// Fits the lines into `room` as a word-wrapping text box does: a line too wide breaks at the last
// space, or after the last path separator, that fits; a word wider than the box breaks at its
// edge (never inside a UTF-8 sequence; at least one character a row). When the rows run out, the
// last one ends in "..." and the rest is dropped.
std::vector<std::string> FitOsdLines(const std::vector<std::string>& lines, OsdTextRoom room,
                                     const OsdMeasure& measure);

// The window size for lines of the given measured widths (each in its own weight) and the height
// of "v": one row per line plus 5, and at least 31 wide; the first line also leaves room for the
// icon. No lines count as one empty line.
OsdSize OsdWindowSize(const std::vector<int>& lineWidths, int lineHeight);

// The room kept free for the taskbar: its height, or 0 with `NoTaskBar` or no taskbar (a negative
// height from an odd rectangle counts as none).
int OsdTaskbarAllowance(int taskbarHeight, bool noTaskBar);

struct OsdScreen {
  int width = 0;
  int height = 0;
  int taskbarAllowance = 0;
};

// The window's top-left corner for `position` (a `DPosition` value; unknown values fall back to the
// lower right), with `custom` for the custom position.
OsdPoint OsdWindowPlace(uint8_t position, OsdSize window, const OsdScreen& screen, OsdPoint custom);

// Where the painter draws in a window `windowWidth` wide.
struct OsdPaintLayout {
  OsdPoint icon;
  std::vector<OsdPoint> lines;  // top-left of each right-aligned line
};

OsdPaintLayout OsdLayoutPaint(int windowWidth, const std::vector<int>& lineWidths, int lineHeight);

}  // namespace tavion
