#include "app/date_formats.h"

namespace app {

QString shortDate(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString longDate(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy年MM月dd日"));
}

QDate parseServerDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QDate date = QDate::fromString(trimmed, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid())
        return date;
    return QDate::fromString(trimmed, QStringLiteral("yyyy-M-d"));
}

} // namespace app
