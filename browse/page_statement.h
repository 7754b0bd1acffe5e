#pragma once
// The statements that cut a table or a working copy into pages by ID.

#include <QString>

namespace browse {

// The command text of page `page` of `source` (a table, or "#" + user for the working copy):
// the `pageSize` rows with the smallest IDs above the last ID of the pages before it.
QString pageStatement(const QString &source, int page, int pageSize);

// Pages needed for `total` rows; 0 rows give 0 pages.
int pageCount(qint64 total, int pageSize);

QString countStatement(const QString &source);

} // namespace browse
