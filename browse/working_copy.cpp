#include "working_copy.h"

#include "data/sql_text.h"
#include "page_statement.h"

namespace browse {

WorkingCopy::WorkingCopy(data::TDataModule1 &dm, app::MainState &state, data::WorkingCopyLists &lists,
                         TableBrowser &browser, QObject *parent)
    : QObject(parent), dm_(dm), state_(state), lists_(lists), browser_(browser)
{
    connect(&browser, &TableBrowser::tableOpened, this,
            [this](const QString &, const QStringList &fields) { tableFields = fields; });
}

bool WorkingCopy::execute(const QString &sql)
{
    try {
        dm_.runsql.close();
        dm_.runsql.setCommandText(sql);
        dm_.runsql.execute();
        return true;
    } catch (const wire::ServerError &) {
        return false;
    }
}

qint64 WorkingCopy::scalar(const QString &sql)
{
    dm_.s1.close();
    dm_.s1.setCommandText(sql);
    dm_.s1.open();
    return dm_.s1.value(QStringLiteral("count1")).toLongLong();
}

void WorkingCopy::CreateTempTable()
{
    execute(data::SqlText{QStringLiteral("drop table ") + name()}.text());
    lists_.clear();
}

void WorkingCopy::Init_save()
{
    lists_.changedIds.clear();
    lists_.deletedIds.clear();
    state_.unsavedChanges = false;
}

void WorkingCopy::count_temp_Data()
{
    const qint64 total = scalar(countStatement(name()));
    try {
        dm_.boundaryId = scalar(data::SqlText{QStringLiteral("Select  max(ID) as count1 from ") + name()}.text());
    } catch (const wire::ServerError &) {
        dm_.boundaryId = 0;
    }
    browser_.setTotal(total);
}

void WorkingCopy::ShoWTempTable()
{
    browser_.ShoWTableData();
    Q_EMIT savingBackEnabled(true);
}

void WorkingCopy::checkSave()
{
    if (state_.unsavedChanges && dm_.confirm(QStringLiteral("是否保存修改过的数据到正式数据库中?")))
        BitBtn2Click();
}

bool WorkingCopy::Save_Data_Windows_1()
{
    data::ClientDataSet &khzl = dm_.khzl;
    if (!khzl.isActive())
        return true;
    try {
        try {
            khzl.post();
        } catch (const data::Abort &) {
        }
        if (khzl.changeCount() == 0)
            return true;
        if (khzl.applyUpdates() > 0)
            throw wire::ServerError(QStringLiteral("sql"), khzl.lastApplyErrors().join(u'\n'));
        const auto afterScroll = std::exchange(khzl.afterScroll, nullptr);
        try {
            khzl.refresh();
        } catch (...) {
            khzl.afterScroll = afterScroll;
            throw;
        }
        khzl.afterScroll = afterScroll;
        lists_.deletedIds << lists_.pendingDeletions;
        lists_.pendingDeletions.clear();
        if (state_.workingCopyMode)
            dm_.totalRows = scalar(countStatement(name()));
        return true;
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("保存数据失败！"));
        return false;
    }
}

