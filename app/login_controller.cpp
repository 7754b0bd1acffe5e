#include "app/login_controller.h"

#include "app/list_file.h"
#include "app/prompt_service.h"
#include "app/about_box.h"
#include "data/data_module.h"
#include "data/sql_text.h"

namespace app {
namespace {

const QString ServerListFile = QStringLiteral("ServerNameList.Cfg");
const QString AccountSetListFile = QStringLiteral("zhangtaoList.Cfg");
const QString UserListFile = QStringLiteral("YongHuNameList.Cfg");

const QString SupportContact = QStringLiteral("技术支持：") + QLatin1StringView(supportEmail);
const QString WrongCredentials = QStringLiteral("用户登录失败！请重新输入用户名和密码！");
const QString NetworkFailure = QStringLiteral("登录失败,请确认网络是否正常\n或者用户名称和密码是否正确!!");

// The embedded server could not be started; its reason is worth more than the network notice.
struct LocalServerFailure {
    QString message;
};

// Adds text when no entry equals it ignoring letter case, moves that entry to the top, writes
// the list; the text becomes the stored spelling.
void remember(QStringList &list, QString &text, const QString &path)
{
    if (text.isEmpty())
        return;
    qsizetype at = 0;
    while (at < list.size() && list[at].compare(text, Qt::CaseInsensitive) != 0)
        ++at;
    if (at == list.size())
        list.append(text);
    list.move(at, 0);
    writeListFile(path, list);
    text = list.first();
}

void notice(const QString &text) { prompts().notice(text); }

} // namespace

LoginController::LoginController(data::TDataModule1 &dm, MainState &state, ProgramFolder folder,
                                 QString serverProgram)
    : m_dm(dm), m_state(state), m_folder(std::move(folder)), m_serverProgram(std::move(serverProgram))
{
}

LoginController::~LoginController() = default;

void LoginController::load()
{
    m_state.loginCompleted = false;
    m_entries = readServerEntries(m_folder);
    // The dialog only writes a number here; anything else falls back to the first entry.
    if (const std::optional<QString> line = readFirstLine(m_folder.path(ServerListFile))) {
        bool ok = false;
        const int index = line->trimmed().toInt(&ok);
        m_form.server = ok && index >= 0 && index < ServerEntryCount ? index : 0;
    }
    m_form.users = readListFile(m_folder.path(UserListFile));
    if (!m_form.users.isEmpty())
        m_form.user = m_form.users.first();
    m_form.accountSets = readListFile(m_folder.path(AccountSetListFile));
    if (!m_form.accountSets.isEmpty())
        m_form.accountSet = m_form.accountSets.first();
}

void LoginController::chooseServer(int index)
{
    if (index < 0 || index >= ServerEntryCount || index == m_form.server)
        return;
    m_form.server = index;
    rememberServer();
}

void LoginController::rememberAccountSet()
{
    remember(m_form.accountSets, m_form.accountSet, m_folder.path(AccountSetListFile));
}

void LoginController::rememberUser() { remember(m_form.users, m_form.user, m_folder.path(UserListFile)); }

void LoginController::rememberServer()
{
    writeSingleValue(m_folder.path(ServerListFile), QString::number(m_form.server));
}

LoginController::Focus LoginController::enterInServer() { return Focus::User; }

LoginController::Focus LoginController::enterInAccountSet()
{
    rememberAccountSet();
    return Focus::User;
}

LoginController::Focus LoginController::enterInUser()
{
    if (m_form.user.isEmpty()) {
        notice(QStringLiteral("用户名称不能为空！"));
        return Focus::Stay;
    }
    rememberUser();
    return Focus::Password;
}

LoginController::Focus LoginController::enterInPassword()
{
    if (m_form.password.isEmpty()) {
        notice(QStringLiteral("用户密码不能为空！"));
        return Focus::Stay;
    }
    return Focus::LoginButton;
}

void LoginController::connectToServer()
{
    const ServerEntry &entry = m_entries.value(m_connectedServer);
    if (!entry.isLocal()) {
        m_dm.host = entry.host;
        m_dm.port = entry.port;
        m_dm.connect();
        return;
    }
    const auto startLocal = [this] {
        if (!m_localServer)
            m_localServer = std::make_unique<LocalServer>(m_folder, m_serverProgram);
        QString error;
        if (!m_localServer->start(&error))
            throw LocalServerFailure{error};
        m_dm.host = m_localServer->host();
        m_dm.port = m_localServer->port();
    };
    if (!m_localServer || !m_localServer->isRunning())
        startLocal();
    try {
        m_dm.connect();
    } catch (const wire::ServerError &e) {
        // The embedded server may have died without the client noticing yet.
        if (!e.isNetwork())
            throw;
        startLocal();
        m_dm.connect();
    }
}

void LoginController::announceCredentials()
{
    m_dm.callServer(QStringLiteral("testmima"),
                    QCborArray{m_state.accountSet, m_state.loginUser, m_state.loginPassword, QCborValue(), 0, 1,
                               QCborValue()});
}

bool LoginController::credentialsMatch()
{
    const QString &user = m_form.user;
    const QString &password = m_form.password;
    data::ClientDataSet &zh = m_dm.zh;
    zh.close();
    zh.setCommandText(data::SqlText{QStringLiteral("Select * from 员工账号,组权限"),
                                    "where 用户名称 ='" + data::sqlValue(user) + "'",
                                    "and 密码 ='" + data::sqlValue(password) + "'", QStringLiteral("and 组名=所属组名")}
                          .text());
    zh.open();
    if (zh.isEmpty())
        return false;
    // The server's comparison rules may differ; only an exact match logs in.
    zh.first();
    return zh.text(QStringLiteral("用户名称")) == user && zh.text(QStringLiteral("密码")) == password;
}

LoginController::Focus LoginController::login()
{
    if (m_form.user.isEmpty()) {
        notice(QStringLiteral("用户名称不能为空!"));
        return Focus::User;
    }
    if (m_form.password.isEmpty()) {
        notice(QStringLiteral("用户密码不能为空!"));
        return Focus::Password;
    }
    rememberAccountSet();
    rememberUser();
    rememberServer();

    m_dm.disconnect();
    m_connectedServer = m_form.server;
    bool passed = false;
    try {
        connectToServer();
        m_state.loginPassword = m_form.password;
        m_state.loginUser = m_form.user;
        m_state.accountSet = m_form.accountSet;
        announceCredentials();
        m_dm.Get_Date_Time();
        passed = credentialsMatch();
    } catch (const LocalServerFailure &failure) {
        notice(failure.message);
        return Focus::Stay;
    } catch (const wire::ServerError &e) {
        // The server refusing the credentials is a wrong login, not a network failure.
        if (e.code() != wire::errc::login) {
            m_dm.disconnect();
            notice(NetworkFailure);
            return Focus::Stay;
        }
    }
    if (passed) {
        m_state.loginCompleted = true;
        return Focus::Stay;
    }
    notice(WrongCredentials + u'\n' + SupportContact);
    m_dm.disconnect();
    return Focus::Stay;
}

void LoginController::leave() { m_state.loginCompleted = false; }

bool LoginController::reconnect()
{
    try {
        if (!m_dm.sk.isOpen())
            connectToServer();
        try {
            announceCredentials();
        } catch (const wire::ServerError &e) {
            // A connection that looked open may have been dropped by the server; open it once more.
            if (!e.isNetwork())
                throw;
            connectToServer();
            announceCredentials();
        }
        m_dm.Get_Date_Time();
        return true;
    } catch (const LocalServerFailure &failure) {
        notice(failure.message);
    } catch (const wire::ServerError &e) {
        notice(QStringLiteral("重新登陆失败：") + e.message());
    }
    return false;
}

} // namespace app
