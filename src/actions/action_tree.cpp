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

bool ActionTree::DeleteNode(std::size_t index, TActionsList& list) {
  if (index >= nodes_.size()) return false;
  std::size_t end = index + 1;
  while (end < nodes_.size() && nodes_[end].depth > nodes_[index].depth) ++end;
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

}  // namespace tavion
