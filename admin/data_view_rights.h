#pragma once
// What the dialog "设置数据查看权限" does, without its widgets: the 权限组 of the current
// directory row, or of every row the grid's query selects.

#include "data/data_module.h"

#include <QStringList>

namespace admin {

inline const QString Everybody = QStringLiteral("所有人");

class DataViewRights {
public:
    // queryText: the query the grid shows, its select line first.
    DataViewRights(data::TDataModule1 &dm, QStringList queryText);

    // The group list (every 组名, then "所有人") and the text of the current directory row.
    void load();
    const QStringList &groups() const { return groups_; }
    QString text;

    // Appends " " + entry unless the text already holds it.
    void pick(const QString &entry);
    // "更改当前": the current directory row, into its change log.
    void changeCurrent();
    // "更改所有": every row the grid's query selects, on the server.
    void changeAll();
    QString changeAllStatement() const;

private:
    data::TDataModule1 &dm_;
    QStringList queryText_;
    QStringList groups_;
};

} // namespace admin
