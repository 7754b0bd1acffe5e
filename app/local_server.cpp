#include "app/local_server.h"

#include <QCoreApplication>
#include <QDir>

namespace app {
namespace {

constexpr int StartTimeoutMs = 20000;
constexpr int StopTimeoutMs = 3000;

// "velbor-server listening on 127.0.0.1:PORT, data in …"
quint16 portOfBanner(const QString &line)
{
    const qsizetype on = line.indexOf(QLatin1StringView(" on "));
    const qsizetype comma = line.indexOf(u',', on);
    const qsizetype colon = line.lastIndexOf(u':', comma);
    if (on < 0 || comma < 0 || colon < on)
        return 0;
    bool ok = false;
    const uint port = line.mid(colon + 1, comma - colon - 1).toUInt(&ok);
    return ok && port <= 65535 ? quint16(port) : 0;
}

} // namespace

LocalServer::LocalServer(const ProgramFolder &folder, QString program)
    : m_program(program.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/velbor-server")
                                  : std::move(program)),
      m_dataFolder(folder.dataDir() + QStringLiteral("server"))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Later output is read away so that the pipe never fills and blocks the server.
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
        if (m_port != 0)
            m_process.readAllStandardOutput();
    });
}

LocalServer::~LocalServer() { stop(); }

bool LocalServer::start(QString *error)
{
    stop();
    const auto failed = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("本机服务器 %1 无法启动：%2").arg(QDir::toNativeSeparators(m_program), why);
        stop();
        return false;
    };
    if (!QDir().mkpath(m_dataFolder))
        return failed(QStringLiteral("无法建立数据文件夹 %1").arg(m_dataFolder));
    // --exit-with-parent: the server ends with the client even when the client is killed.
    m_process.start(m_program, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--data"),
                                m_dataFolder, QStringLiteral("--exit-with-parent")});
    if (!m_process.waitForStarted(StartTimeoutMs))
        return failed(m_process.errorString());
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(StartTimeoutMs))
            return failed(m_process.state() == QProcess::NotRunning
                              ? QStringLiteral("服务器已退出，退出码 %1").arg(m_process.exitCode())
                              : QStringLiteral("服务器没有报告端口"));
    }
    const QString banner = QString::fromUtf8(m_process.readLine()).trimmed();
    const quint16 port = portOfBanner(banner);
    if (port == 0)
        return failed(QStringLiteral("无法识别的应答“%1”").arg(banner));
    m_port = port;
    m_process.readAllStandardOutput();
    return true;
}

void LocalServer::stop()
{
    m_port = 0;
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(StopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(StopTimeoutMs);
    }
}

bool LocalServer::isRunning() const { return m_port != 0 && m_process.state() == QProcess::Running; }

} // namespace app
