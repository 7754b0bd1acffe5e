#pragma once
// Starts a real velbor-server on a free loopback port with a temporary data folder.

#include "wire/client_connection.h"

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace testing {

class ServerFixture {
public:
    explicit ServerFixture(const QStringList &extraArguments = {});
    ~ServerFixture();

    bool isRunning() const { return port_ != 0; }
    // Ends the server at once, as a crash or a cut network would.
    void stop();
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return port_; }
    QString dataDir() const { return dataDir_.path(); }
    QString address() const { return host() + ':' + QString::number(port_); }

    // A connection logged in to `accountSet` (created on first use) as the default account.
    std::unique_ptr<wire::ClientConnection> connect(const QString &accountSet = QStringLiteral("test"),
                                                    const QString &user = QStringLiteral("admin"),
                                                    const QString &password = QStringLiteral("1")) const;

private:
    QTemporaryDir dataDir_;
    QProcess process_;
    quint16 port_ = 0;
};

QCborArray loginArgument(const QString &accountSet, const QString &user, const QString &password);

// Every row of a query, each as its fields joined by '|' (NULL as "NULL").
QStringList rowsOf(wire::ClientConnection &connection, const QString &sql);

} // namespace testing
