#include "server_fixture.h"

#include <QTest>

namespace testing {

ServerFixture::ServerFixture(const QStringList &extraArguments)
{
    process_.setProgram(QStringLiteral(VELBOR_SERVER_PATH));
    process_.setArguments(QStringList{"--listen", "127.0.0.1:0", "--data", dataDir_.path(), "--exit-with-parent"} + extraArguments);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(10000))
        return;
    QByteArray line;
    while (!line.contains('\n') && process_.waitForReadyRead(20000))
        line += process_.readAllStandardOutput();
    // "velbor-server listening on 127.0.0.1:PORT, data in …"
    const QString text = QString::fromUtf8(line);
    const qsizetype colon = text.indexOf(u':', text.indexOf(QLatin1StringView(" on ")));
    port_ = quint16(text.mid(colon + 1, text.indexOf(u',', colon) - colon - 1).toUInt());
}

ServerFixture::~ServerFixture() { stop(); }

void ServerFixture::stop()
{
    process_.kill();
    process_.waitForFinished(5000);
}

QCborArray loginArgument(const QString &accountSet, const QString &user, const QString &password)
{
    return QCborArray{accountSet, user, password, QCborValue(), 0, 1, QCborValue()};
}

std::unique_ptr<wire::ClientConnection> ServerFixture::connect(const QString &accountSet, const QString &user,
                                                               const QString &password) const
{
    auto connection = std::make_unique<wire::ClientConnection>(30000);
    connection->open(host(), port_);
    connection->call(QStringLiteral("testmima"), loginArgument(accountSet, user, password));
    return connection;
}

QStringList rowsOf(wire::ClientConnection &connection, const QString &sql)
{
    const wire::Packet packet = connection.openQuery(QStringLiteral("s1_dp"), sql, wire::AllRows);
    QStringList rows;
    for (const wire::Row &row : packet.rows) {
        QStringList fields;
        for (const QVariant &v : row)
            fields << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        rows << fields.join(u'|');
    }
    return rows;
}

} // namespace testing
