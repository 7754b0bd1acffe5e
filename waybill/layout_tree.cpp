#include "waybill/layout_tree.h"

namespace waybill {

QStringList LayoutTree::builtInNames()
{
    return {
        QStringLiteral("国内B6信封"), QStringLiteral("国内DL信封"), QStringLiteral("国内ZL信封"),
        QStringLiteral("国内C5信封"), QStringLiteral("国内C4信封"), QStringLiteral("国际C6信封"),
        QStringLiteral("国际DL信封"), QStringLiteral("国际C5信封"), QStringLiteral("国际C4信封"),
        QStringLiteral("二号信封"),   QStringLiteral("五号信封"),   QStringLiteral("六号信封"),
        QStringLiteral("七号信封"),   QStringLiteral("九号信封"),   QStringLiteral("特快专递"),
        QStringLiteral("京城快递"),   QStringLiteral("包裹单新"),   QStringLiteral("汇款单2002"),
        QStringLiteral("汇款单新"),   QStringLiteral("包裹单旧"),   QStringLiteral("汇款单新"),
        QStringLiteral("明信片1"),    QStringLiteral("明信片2"),    QStringLiteral("明信片3"),
        QStringLiteral("明信片4"),    QStringLiteral("标签14"),     QStringLiteral("标签16"),
        QStringLiteral("中铁快运"),   QStringLiteral("大田快递"),   QStringLiteral("国际特快"),
        QStringLiteral("城市快递单"), QStringLiteral("EMS特惠箱单"), QStringLiteral("国际大包单"),
        QStringLiteral("YCC快货单"),  QStringLiteral("国际小包单"), QStringLiteral("快递包裹单"),
        QStringLiteral("商业发票"),   QStringLiteral("中速国际快件"), QStringLiteral("粤港快件单"),
        QStringLiteral("新版国际EMS"), QStringLiteral("DDS快递"),   QStringLiteral("圆通快递"),
        QStringLiteral("fardar"),     QStringLiteral("宅急送"),     QStringLiteral("快马"),
        QStringLiteral("启良"),
    };
}

LayoutTree LayoutTree::builtIn() { return fromLines(builtInNames()); }

LayoutTree LayoutTree::fromLines(const QStringList &lines)
{
    LayoutTree tree;
    for (const QString &line : lines) {
        qsizetype indent = 0;
        while (indent < line.size() && (line.at(indent) == u'\t' || line.at(indent) == u' '))
            ++indent;
        if (indent == line.size())
            continue;
        const int deepest = tree.nodes_.isEmpty() ? 0 : tree.nodes_.last().level + 1;
        tree.nodes_.append({qMin(int(indent), deepest), line.mid(indent)});
    }
    return tree;
}

QStringList LayoutTree::toLines() const
{
    QStringList lines;
    for (const TreeNode &node : nodes_)
        lines << QString(node.level, u'\t') + node.text;
    return lines;
}

int LayoutTree::add(const QString &text)
{
    if (selected_ < 0) {
        nodes_.append({0, text});
        return size() - 1;
    }
    const int level = nodes_[selected_].level;
    // The selected node's level ends at the first later node above that level.
    int at = selected_ + 1;
    while (at < size() && nodes_[at].level >= level)
        ++at;
    nodes_.insert(at, {level, text});
    return at;
}

void LayoutTree::remove(int node)
{
    int end = node + 1;
    while (end < size() && nodes_[end].level > nodes_[node].level)
        ++end;
    nodes_.remove(node, end - node);
    if (selected_ >= end)
        selected_ -= end - node;
    else if (selected_ >= node)
        selected_ = -1;
}

} // namespace waybill
