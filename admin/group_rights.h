#pragma once
// What the group rights window does, without its widgets: the group and account lists, the
// rights of the selected group, its table rights and saving groups and accounts.

#include "data/data_module.h"

#include <QObject>
#include <QStringList>

namespace admin {

inline const QString ConflictMessage = QStringLiteral("您要保存的数据已被他人修改！\n请刷新数据后再修改！");

class GroupRights : public QObject {
    Q_OBJECT
public:
    // Installs the rules of the group and account datasets for its lifetime.
    explicit GroupRights(data::TDataModule1 &dm, QObject *parent = nullptr);
    ~GroupRights() override;

    // "所有表文件": every directory table.
    void loadAllTables();
    const QStringList &allTables() const { return allTables_; }

    // Reopens all groups and all accounts, rebuilds both lists and shows the last group.
    void refreshData();
    // The lists rebuilt from the rows loaded: group names (also the 所属组名 choices) and
    // account names, each in table order.
    void rebuildGroupList();
    void rebuildAccountList();
    const QStringList &groupNames() const { return groupNames_; }
    const QStringList &accountNames() const { return accountNames_; }

    // Shows a group: its row, its accessible tables and its accounts.
    void clickGroup(const QString &group);
    const QString &selectedGroup() const { return selectedGroup_; }
    void clickAccount(const QString &user);

    // The group row's right or 查看密级, set and posted into the change log.
    void setRight(const QString &column, bool on);
    void setSecrecy(int level);
    bool groupRight(const QString &column) const;
    int secrecy() const;
    QString groupPosition() const; // record number "/" count

    // "可访问表文件" of the selected group, edited locally until saveTableRights().
    const QStringList &accessibleTables() const { return accessible_; }
    void addTable(const QString &table);
    void removeTable(const QString &table);
    void saveTableRights();

    // "保存": groups, then accounts.
    void save();
    // Closing the window: unsaved changes are dropped.
    void close();

Q_SIGNALS:
    void groupListChanged();
    void accountListChanged();
    void accessibleTablesChanged();

private:
    void loadAccessibleTables();
    void reopenAccounts();

    data::TDataModule1 &dm_;
    QStringList allTables_;
    QStringList groupNames_;
    QStringList accountNames_;
    QStringList accessible_;
    QString selectedGroup_;
};

} // namespace admin
