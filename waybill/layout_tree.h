#pragma once
// The layout tree: its nodes in tree order with their depth, the selected node, and its file
// set/xinfeng_TreeView.List (one node per line, one leading tab per level). Only top-level nodes
// are layouts; the node text is the layout name.

#include <QList>
#include <QString>
#include <QStringList>

namespace waybill {

struct TreeNode {
    int level = 0;
    QString text;
    bool operator==(const TreeNode &) const = default;
};

class LayoutTree {
public:
    // The names the tree holds when its file is missing, in order ("汇款单新" twice).
    static QStringList builtInNames();
    static LayoutTree builtIn();

    // Leading tabs or blanks give the level; a level deeper than one below the node before it is
    // taken as one below, and blank lines are skipped, so a hand-edited file still loads.
    static LayoutTree fromLines(const QStringList &lines);
    QStringList toLines() const;

    const QList<TreeNode> &nodes() const { return nodes_; }
    int size() const { return int(nodes_.size()); }
    const QString &text(int node) const { return nodes_[node].text; }
    void setText(int node, const QString &text) { nodes_[node].text = text; }
    bool isTopLevel(int node) const { return nodes_[node].level == 0; }

    // -1 when no node is selected.
    int selected() const { return selected_; }
    void select(int node) { selected_ = node; }

    // Adds a node at the end of the selected node's level (of the top level when none is
    // selected) and returns its index; the selection stays where it was.
    int add(const QString &text);
    // Removes the node and the nodes below it; a removed selection becomes none.
    void remove(int node);

private:
    QList<TreeNode> nodes_;
    int selected_ = -1;
};

} // namespace waybill
