#include "app/server_entries.h"

#include "app/list_file.h"

#include <QFileInfo>

namespace app {
namespace {

const QString LocalHost = QStringLiteral("local");

QStringList defaultLines()
{
    return {LocalHost, QStringLiteral("127.0.0.1:211"), QStringLiteral("127.0.0.1:211"),
            QStringLiteral("127.0.0.1:211")};
}

// The entry of one line; fallback when the line names no host.
ServerEntry parseServerEntry(const QString &line, const ServerEntry &fallback)
{
    const QString text = line.trimmed();
    // "[::1]:211" brackets an IPv6 address; a bare IPv6 address has several colons and no port.
    const qsizetype colon = text.lastIndexOf(u':');
    const bool hasPort = colon > 0 && (text.startsWith(u'[') ? text.at(colon - 1) == u']' : text.count(u':') == 1);
    ServerEntry entry{text, DefaultServerPort};
    if (hasPort) {
        bool ok = false;
        const uint port = text.mid(colon + 1).toUInt(&ok);
        entry.host = text.left(colon);
        if (ok && port > 0 && port <= 65535)
            entry.port = quint16(port);
    }
    if (entry.host.startsWith(u'[') && entry.host.endsWith(u']'))
        entry.host = entry.host.mid(1, entry.host.size() - 2);
    return entry.host.isEmpty() ? fallback : entry;
}

} // namespace

bool ServerEntry::isLocal() const { return host.compare(LocalHost, Qt::CaseInsensitive) == 0; }

QList<ServerEntry> readServerEntries(const ProgramFolder &folder)
{
    const QString path = folder.path(QStringLiteral("servers.cfg"));
    const QStringList defaults = defaultLines();
    QList<ServerEntry> entries;
    for (const QString &line : defaults)
        entries << parseServerEntry(line, {});
    if (!QFileInfo::exists(path)) {
        writeListFile(path, defaults);
        return entries;
    }
    const QStringList lines = readListFile(path);
    for (int i = 0; i < ServerEntryCount && i < lines.size(); ++i)
        entries[i] = parseServerEntry(lines[i], entries[i]);
    return entries;
}

} // namespace app
