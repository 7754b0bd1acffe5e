#pragma once
// The embedded server behind the `local` server entry: a velbor-server child process on a free
// loopback port with its data in the program folder's data/server/.

#include "app/program_folder.h"

#include <QProcess>
#include <QString>

namespace app {

class LocalServer
{
public:
    // program: the velbor-server executable; empty means the one next to the running client.
    explicit LocalServer(const ProgramFolder &folder, QString program = {});
    ~LocalServer();
    LocalServer(const LocalServer &) = delete;
    LocalServer &operator=(const LocalServer &) = delete;

    // Starts the server and waits until it listens; on failure error tells why.
    bool start(QString *error);
    void stop();
    bool isRunning() const;
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    qint64 processId() const { return m_process.processId(); }

private:
    QString m_program;
    QString m_dataFolder;
    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace app
