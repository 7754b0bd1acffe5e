#include "data_view_rights.h"

#include "data/sql_text.h"
#include "dataset_helpers.h"

namespace admin {

namespace {
const QString Field = QStringLiteral("权限组");
}

DataViewRights::DataViewRights(data::TDataModule1 &dm, QStringList queryText)
    : dm_(dm), queryText_(std::move(queryText))
{
}

void DataViewRights::load()
{
    guarded(dm_, [this] {
        dm_.s1.setCommandText(QStringLiteral("Select 组名 from 组权限"));
        dm_.s1.open();
        groups_ = columnTexts(dm_.s1, QStringLiteral("组名"));
        dm_.s1.close();
    });
    groups_ << Everybody;
    const data::ClientDataSet &rows = dm_.khzl;
    if (rows.isActive() && !rows.isEmpty() && rows.hasField(Field))
        text = rows.text(Field);
}

void DataViewRights::pick(const QString &entry)
{
    if (!text.contains(entry))
        text += QStringLiteral(" ") + entry;
}

void DataViewRights::changeCurrent()
{
    data::ClientDataSet &rows = dm_.khzl;
    if (!rows.isActive() || rows.isEmpty())
        return;
    guarded(dm_, [&] {
        rows.setValue(Field, text);
        rows.post();
    });
}

QString DataViewRights::changeAllStatement() const
{
    data::SqlText sql{"update " + dm_.currentTable + " set " + Field + " =" + "'" + data::sqlValue(text) + "'"};
    for (qsizetype i = 1; i < queryText_.size(); ++i)
        if (!queryText_[i].contains(QStringLiteral("order by"), Qt::CaseInsensitive))
            sql.add(queryText_[i]);
    return sql.text();
}

void DataViewRights::changeAll()
{
    const QString statement = changeAllStatement();
    try {
        dm_.runsql.setCommandText(statement);
        dm_.runsql.execute();
    } catch (const data::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("修改失败！"));
        return;
    }
    dm_.ShowMessage_jd(QStringLiteral("修改成功！"));
    dm_.writeAccessRecord(QStringLiteral("修改数据访问权限: ") + text, statement);
}

} // namespace admin
