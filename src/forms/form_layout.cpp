#include "forms/form_layout.h"

#include <algorithm>
#include <cstddef>

namespace tavion {
namespace {

class Layouter {
 public:
  Layouter(const std::vector<LayoutItem>& items, const LayoutMetrics& metrics)
      : items_(items), metrics_(metrics), children_(items.size() + 1) {
    for (size_t i = 0; i < items.size(); ++i) {
      const int group = items[i].group;
      // A group that is not an earlier group box holds nothing: the item goes to the page.
      const bool valid = group >= 0 && static_cast<size_t>(group) < i && items[group].isGroup;
      container_.push_back(valid ? static_cast<size_t>(group) + 1 : kPage);
      children_[container_.back()].push_back(i);
    }
    result_.controls.resize(items.size());
    result_.labels.resize(items.size());
  }

  FormLayout Run(int width) {
    const int inner = std::max(width - 2 * metrics_.margin, MinimumWidth(kPage));
    result_.width = inner + 2 * metrics_.margin;
    result_.height = Place(kPage, metrics_.margin, metrics_.margin, inner) + 2 * metrics_.margin;
    return std::move(result_);
  }

 private:
  static constexpr size_t kPage = 0;  // children_ index of the page; group g is g + 1

  // The rows of a container: runs of its children, each starting where one is not "beside".
  std::vector<std::vector<size_t>> Rows(size_t container) const {
    std::vector<std::vector<size_t>> rows;
    for (size_t item : children_[container]) {
      if (rows.empty() || !items_[item].beside) rows.emplace_back();
      rows.back().push_back(item);
    }
    return rows;
  }

  // The captions that open rows line up: their fields start after the widest of them.
  int LabelColumn(size_t container) const {
    int widest = 0;
    for (const std::vector<size_t>& row : Rows(container))
      widest = std::max(widest, items_[row.front()].label);
    return widest;
  }

  int LabelRoom(size_t item) const {
    const LayoutItem& it = items_[item];
    if (it.label <= 0) return 0;
    const bool opensRow = !it.beside || children_[ContainerOf(item)].front() == item;
    return (opensRow ? LabelColumn(ContainerOf(item)) : it.label) + metrics_.gap;
  }

  size_t ContainerOf(size_t item) const { return container_[item]; }

  int ItemMinimum(size_t item) const {
    const LayoutItem& it = items_[item];
    int own = it.width;
    if (it.isGroup) own = std::max(own, MinimumWidth(item + 1) + 2 * metrics_.groupSide);
    return LabelRoom(item) + own;
  }

  int MinimumWidth(size_t container) const {
    int widest = 0;
    for (const std::vector<size_t>& row : Rows(container)) {
      int sum = 0;
      for (size_t item : row) sum += ItemMinimum(item);
      sum += metrics_.gap * static_cast<int>(row.size() - 1);
      widest = std::max(widest, sum);
    }
    return widest;
  }

  // Places the children of `container` in the box starting at left/top, `width` wide; returns
  // the height they take.
  int Place(size_t container, int left, int top, int width) {
    int y = top;
    bool first = true;
    for (const std::vector<size_t>& row : Rows(container)) {
      if (!first) y += metrics_.gap;
      first = false;
      y += PlaceRow(row, left, y, width);
    }
    return y - top;
  }

  int PlaceRow(const std::vector<size_t>& row, int left, int top, int width) {
    int natural = metrics_.gap * static_cast<int>(row.size() - 1);
    int stretchers = 0;
    for (size_t item : row) {
      natural += ItemMinimum(item);
      if (items_[item].stretch || items_[item].isGroup) ++stretchers;
    }
    int extra = std::max(0, width - natural);
    int x = left;
    int height = 0;
    for (size_t item : row) {
      const LayoutItem& it = items_[item];
      int own = ItemMinimum(item) - LabelRoom(item);
      if (it.stretch || it.isGroup) {
        const int share = extra / stretchers--;
        own += share;
        extra -= share;
      }
      if (it.label > 0) result_.labels[item] = {x, top, LabelRoom(item) - metrics_.gap, 0};
      x += LabelRoom(item);
      int itemHeight = it.height;
      if (it.isGroup) {
        const int inner = Place(item + 1, x + metrics_.groupSide, top + metrics_.groupTop,
                                own - 2 * metrics_.groupSide);
        itemHeight = std::max(it.height, metrics_.groupTop + inner + metrics_.groupSide);
      }
      result_.controls[item] = {x, top, own, itemHeight};
      height = std::max(height, itemHeight);
      x += own + metrics_.gap;
    }
    // Controls lower than their row sit in its middle, their captions beside them; group boxes
    // keep to the top.
    for (size_t item : row) {
      LayoutBox& box = result_.controls[item];
      if (!items_[item].isGroup) box.top = top + (height - box.height) / 2;
      if (items_[item].label > 0) {
        result_.labels[item].top = box.top;
        result_.labels[item].height = box.height;
      }
    }
    return height;
  }

  const std::vector<LayoutItem>& items_;
  const LayoutMetrics& metrics_;
  std::vector<std::vector<size_t>> children_;
  std::vector<size_t> container_;  // of each item: kPage or its group + 1
  FormLayout result_;
};

}  // namespace

FormLayout LayOutForm(const std::vector<LayoutItem>& items, int width,
                      const LayoutMetrics& metrics) {
  return Layouter(items, metrics).Run(width);
}

}  // namespace tavion
