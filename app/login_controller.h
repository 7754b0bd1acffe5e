#pragma once
// What the login dialog Tkhdlw does, without its widgets: the remembered lists, the Enter keys,
// "登录" with the credential check, "退出", and the tool bar's reconnect.

#include "app/local_server.h"
#include "app/main_state.h"
#include "app/program_folder.h"
#include "app/server_entries.h"

#include <QStringList>
#include <memory>

namespace data {
class TDataModule1;
}

namespace app {

// The account every new account set is created with; the dialog presets and shows it.
inline const QString NewAccountSetUser = QStringLiteral("admin");
inline const QString NewAccountSetPassword = QStringLiteral("1");

// The dialog's boxes.
struct LoginForm {
    int server = 0;         // index of the chosen server entry
    QString accountSet;
    QString user;
    QString password = NewAccountSetPassword;
    QStringList accountSets; // last used first
    QStringList users;       // last used first
};

class LoginController
{
public:
    // Where the focus goes after a key or a button.
    enum class Focus { Stay, User, Password, LoginButton };

    // serverProgram: the velbor-server of the `local` entry; empty means the one next to the client.
    LoginController(data::TDataModule1 &dm, MainState &state, ProgramFolder folder, QString serverProgram = {});
    ~LoginController();

    // When the dialog is created: login not completed, the server entries and the three lists read.
    void load();
    LoginForm &form() { return m_form; }

    // Remembers the entry at once when it changes.
    void chooseServer(int index);

    Focus enterInServer();
    Focus enterInAccountSet();
    Focus enterInUser();
    Focus enterInPassword();

    // "登录": on success the login is completed in the main state and zh holds the login row.
    Focus login();
    // "退出" and the close box.
    void leave();
    bool loginCompleted() const { return m_state.loginCompleted; }

    // The tool bar's "登陆": opens the connection again when closed and announces the stored
    // credentials; false after a notice.
    bool reconnect();

private:
    void rememberAccountSet();
    void rememberUser();
    void rememberServer();
    void connectToServer();
    void announceCredentials();
    bool credentialsMatch();

    data::TDataModule1 &m_dm;
    MainState &m_state;
    ProgramFolder m_folder;
    QString m_serverProgram;
    QList<ServerEntry> m_entries;
    LoginForm m_form;
    // The entry the connection was opened for; reconnect uses it.
    int m_connectedServer = 0;
    std::unique_ptr<LocalServer> m_localServer;
};

} // namespace app
