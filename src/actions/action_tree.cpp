#include "actions/action_tree.h"

#include <algorithm>

#include "actions/action.h"

namespace tavion {

const ActionTree::Node* ActionTree::NodeAt(std::size_t index) const {
  return index < nodes_.size() ? &nodes_[index] : nullptr;
}

TAction* ActionTree::ActionByIndex(std::size_t index) const {
  return ActionOfNode(NodeAt(index));
}

bool ActionTree::IsFolder(const Node* node) {
  return node && node->action && node->action->IsFolder();
}

std::vector<std::size_t> ActionTree::Children(std::size_t index) const {
  std::vector<std::size_t> children;
  if (index >= nodes_.size()) return children;
  for (std::size_t i = index + 1; i < nodes_.size() && nodes_[i].depth > nodes_[index].depth; ++i) {
    if (nodes_[i].parent == index) children.push_back(i);
  }
  return children;
}

void ActionTree::Clear(TActionsList& list) {
  nodes_.clear();
  list.Clear();
}

void ActionTree::Rebuild(TActionsList& list, const std::function<std::string(TAction&)>& textOf) {
  nodes_.clear();
  nodes_.reserve(list.Count());
  int previousLevel = 0;
  for (std::size_t k = 0; k < list.Count(); ++k) {
    TAction* action = list.At(k);
    const int level = action->Levl();
    Node node{action, 0, std::nullopt, textOf(*action)};
    if (!nodes_.empty()) {
      const std::size_t previous = nodes_.size() - 1;
      std::optional<std::size_t> parent;
      if (level > previousLevel) {
        parent = previous;
      } else if (level == previousLevel) {
        parent = nodes_[previous].parent;
      } else {
        // Up from the previous node to the nearest ancestor less deep than the line.
        parent = nodes_[previous].parent;
        while (parent && nodes_[*parent].depth >= level) parent = nodes_[*parent].parent;
      }
      node.parent = parent;
      node.depth = parent ? nodes_[*parent].depth + 1 : 0;
    }
    previousLevel = level;
    nodes_.push_back(std::move(node));
  }
}

std::size_t ActionTree::SubtreeEnd(std::size_t index) const {
  if (index >= nodes_.size()) return nodes_.size();
  std::size_t end = index + 1;
  while (end < nodes_.size() && nodes_[end].depth > nodes_[index].depth) ++end;
  return end;
}

std::size_t ActionTree::AddLastChild(std::optional<std::size_t> parent, std::string text,
                                     TActionsList& list) {
  if (parent && *parent >= nodes_.size()) parent.reset();
  const std::size_t index = parent ? SubtreeEnd(*parent) : nodes_.size();
  const int depth = parent ? nodes_[*parent].depth + 1 : 0;
  TAction& action = list.Add();
  action.SetLevl(static_cast<uint8_t>(std::min(depth, 255)));
  list.Move(list.Count() - 1, 1, std::min(index, list.Count() - 1));
  for (Node& node : nodes_) {
    if (node.parent && *node.parent >= index) ++*node.parent;
  }
  nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(index),
                Node{&action, depth, parent, std::move(text)});
  return index;
}

bool ActionTree::SetText(std::size_t index, std::string text) {
  if (index >= nodes_.size()) return false;
  nodes_[index].text = std::move(text);
  return true;
}

bool ActionTree::DeleteNode(std::size_t index, TActionsList& list) {
  if (index >= nodes_.size()) return false;
  const std::size_t end = SubtreeEnd(index);
  for (std::size_t i = index; i < end; ++i) {
    if (auto position = list.IndexOf(nodes_[i].action)) list.Delete(*position);
  }
  const std::size_t removed = end - index;
  nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(index),
               nodes_.begin() + static_cast<std::ptrdiff_t>(end));
  // Parents after the removed range moved up by `removed`.
  for (std::size_t i = index; i < nodes_.size(); ++i) {
    if (nodes_[i].parent && *nodes_[i].parent >= end) *nodes_[i].parent -= removed;
  }
  return true;
}

std::optional<std::size_t> ActionTree::MoveNode(std::size_t index, std::size_t before, int depth,
                                                TActionsList& list) {
  if (index >= nodes_.size() || before > nodes_.size()) return std::nullopt;
  const std::size_t end = SubtreeEnd(index);
  if (before > index && before < end) return std::nullopt;
  const std::size_t count = end - index;
  const int shift = depth - nodes_[index].depth;

  std::vector<Node> moved(nodes_.begin() + static_cast<std::ptrdiff_t>(index),
                          nodes_.begin() + static_cast<std::ptrdiff_t>(end));
  for (Node& node : moved) node.depth += shift;
  std::vector<Node> order;
  order.reserve(nodes_.size());
  const std::size_t target = before <= index ? before : before - count;
  for (std::size_t i = 0; i <= nodes_.size(); ++i) {
    if (i == before) order.insert(order.end(), moved.begin(), moved.end());
    if (i < nodes_.size() && (i < index || i >= end)) order.push_back(nodes_[i]);
  }

  // Parents follow from the depths: the nearest earlier node one level up.
  std::vector<std::size_t> path;  // path[d] = the latest node at depth d
  for (std::size_t i = 0; i < order.size(); ++i) {
    const int d = order[i].depth;
    if (d < 0 || static_cast<std::size_t>(d) > path.size()) return std::nullopt;
    path.resize(static_cast<std::size_t>(d));
    order[i].parent = d == 0 ? std::nullopt : std::optional<std::size_t>(path.back());
    path.push_back(i);
  }
  if (list.IndexOf(nodes_[index].action) == index) list.Move(index, count, before);
  nodes_ = std::move(order);
  return target;
}

}  // namespace tavion
