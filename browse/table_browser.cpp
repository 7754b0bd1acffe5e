#include "table_browser.h"

#include "page_statement.h"

namespace browse {

TableBrowser::TableBrowser(data::TDataModule1 &dm, app::MainState &state, data::WorkingCopyLists &lists,
                           QObject *parent)
    : QObject(parent), dm_(dm), state_(state), lists_(lists)
{
    dm_.khzl.afterOpen = [this](data::ClientDataSet &) { showPosition(); };
    dm_.khzl.afterScroll = [this](data::ClientDataSet &d) { turnPage(d); };
}

QString TableBrowser::source() const
{
    return state_.workingCopyMode ? QStringLiteral("#") + state_.loginUser : dm_.currentTable;
}

void TableBrowser::get_Data_Tables()
{
    tables_.clear();
    try {
        const QCborValue result = dm_.callServer(QStringLiteral("GetAllTables"));
        for (const QCborValue &v : result.toArray())
            tables_ << v.toString();
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("无表数据文件可操作！"));
    }
    dm_.currentTable = tables_.value(0);
    Q_EMIT tablesChanged(tables_, dm_.currentTable);
}

void TableBrowser::lbTablesClick(const QString &table)
{
    lists_.changedIds.clear();
    lists_.deletedIds.clear();
    state_.unsavedChanges = false;
    Q_EMIT workingCopyEnded();
    dm_.currentTable = table;
    Open_Khzl_Data();
}

void TableBrowser::Open_Khzl_Data()
{
    const QString table = dm_.currentTable;
    if (table.isEmpty())
        return;
    Q_EMIT statusText(QStringLiteral("正在打开表文件... ") + table + QStringLiteral(" ... 请稍候..."));
    try {
        currentQueryText = {QStringLiteral("select * from ") + table};
        lists_.deletedIds.clear();
        state_.workingCopyMode = false;
        page_ = 1;
        loadPage();
        Q_EMIT statusText(QStringLiteral("打开表文件... ") + table + QStringLiteral(" 完成!"));
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("数据打开失败!"));
        Q_EMIT statusText(QStringLiteral("打开表文件... ") + table + QStringLiteral(" 失败!"));
    }
    Q_EMIT tableOpened(table, dm_.khzl.isActive() ? dm_.khzl.fieldNames() : QStringList());
    count_Khzl1_Data();
}

void TableBrowser::count_Khzl1_Data()
{
    qint64 total = 0;
    try {
        dm_.s1.close();
        dm_.s1.setCommandText(countStatement(dm_.currentTable));
        dm_.s1.open();
        total = dm_.s1.value(QStringLiteral("count1")).toLongLong();
    } catch (const wire::ServerError &) {
        // An uncountable table shows no pages.
    }
    setTotal(total);
}

void TableBrowser::setTotal(qint64 total)
{
    dm_.totalRows = total;
    pageCount_ = browse::pageCount(total, dm_.pageSize);
    page_ = 1;
    Q_EMIT pagesChanged(page_, pageCount_);
    showPosition();
}

void TableBrowser::ShoWTableData() { loadPage(); }

void TableBrowser::loadPage()
{
    data::ClientDataSet &khzl = dm_.khzl;
    const QString statement = pageStatement(source(), page_, dm_.pageSize);
    if (khzl.isActive()) {
        try {
            khzl.post();
        } catch (const data::Abort &) {
            // The event refused the edit and cancelled it.
        }
        if (khzl.changeCount() > 0) {
            if (dm_.confirm(QStringLiteral("名录数据已经修改，是否保存再继续?"))) {
                try {
                    if (khzl.applyUpdates() > 0)
                        dm_.ShowMessage_jd(QStringLiteral("保存数据失败！"));
                    else {
                        lists_.deletedIds << lists_.pendingDeletions;
                        lists_.pendingDeletions.clear();
                    }
                } catch (const wire::ServerError &) {
                    dm_.ShowMessage_jd(QStringLiteral("保存数据失败！"));
                }
            } else {
                // The dropped page's deletions go with its other changes.
                lists_.pendingDeletions.clear();
            }
        }
    }
    const data::ClientDataSet::Event afterScroll = std::exchange(khzl.afterScroll, nullptr);
    khzl.disableControls();
    try {
        khzl.close();
        khzl.setCommandText(statement);
        khzl.open();
    } catch (...) {
        khzl.enableControls();
        khzl.afterScroll = afterScroll;
        throw;
    }
    khzl.enableControls();
    khzl.afterScroll = afterScroll;
}

void TableBrowser::setPage(int page)
{
    if (page < 1)
        page = 1;
    page_ = page;
    Q_EMIT pagesChanged(page_, pageCount_);
    try {
        loadPage();
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("数据打开失败!"));
    }
}

void TableBrowser::firstPage()
{
    setPage(1);
    if (dm_.khzl.isActive())
        dm_.khzl.first();
}

void TableBrowser::priorPage()
{
    if (page_ > 1)
        setPage(page_ - 1);
    showPosition();
}

void TableBrowser::nextPage()
{
    if (page_ < pageCount_)
        setPage(page_ + 1);
    showPosition();
}

void TableBrowser::lastPage()
{
    if (pageCount_ < 1)
        return;
    setPage(pageCount_);
    if (dm_.khzl.isActive())
        dm_.khzl.last();
}

void TableBrowser::refreshData()
{
    const auto afterScroll = std::exchange(dm_.khzl.afterScroll, nullptr);
    try {
        dm_.khzl.cancelUpdates();
        if (dm_.khzl.isActive())
            dm_.khzl.refresh();
        if (!dm_.zh.isActive())
            dm_.zh.open();
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("数据打开失败!"));
    }
    dm_.khzl.afterScroll = afterScroll;
}

void TableBrowser::turnPage(data::ClientDataSet &d)
{
    if (d.bof() && page_ > 1 && d.recNo() == 1) {
        const auto handler = std::exchange(d.afterScroll, nullptr);
        setPage(page_ - 1);
        d.moveBy(dm_.pageSize - 1);
        d.afterScroll = handler;
    } else if (d.eof() && page_ < pageCount_) {
        const auto handler = std::exchange(d.afterScroll, nullptr);
        setPage(page_ + 1);
        d.afterScroll = handler;
    }
    showPosition();
}

QString TableBrowser::gridPosition() const
{
    return QStringLiteral("%1/%2")
        .arg(qint64(page_ - 1) * dm_.pageSize + dm_.khzl.recNo())
        .arg(dm_.totalRows);
}

void TableBrowser::showPosition() { Q_EMIT positionText(gridPosition()); }

} // namespace browse
