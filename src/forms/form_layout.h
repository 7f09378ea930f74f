#pragma once
// Row-and-group layout of a form: controls flow down their container one row at a time, a
// control marked "beside" joins the row before it, and a group box holds the controls that name
// it and grows to them. Portable: the caller measures texts and creates the windows.

#include <vector>

namespace tavion {

// One control as the layout sees it; sizes in pixels at the form's DPI.
struct LayoutItem {
  int group = -1;       // index of the group box that holds it (an earlier item), or -1
  bool beside = false;  // continues the row of the previous item of the same container
  bool isGroup = false;
  bool stretch = false;  // takes the room the row leaves (shared among the row's stretchers)
  int label = 0;         // width of a caption drawn left of the control, 0 for none
  int width = 0;         // natural width of the control itself
  int height = 0;
};

struct LayoutMetrics {
  int margin = 8;      // around the page
  int gap = 6;         // between rows, between the controls of a row and after a caption
  int groupTop = 20;   // a group box's caption band
  int groupSide = 10;  // a group box's inner room left, right and below
};

struct LayoutBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const LayoutBox&, const LayoutBox&) = default;
};

struct FormLayout {
  std::vector<LayoutBox> controls;  // one per item
  std::vector<LayoutBox> labels;    // the caption of each item (empty box without one)
  int width = 0;   // the width the content needs: wider than asked when a row needs it
  int height = 0;  // the content's height, margins included
};

// Lays the items out across `width`. Controls keep at least their natural widths: where a row
// needs more than the width, the form grows instead of cutting a text. Items must list a group
// before the controls it holds, and the controls of one group together.
FormLayout LayOutForm(const std::vector<LayoutItem>& items, int width,
                      const LayoutMetrics& metrics);

}  // namespace tavion
