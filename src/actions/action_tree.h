#pragma once
// The tree that orders and nests the actions of a profile. Portable; the main window's tree view
// mirrors it.
//
// Nodes are kept in absolute order (from the top, children after their parent); a node's index
// in that order is the action's index for the key handler and the dispatcher.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavion {

class TAction;
class TActionsList;

class ActionTree {
 public:
  struct Node {
    TAction* action = nullptr;
    int depth = 0;                      // 0 = top level
    std::optional<std::size_t> parent;  // absolute index of the parent node
    std::string text;                   // the text shown for the node
  };

  std::size_t Count() const { return nodes_.size(); }
  // Null for an index outside the tree.
  const Node* NodeAt(std::size_t index) const;

  // The action of node `index`, or null when the index is outside the tree.
  TAction* ActionByIndex(std::size_t index) const;
  // The action a node carries (null for no node).
  static TAction* ActionOfNode(const Node* node) { return node ? node->action : nullptr; }
  // A node whose action has no code is a folder.
  static bool IsFolder(const Node* node);

  // The index just past the last descendant of node `index` (Count() at most).
  std::size_t SubtreeEnd(std::size_t index) const;

  // Absolute indices of the direct children of node `index`, in order.
  std::vector<std::size_t> Children(std::size_t index) const;

  // Removes every node and, with them, every action of `list`.
  void Clear(TActionsList& list);

  // Rebuilds the tree from `list` in list order. Action k becomes node k; its depth follows from
  // the Levl values as from lines indented by Levl tabs: a deeper line makes a child of the
  // previous node whatever the difference, an equal one a sibling, a shallower one a child of
  // the previous node's nearest ancestor that is less deep than the line's Levl.
  // `textOf` gives each node's text.
  void Rebuild(TActionsList& list, const std::function<std::string(TAction&)>& textOf);

  // Adds a node with a new action of `list` as the last child of node `parent` (nullopt: the last
  // top-level node) and returns its index; the action takes the same place in the list and the
  // node's depth as its Levl. An index outside the tree counts as nullopt.
  std::size_t AddLastChild(std::optional<std::size_t> parent, std::string text, TActionsList& list);

  // Sets the text of node `index`; false for an index outside the tree.
  bool SetText(std::size_t index, std::string text);

  // Deletes node `index` with all its descendants and their actions from `list`. Returns false
  // for an index outside the tree.
  bool DeleteNode(std::size_t index, TActionsList& list);

  // Moves node `index` with its descendants in front of node `before` (Count() for the end) and
  // gives it depth `depth`, its descendants following; parents follow from the new depths, and
  // the list's order follows the tree's. Returns the node's new index, or nullopt, moving
  // nothing, when an index is outside the tree, `before` lies among the moved nodes, or the
  // depth does not fit there (the top node is not at depth 0, or a node would be more than one
  // deeper than the node before it).
  std::optional<std::size_t> MoveNode(std::size_t index, std::size_t before, int depth,
                                      TActionsList& list);

 private:
  std::vector<Node> nodes_;
};

}  // namespace tavion
