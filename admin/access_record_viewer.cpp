#include "access_record_viewer.h"

#include "data/sql_text.h"
#include "dataset_helpers.h"

namespace admin {

using data::sqlValue;

AccessRecordViewer::AccessRecordViewer(data::TDataModule1 &dm) : dm_(dm) {}

void AccessRecordViewer::activate()
{
    guarded(dm_, [this] {
        dm_.s1.setCommandText(QStringLiteral("Select distinct  访问人 from 访问记录"));
        dm_.s1.open();
        users_ = columnTexts(dm_.s1, QStringLiteral("访问人"));
        dm_.s1.close();
    });
    load({});
    fields_ = dm_.fwjl.isActive() ? dm_.fwjl.fieldNames() : QStringList();
}

void AccessRecordViewer::showUser(const QString &user) { load("where 访问人='" + sqlValue(user) + "'"); }

bool AccessRecordViewer::filter(const QString &field, const QString &value)
{
    if (value.isEmpty() || !fields_.contains(field))
        return false;
    return load("where " + field + " like " + "'" + "%" + sqlValue(value) + "%" + "'");
}

QString AccessRecordViewer::position() const { return positionOf(dm_.fwjl); }

void AccessRecordViewer::finish()
{
    guarded(dm_, [this] { dm_.openAccessRecord(); });
}

bool AccessRecordViewer::load(const QString &condition)
{
    condition_ = condition;
    return guarded(dm_, [&] {
        data::SqlText sql{QStringLiteral("Select top %1 * from 访问记录").arg(MaxRows)};
        if (condition.isEmpty())
            sql.add(QStringLiteral("order by id DESC"));
        else
            sql.add(condition).add(QStringLiteral("order by ID desc"));
        dm_.fwjl.setCommandText(sql.text());
        dm_.fwjl.open();
    });
}

} // namespace admin
