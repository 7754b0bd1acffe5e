#pragma once
// The four server entries of the login dialog, configured in `servers.cfg` of the program folder:
// one `host[:port]` line per entry; `local` stands for the client's own embedded server.

#include "app/program_folder.h"

#include <QList>
#include <QString>

namespace app {

inline constexpr quint16 DefaultServerPort = 211;
inline constexpr int ServerEntryCount = 4;

struct ServerEntry {
    QString host;
    quint16 port = DefaultServerPort;
    bool isLocal() const;
};

// Always four entries. A missing file is written with the defaults so that users can edit it;
// missing or empty lines take the default of their entry.
QList<ServerEntry> readServerEntries(const ProgramFolder &folder);

} // namespace app
