#include "account_set.h"
#include "listener.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velbor-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velbor application server"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("listen"), QStringLiteral("Address and port to listen on."),
                      QStringLiteral("HOST:PORT"), QStringLiteral("0.0.0.0:211")});
    parser.addOption({QStringLiteral("data"), QStringLiteral("Folder of the account sets."), QStringLiteral("DIR"),
                      QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                          .filePath(QStringLiteral("velbor/server"))});
    parser.addOption({QStringLiteral("no-create"), QStringLiteral("Refuse logins to account sets that do not exist.")});
    parser.addOption({QStringLiteral("exit-with-parent"),
                      QStringLiteral("End when the program that started this server ends, even when it is killed.")});
    parser.process(app);

    if (parser.isSet(QStringLiteral("exit-with-parent"))) {
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) // the parent was gone before the request took hold
            return 0;
    }

    const QString listen = parser.value(QStringLiteral("listen"));
    const qsizetype colon = listen.lastIndexOf(u':');
    bool portOk = false;
    const uint port = colon < 0 ? 0 : listen.mid(colon + 1).toUInt(&portOk);
    QHostAddress address(colon <= 0 ? QString() : listen.left(colon).remove(u'[').remove(u']'));
    if (!portOk || port > 65535 || address.isNull()) {
        std::fprintf(stderr, "velbor-server: --listen expects HOST:PORT, e.g. 0.0.0.0:211 or 127.0.0.1:0 (got '%s')\n",
                     qPrintable(listen));
        return 2;
    }

    const QString dataDir = QDir(parser.value(QStringLiteral("data"))).absolutePath();
    if (!QDir().mkpath(dataDir)) {
        std::fprintf(stderr, "velbor-server: cannot create the data folder %s\n", qPrintable(dataDir));
        return 1;
    }
    server::AccountSets accountSets(dataDir, !parser.isSet(QStringLiteral("no-create")));
    server::Listener listener(accountSets);
    if (!listener.listen(address, quint16(port))) {
        std::fprintf(stderr,
                     "velbor-server: cannot listen on %s: %s\n"
                     "Ports below 1024 need root or CAP_NET_BIND_SERVICE; choose another with --listen HOST:PORT.\n",
                     qPrintable(listen), qPrintable(listener.errorString()));
        return 1;
    }
    std::printf("velbor-server listening on %s:%u, data in %s\n", qPrintable(listener.serverAddress().toString()),
                listener.serverPort(), qPrintable(dataDir));
    std::fflush(stdout);
    return app.exec();
}
