#include "page_statement.h"

#include "data/sql_text.h"

namespace browse {

QString pageStatement(const QString &source, int page, int pageSize)
{
    data::SqlText sql;
    sql.add(QStringLiteral("select top %1 * from %2").arg(pageSize).arg(source));
    if (page < 2) {
        sql.add(QStringLiteral("where id>="))
            .add(QStringLiteral("(select max(ID) from "))
            .add(QStringLiteral("(select top 1 ID from %1  order by ID) as T)").arg(source));
    } else {
        sql.add(QStringLiteral("where id>"))
            .add(QStringLiteral("(select max(ID) from "))
            .add(QStringLiteral("(select top %1 ID from %2  order by ID) as T)")
                     .arg(qint64(page - 1) * pageSize)
                     .arg(source));
    }
    sql.add(QStringLiteral(" order by id"));
    return sql.text();
}

int pageCount(qint64 total, int pageSize) { return int((total + pageSize - 1) / pageSize); }

QString countStatement(const QString &source)
{
    return data::SqlText{QStringLiteral("Select  count(*) as count1 from ") + source}.text();
}

} // namespace browse
