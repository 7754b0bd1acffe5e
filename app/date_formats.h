#pragma once

#include <QDate>
#include <QString>

namespace app {

QString shortDate(const QDate &date); // yyyy-MM-dd
QString longDate(const QDate &date);  // yyyy年MM月dd日

// The server's date text, "yyyy-MM-dd" or without leading zeros; an invalid
// QDate when it is neither.
QDate parseServerDate(const QString &text);

} // namespace app
