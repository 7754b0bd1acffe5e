// The embedded server of the `local` entry: it starts on a free port, serves logins, ends with
// its LocalServer and ends by itself when the client process is killed.

#include "app/local_server.h"
#include "support/server_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

const QString ChildOption = QStringLiteral("--serve-as-child");

// The helper process of endsWithKilledClient: runs a LocalServer until it is killed.
int serveAsChild(const QString &home)
{
    app::LocalServer server(app::ProgramFolder(home), QStringLiteral(VELBOR_SERVER_PATH));
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%lld\n", server.processId());
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// A zombie not yet reaped by its new parent has ended as well.
bool processEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 'X';
    return state == 'Z' || state == 'X';
}

bool refusesConnections(quint16 port)
{
    wire::ClientConnection connection(5000);
    try {
        connection.open(QStringLiteral("127.0.0.1"), port);
    } catch (const wire::ServerError &e) {
        return e.isNetwork();
    }
    return false;
}

} // namespace

class TestLocalServer : public QObject {
    Q_OBJECT

private slots:
    void start_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("errorPart"); // empty: starts

        QTest::newRow("velbor-server") << QStringLiteral(VELBOR_SERVER_PATH) << QString();
        QTest::newRow("missing program") << QStringLiteral("/nonexistent/velbor-server")
                                         << QStringLiteral("/nonexistent/velbor-server");
        QTest::newRow("program reporting no port") << QStringLiteral("/bin/true") << QStringLiteral("退出码 0");
    }

    void start()
    {
        QFETCH(QString, program);
        QFETCH(QString, errorPart);
        QTemporaryDir home;
        const app::ProgramFolder folder(home.path());
        auto server = std::make_unique<app::LocalServer>(folder, program);
        QString error;
        QCOMPARE(server->start(&error), errorPart.isEmpty());
        if (!errorPart.isEmpty()) {
            QVERIFY2(error.contains(errorPart), qPrintable(error));
            QVERIFY(!server->isRunning());
            return;
        }
        QVERIFY(server->isRunning());
        const quint16 port = server->port();
        QVERIFY(port != 0);

        wire::ClientConnection connection(30000);
        connection.open(server->host(), port);
        connection.call(QStringLiteral("testmima"), testing::loginArgument(QStringLiteral("新账套"),
                                                                           QStringLiteral("admin"), QStringLiteral("1")));
        QVERIFY(QFile::exists(folder.dataDir() + QStringLiteral("server/新账套.db")));
        connection.close();

        server.reset();
        QVERIFY(refusesConnections(port));
    }

    void endsWithKilledClient()
    {
        QTemporaryDir home;
        QProcess client;
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(QCoreApplication::applicationFilePath(), {ChildOption, home.path()});
        QVERIFY(client.waitForStarted());
        while (!client.canReadLine())
            QVERIFY2(client.waitForReadyRead(20000), "the helper printed no server process id");
        const qint64 serverPid = client.readLine().trimmed().toLongLong();
        QVERIFY(serverPid > 0);
        QVERIFY(!processEnded(serverPid));

        client.kill();
        QVERIFY(client.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(processEnded(serverPid), 20000);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == ChildOption)
        return serveAsChild(QString::fromLocal8Bit(argv[2]));
    TestLocalServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_local_server.moc"