void WorkingCopy::BitBtn2Click()
{
    if (state_.multiTableResult) {
        dm_.ShowMessage_jd(QStringLiteral("查询多表时，不能保存修改数据到正式数据库中！"));
        return;
    }
    Save_Data_Windows_1();
    if (!state_.workingCopyMode) {
        state_.unsavedChanges = false;
        return;
    }
    const QString table = dm_.currentTable;
    const QString copy = name();
    const QString changes = QStringLiteral("#2") + state_.loginUser;
    QStringList columns = tableFields;
    columns.removeIf([](const QString &c) { return c.compare(QStringLiteral("ID"), Qt::CaseInsensitive) == 0; });

    for (const QString &id : std::as_const(lists_.deletedIds))
        lists_.changedIds.removeAll(id);

    if (!lists_.changedIds.isEmpty()) {
        execute(data::SqlText{QStringLiteral("drop table ") + changes}.text());
        data::SqlText sql{QStringLiteral("select  *  into ") + changes + QStringLiteral(" from"),
                          QStringLiteral("(select * from ") + copy,
                          QStringLiteral("where ID=") + lists_.changedIds.first()};
        for (qsizetype i = 1; i < lists_.changedIds.size(); ++i)
            sql.add(QStringLiteral("or ID=") + lists_.changedIds[i]);
        sql.add(QStringLiteral(") as t")).add(QStringLiteral("update ") + table + QStringLiteral(" set "));
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (i > 0)
                sql.add(QStringLiteral(","));
            sql.add(columns[i] + QStringLiteral("=") + changes + QStringLiteral(".") + columns[i]);
        }
        sql.add(QStringLiteral(" from "))
            .add(table + QStringLiteral(",") + changes)
            .add(QStringLiteral("where ") + table + QStringLiteral(".ID=") + changes + QStringLiteral(".id"));
        if (execute(sql.text()))
            lists_.changedIds.clear();
        else
            dm_.ShowMessage_jd(QStringLiteral("更新修改记录失败！"));
    }

    data::SqlText insert{QStringLiteral("insert  into ") + table, QStringLiteral("(")};
    auto addColumns = [&] {
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (i > 0)
                insert.add(QStringLiteral(","));
            insert.add(columns[i]);
        }
    };
    addColumns();
    insert.add(QStringLiteral(")")).add(QStringLiteral("(select "));
    addColumns();
    insert.add(QStringLiteral(" from ") + copy)
        .add(QStringLiteral("where ID > ") + QString::number(dm_.boundaryId) + QStringLiteral(")"));
    if (execute(insert.text())) {
        // The added rows now live in the table under new IDs; left in the copy above the new
        // boundary they would pass for table rows, so they leave the copy.
        execute(data::SqlText{QStringLiteral("delete from ") + copy,
                              QStringLiteral("where ID > ") + QString::number(dm_.boundaryId)}
                    .text());
        try {
            dm_.boundaryId = scalar(data::SqlText{QStringLiteral("Select  max(ID) as count1 from ") + copy}.text());
        } catch (const wire::ServerError &) {
        }
    } else {
        dm_.ShowMessage_jd(QStringLiteral("保存新增记录数据失败！"));
    }

    if (!lists_.deletedIds.isEmpty()) {
        data::SqlText sql{QStringLiteral("delete from ") + table, QStringLiteral("where id=") + lists_.deletedIds.first()};
        for (qsizetype i = 1; i < lists_.deletedIds.size(); ++i)
            sql.add(QStringLiteral("or  id=") + lists_.deletedIds[i]);
        if (execute(sql.text()))
            lists_.deletedIds.clear();
        else
            dm_.ShowMessage_jd(QStringLiteral("保存删除记录数据失败！"));
    }
    state_.unsavedChanges = false;
}

void WorkingCopy::deleteRows(const QList<data::ClientDataSet::Bookmark> &bookmarks)
{
    data::ClientDataSet &khzl = dm_.khzl;
    if (!khzl.isActive())
        return;
    dm_.Get_Date_Time();
    if (!dm_.confirm(QStringLiteral("删除当前选中的%1条记录?").arg(bookmarks.size())))
        return;
    const auto beforeDelete = std::exchange(khzl.beforeDelete, nullptr);
    try {
        for (data::ClientDataSet::Bookmark b : bookmarks) {
            if (!khzl.gotoBookmark(b))
                continue;
            dm_.writeAccessRecord(QStringLiteral("删除数据记录:") + khzl.text(QStringLiteral("公司名称")) +
                                  QStringLiteral(" ") + khzl.text(QStringLiteral("联系人")));
            const QVariant id = khzl.value(QStringLiteral("ID"));
            if (!id.isNull() && id.toLongLong() <= dm_.boundaryId)
                lists_.pendingDeletions << id.toString();
            khzl.remove();
        }
    } catch (...) {
        khzl.beforeDelete = beforeDelete;
        throw;
    }
    khzl.beforeDelete = beforeDelete;
}

void WorkingCopy::del_Current_RecordClick()
{
    dm_.Get_Date_Time();
    if (!dm_.khzl.isActive())
        return;
    try {
        dm_.khzl.remove();
    } catch (const data::Abort &) {
    }
}

} // namespace browse
