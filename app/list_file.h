#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// List files: GBK text, one item per line, every line ended by CR LF.
// A missing file is never an error.

// All items of the file; empty when the file is missing. Also reads LF-only
// files and UTF-8 files (with or without a byte-order mark).
QStringList readListFile(const QString &path);

// Writes the whole list, creating the parent folder when missing; the old
// content is replaced only once the new one is complete.
bool writeListFile(const QString &path, const QStringList &lines);

// The first line of a single-value file; nullopt when missing or empty.
std::optional<QString> readFirstLine(const QString &path);

bool writeSingleValue(const QString &path, const QString &value);

} // namespace app
