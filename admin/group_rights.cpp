#include "group_rights.h"

#include "account_rules.h"
#include "data/sql_text.h"
#include "dataset_helpers.h"

namespace admin {

using data::ClientDataSet;
using data::SqlText;
using data::sqlValue;

GroupRights::GroupRights(data::TDataModule1 &dm, QObject *parent) : QObject(parent), dm_(dm)
{
    installAccountRules(dm_, [this] { return selectedGroup_; });
}

GroupRights::~GroupRights() { removeAccountRules(dm_); }

void GroupRights::loadAllTables()
{
    guarded(dm_, [this] {
        allTables_.clear();
        for (const QCborValue &t : dm_.callServer(QStringLiteral("GetAllTables1")).toArray())
            allTables_ << t.toString();
    });
}

void GroupRights::refreshData()
{
    const bool opened = guarded(dm_, [this] {
        dm_.ygzm.setCommandText(QStringLiteral("Select * from 组权限"));
        dm_.ygzm.open();
        dm_.ygzh.setCommandText(QStringLiteral("Select * from 员工账号"));
        dm_.ygzh.open();
    });
    rebuildGroupList();
    rebuildAccountList();
    if (opened && !groupNames_.isEmpty())
        clickGroup(groupNames_.last());
}

void GroupRights::rebuildGroupList()
{
    groupNames_ = columnTexts(dm_.ygzm, QStringLiteral("组名"));
    Q_EMIT groupListChanged();
}

void GroupRights::rebuildAccountList()
{
    accountNames_ = columnTexts(dm_.ygzh, QStringLiteral("用户名称"));
    Q_EMIT accountListChanged();
}

void GroupRights::clickGroup(const QString &group)
{
    const bool moved = guarded(dm_, [&] {
        const int row = findRow(dm_.ygzm, QStringLiteral("组名"), group);
        if (row >= 0)
            dm_.ygzm.setRecNo(row + 1);
    });
    if (!moved)
        return;
    selectedGroup_ = group;
    loadAccessibleTables();
    reopenAccounts();
}

void GroupRights::loadAccessibleTables()
{
    guarded(dm_, [this] {
        dm_.Set_Table.setCommandText(
            SqlText{"select * from 表权限", "where 组名='" + sqlValue(selectedGroup_) + "'"}.text());
        dm_.Set_Table.open();
    });
    accessible_ = columnTexts(dm_.Set_Table, QStringLiteral("表名"));
    Q_EMIT accessibleTablesChanged();
}

void GroupRights::reopenAccounts()
{
    guarded(dm_, [this] {
        dm_.ygzh.setCommandText(
            SqlText{"Select * from 员工账号", "where 所属组名='" + sqlValue(selectedGroup_) + "'"}.text());
        dm_.ygzh.open();
    });
    rebuildAccountList();
}

void GroupRights::clickAccount(const QString &user)
{
    guarded(dm_, [&] {
        const int row = findRow(dm_.ygzh, QStringLiteral("用户名称"), user);
        if (row >= 0)
            dm_.ygzh.setRecNo(row + 1);
    });
}

void GroupRights::setRight(const QString &column, bool on)
{
    guarded(dm_, [&] {
        if (!dm_.ygzm.isActive() || dm_.ygzm.isEmpty())
            return;
        dm_.ygzm.edit();
        dm_.ygzm.setValue(column, on);
        dm_.ygzm.post();
    });
}

void GroupRights::setSecrecy(int level)
{
    guarded(dm_, [&] {
        if (!dm_.ygzm.isActive() || dm_.ygzm.isEmpty())
            return;
        dm_.ygzm.edit();
        dm_.ygzm.setValue(QStringLiteral("查看密级"), level);
        dm_.ygzm.post();
    });
}

bool GroupRights::groupRight(const QString &column) const
{
    const ClientDataSet &d = dm_.ygzm;
    return d.isActive() && !d.isEmpty() && d.hasField(column) && isTrue(d.value(column));
}

int GroupRights::secrecy() const
{
    const ClientDataSet &d = dm_.ygzm;
    return d.isActive() && !d.isEmpty() ? d.value(QStringLiteral("查看密级")).toInt() : 0;
}

QString GroupRights::groupPosition() const { return positionOf(dm_.ygzm); }

void GroupRights::addTable(const QString &table)
{
    if (table.isEmpty() || accessible_.contains(table))
        return;
    accessible_ << table;
    Q_EMIT accessibleTablesChanged();
}

void GroupRights::removeTable(const QString &table)
{
    if (accessible_.removeOne(table))
        Q_EMIT accessibleTablesChanged();
}

void GroupRights::saveTableRights()
{
    if (selectedGroup_.isEmpty())
        return;
    // Deleting and inserting in one batch: the server runs it all or not at all, so a failure
    // keeps the group's old rows.
    const QString group = sqlValue(selectedGroup_);
    SqlText sql{"DELETE   FROM 表权限", "where 组名='" + group + "'"};
    if (!accessible_.isEmpty()) {
        QStringList rows;
        for (const QString &table : accessible_)
            rows << "('" + group + "', '" + sqlValue(table) + "')";
        sql.add("insert into 表权限 (组名, 表名) values " + rows.join(", "));
    }
    try {
        dm_.runsql.setCommandText(sql.text());
        dm_.runsql.execute();
    } catch (const data::ServerError &) {
        // The list stays as edited, to be saved again.
        dm_.ShowMessage_jd(QStringLiteral("保存失败！"));
        return;
    }
    loadAccessibleTables();
    dm_.ShowMessage_jd(QStringLiteral("保存成功！"));
}

void GroupRights::save()
{
    ClientDataSet &groups = dm_.ygzm;
    ClientDataSet &accounts = dm_.ygzh;
    const bool posted = guarded(dm_, [&] {
        for (ClientDataSet *d : {&groups, &accounts})
            if (d->isActive())
                d->post();
    });
    if (!posted)
        return;
    bool conflict = false;
    auto applyAndRefresh = [&](ClientDataSet &d) {
        try {
            if (d.applyUpdates() == 0) {
                d.refresh();
                return;
            }
        } catch (const data::ServerError &) {
        }
        conflict = true;
    };
    if (groups.isActive() && groups.changeCount() > 0) {
        // At least one group must be able to administer.
        if (groups.recordCount() == 1) {
            guarded(dm_, [&] {
                groups.setValue(AdministratorRight, true);
                groups.post();
            });
        }
        applyAndRefresh(groups);
    }
    if (accounts.isActive() && accounts.changeCount() > 0)
        applyAndRefresh(accounts);
    if (conflict)
        dm_.ShowMessage_jd(ConflictMessage);
    rebuildGroupList();
    rebuildAccountList();
}

void GroupRights::close()
{
    dm_.ygzm.close();
    dm_.ygzh.close();
}

} // namespace admin
