// Login against a real server: the "登录" flows, the Enter keys, the remembered lists, the server
// entries, reconnect, and the dialog Tkhdlw driven by keys.

#include "app/list_file.h"
#include "app/login_dialog.h"
#include "app/prompt_service.h"
#include "data/data_module.h"
#include "support/server_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using Focus = app::LoginController::Focus;
Q_DECLARE_METATYPE(Focus)

namespace {

const QString WrongCredentials = QStringLiteral("用户登录失败！请重新输入用户名和密码！\n");
const QString NetworkFailure = QStringLiteral("登录失败,请确认网络是否正常\n或者用户名称和密码是否正确!!");
const QString AccountSet = QStringLiteral("login");

// A client as the main window holds it, on a program folder.
struct Session {
    explicit Session(const QString &home)
        : controller(dm, state, app::ProgramFolder(home), QStringLiteral(VELBOR_SERVER_PATH))
    {
        controller.load();
    }

    app::MainState state;
    data::WorkingCopyLists lists;
    data::TDataModule1 dm{state, lists};
    app::LoginController controller;
};

QString file(const QTemporaryDir &home, const QString &name) { return home.filePath(name); }

} // namespace

class TestLogin : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;
    quint16 closedPort_ = 0;

    // Entries 0, 2 and 3 reach the fixture; entry 1 a port nobody listens on.
    void writeServers(const QTemporaryDir &home, const QString &address)
    {
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(closedPort_);
        QVERIFY(app::writeListFile(file(home, "servers.cfg"), {address, closed, address, address}));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort_ = probe.serverPort();
        probe.close();
        server_.connect(AccountSet)->execute(
            QStringLiteral("runsql_dp"),
            QStringLiteral("insert into 员工账号 (用户名称, 密码, 所属组名) values ('o''neil', '1', '系统管理员')\r\n"
                           "insert into 员工账号 (用户名称, 密码, 所属组名) values ('无组', '1', '没有的组')"));
    }

    void loginFlows_data()
    {
        QTest::addColumn<bool>("embedded"); // no servers.cfg: entry 0 is the client's own server
        QTest::addColumn<int>("server");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("notice"); // the start of the one notice; empty: none
        QTest::addColumn<Focus>("focus");
        QTest::addColumn<bool>("completed");

        QTest::newRow("empty name") << false << 0 << "" << "1" << "用户名称不能为空!" << Focus::User << false;
        QTest::newRow("empty password") << false << 0 << "admin" << "" << "用户密码不能为空!" << Focus::Password << false;
        QTest::newRow("wrong password") << false << 0 << "admin" << "2" << WrongCredentials << Focus::Stay << false;
        QTest::newRow("wrong letter case") << false << 0 << "ADMIN" << "1" << WrongCredentials << Focus::Stay << false;
        QTest::newRow("group without rights row") << false << 0 << "无组" << "1" << WrongCredentials << Focus::Stay << false;
        QTest::newRow("network failure") << false << 1 << "admin" << "1" << NetworkFailure << Focus::Stay << false;
        QTest::newRow("success") << false << 0 << "admin" << "1" << "" << Focus::Stay << true;
        QTest::newRow("embedded server") << true << 0 << "admin" << "1" << "" << Focus::Stay << true;
        QTest::newRow("quote in the name") << false << 2 << "o'neil" << "1" << "" << Focus::Stay << true;
    }

    void loginFlows()
    {
        QFETCH(bool, embedded);
        QFETCH(int, server);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, notice);
        QFETCH(Focus, focus);
        QFETCH(bool, completed);
        QTemporaryDir home;
        if (!embedded)
            writeServers(home, server_.address());
        Session s(home.path());
        app::ScopedPrompts prompts;
        app::LoginForm &form = s.controller.form();
        form.server = server;
        form.accountSet = AccountSet;
        form.user = user;
        form.password = password;

        QCOMPARE(s.controller.login(), focus);

        QCOMPARE(prompts->notices.size(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(prompts->notices.first().startsWith(notice), qPrintable(prompts->notices.first()));
        if (notice == WrongCredentials)
            QCOMPARE(prompts->notices.first().count(u'\n'), 1); // the support line
        QCOMPARE(s.state.loginCompleted, completed);
        QCOMPARE(s.controller.loginCompleted(), completed);
        QCOMPARE(s.dm.sk.isOpen(), completed);
        if (!completed)
            return;
        QCOMPARE(s.state.loginUser, user);
        QCOMPARE(s.state.loginPassword, password);
        QCOMPARE(s.state.accountSet, AccountSet);
        QVERIFY(s.dm.zh.isActive());
        QCOMPARE(s.dm.zh.text("用户名称"), user);
        QCOMPARE(s.dm.zh.text("组名"), QStringLiteral("系统管理员"));
        QVERIFY(s.dm.right(QStringLiteral("录入数据")));
        QVERIFY(!s.dm.serverDate.isEmpty());
        QCOMPARE(QFile::exists(file(home, "data/server/login.db")), embedded);
    }

    void enterKeys_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<Focus>("focus");
        QTest::addColumn<QStringList>("remembered"); // the list file of the box afterwards

        QTest::newRow("server") << "server" << "" << "" << Focus::User << QStringList();
        QTest::newRow("account set") << "accountSet" << "甲账套" << "" << Focus::User << QStringList{"甲账套"};
        QTest::newRow("empty user") << "user" << "" << "用户名称不能为空！" << Focus::Stay << QStringList();
        QTest::newRow("user") << "user" << "张三" << "" << Focus::Password << QStringList{"张三"};
        QTest::newRow("empty password") << "password" << "" << "用户密码不能为空！" << Focus::Stay << QStringList();
        QTest::newRow("password") << "password" << "1" << "" << Focus::LoginButton << QStringList();
    }

    void enterKeys()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, notice);
        QFETCH(Focus, focus);
        QFETCH(QStringList, remembered);
        QTemporaryDir home;
        Session s(home.path());
        app::ScopedPrompts prompts;
        app::LoginForm &form = s.controller.form();
        Focus moved = Focus::Stay;
        QString listFile;
        if (box == "server") {
            moved = s.controller.enterInServer();
        } else if (box == "accountSet") {
            form.accountSet = text;
            moved = s.controller.enterInAccountSet();
            listFile = "zhangtaoList.Cfg";
        } else if (box == "user") {
            form.user = text;
            moved = s.controller.enterInUser();
            listFile = "YongHuNameList.Cfg";
        } else {
            form.password = text;
            moved = s.controller.enterInPassword();
        }
        QCOMPARE(moved, focus);
        QCOMPARE(prompts->notices, notice.isEmpty() ? QStringList() : QStringList{notice});
        if (!listFile.isEmpty())
            QCOMPARE(app::readListFile(file(home, listFile)), remembered);
    }

    void rememberedLists_data()
    {
        QTest::addColumn<int>("server");
        QTest::addColumn<QStringList>("typedAccountSets"); // each ended by Enter
        QTest::addColumn<QStringList>("typedUsers");
        QTest::addColumn<QStringList>("accountSets");
        QTest::addColumn<QStringList>("users");

        QTest::newRow("letter case ignored")
            << 2 << QStringList{"帐套", "Login", "login", "帐套", "login"} << QStringList{"admin", "Bob", "ADMIN"}
            << QStringList{"Login", "帐套"} << QStringList{"admin", "Bob"};
        QTest::newRow("last used first") << 0 << QStringList{"甲", "乙", "丙", "乙"} << QStringList{"Bob", "admin"}
                                         << QStringList{"乙", "丙", "甲"} << QStringList{"admin", "Bob"};
    }

    // Typed values are remembered most recent first, once each; the next start shows them.
    void rememberedLists()
    {
        QFETCH(int, server);
        QFETCH(QStringList, typedAccountSets);
        QFETCH(QStringList, typedUsers);
        QFETCH(QStringList, accountSets);
        QFETCH(QStringList, users);
        QTemporaryDir home;
        writeServers(home, server_.address());
        {
            Session s(home.path());
            app::ScopedPrompts prompts;
            app::LoginForm &form = s.controller.form();
            s.controller.chooseServer(server);
            for (const QString &name : typedAccountSets) {
                form.accountSet = name;
                s.controller.enterInAccountSet();
            }
            for (const QString &name : typedUsers) {
                form.user = name;
                s.controller.enterInUser();
            }
            // The stored spelling replaced what was typed last.
            QCOMPARE(form.accountSet, accountSets.first());
            QCOMPARE(form.user, users.first());
            form.password = "1";
            s.controller.login();
            QCOMPARE(prompts->notices, QStringList());
            QVERIFY(s.state.loginCompleted);
        }
        QCOMPARE(app::readListFile(file(home, "zhangtaoList.Cfg")), accountSets);
        QCOMPARE(app::readListFile(file(home, "YongHuNameList.Cfg")), users);
        QCOMPARE(app::readListFile(file(home, "ServerNameList.Cfg")), QStringList{QString::number(server)});

        Session next(home.path());
        const app::LoginForm &form = next.controller.form();
        QCOMPARE(form.server, server);
        QCOMPARE(form.accountSets, accountSets);
        QCOMPARE(form.accountSet, accountSets.first());
        QCOMPARE(form.users, users);
        QCOMPARE(form.user, users.first());
    }

    void serverNameList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("server");

        QTest::newRow("number") << QByteArray("2\r\n") << 2;
        QTest::newRow("not a number") << QByteArray("服务器二\r\n") << 0;
        QTest::newRow("out of range") << QByteArray("7\r\n") << 0;
        QTest::newRow("negative") << QByteArray("-1\r\n") << 0;
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("binary") << QByteArray("\xff\x00\xfe", 3) << 0;
    }

    // Whatever the file holds, the dialog opens.
    void serverNameList()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, server);
        QTemporaryDir home;
        QFile list(file(home, "ServerNameList.Cfg"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(content);
        list.close();
        Session s(home.path());
        app::Tkhdlw dialog(s.controller);
        QCOMPARE(dialog.ComboBox1->currentIndex(), server);
        QCOMPARE(s.controller.form().server, server);
    }

    void serverEntries_data()
    {
        QTest::addColumn<QStringList>("lines"); // servers.cfg; empty: no file
        QTest::addColumn<QStringList>("entries"); // "host:port", or "local" for the embedded server

        const QStringList defaults{"local", "127.0.0.1:211", "127.0.0.1:211", "127.0.0.1:211"};
        QTest::newRow("missing file") << QStringList() << defaults;
        QTest::newRow("hosts and ports") << QStringList{"10.0.0.9:2211", "office", "[::1]:99", "LOCAL"}
                                         << QStringList{"10.0.0.9:2211", "office:211", "::1:99", "local"};
        QTest::newRow("short file with blanks")
            << QStringList{"  host-a  ", "", "host-c:notaport"}
            << QStringList{"host-a:211", "127.0.0.1:211", "host-c:211", "127.0.0.1:211"};
    }

    void serverEntries()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, entries);
        QTemporaryDir home;
        const QString path = file(home, "servers.cfg");
        if (!lines.isEmpty())
            QVERIFY(app::writeListFile(path, lines));
        QStringList read;
        for (const app::ServerEntry &entry : app::readServerEntries(app::ProgramFolder(home.path())))
            read << (entry.isLocal() ? QStringLiteral("local") : entry.host + u':' + QString::number(entry.port));
        QCOMPARE(read, entries);
        // A missing file is written so that users can see and edit it.
        QCOMPARE(app::readListFile(path), lines.isEmpty() ? entries : lines);
    }

    void reconnect_data()
    {
        QTest::addColumn<bool>("serverStopped");
        QTest::addColumn<bool>("reconnected");

        QTest::newRow("connection closed") << false << true;
        QTest::newRow("server gone") << true << false;
    }

    void reconnect()
    {
        QFETCH(bool, serverStopped);
        QFETCH(bool, reconnected);
        testing::ServerFixture server;
        QTemporaryDir home;
        writeServers(home, server.address());
        Session s(home.path());
        app::ScopedPrompts prompts;
        s.controller.form().accountSet = AccountSet;
        s.controller.form().user = "admin";
        s.controller.login();
        QVERIFY(s.state.loginCompleted);
        s.dm.serverDate.clear();

        if (serverStopped)
            server.stop();
        else
            s.dm.sk.close();

        QCOMPARE(s.controller.reconnect(), reconnected);
        QCOMPARE(s.dm.sk.isOpen(), reconnected);
        // The login row stays as it was.
        QCOMPARE(s.dm.zh.text("用户名称"), QStringLiteral("admin"));
        if (!reconnected) {
            QCOMPARE(prompts->notices.size(), 1);
            QVERIFY(prompts->notices.first().startsWith("重新登陆失败"));
            return;
        }
        QCOMPARE(prompts->notices, QStringList());
        QVERIFY(!s.dm.serverDate.isEmpty());
        // The server answers this only after testmima.
        QVERIFY(s.dm.callServer("GetAllTables1").toArray().contains(QCborValue("客户基本数据")));
    }

    void dialog_data()
    {
        QTest::addColumn<bool>("logIn"); // else "退出" without Enter anywhere

        QTest::newRow("登录") << true;
        QTest::newRow("退出") << false;
    }

    void dialog()
    {
        QFETCH(bool, logIn);
        QTemporaryDir home;
        writeServers(home, server_.address());
        Session s(home.path());
        app::ScopedPrompts prompts;
        app::Tkhdlw dlg(s.controller);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Velbor在线快递单打印软件登陆窗口"));
        QCOMPARE(dlg.size(), QSize(402, 277));
        QCOMPARE(dlg.font().pointSize(), 16);
        QCOMPARE(dlg.Edit1->echoMode(), QLineEdit::Password);
        QCOMPARE(dlg.Edit1->text(), QStringLiteral("1"));
        const auto focusedOn = [&](QWidget *w) { return dlg.focusWidget() == w || w->isAncestorOf(dlg.focusWidget()); };

        if (!logIn) {
            QTest::keyClicks(dlg.ComboBox3->lineEdit(), "unused");
            QTest::keyClicks(dlg.ComboBox2->lineEdit(), "admin");
            QTest::mouseClick(dlg.Button2, Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(!s.state.loginCompleted);
            QVERIFY(!QFile::exists(file(home, "zhangtaoList.Cfg")));
            QVERIFY(!QFile::exists(file(home, "YongHuNameList.Cfg")));
            return;
        }
        QTest::keyClick(dlg.ComboBox1, Qt::Key_Return);
        QVERIFY(focusedOn(dlg.ComboBox2));
        QTest::keyClicks(dlg.ComboBox3->lineEdit(), AccountSet);
        QTest::keyClick(dlg.ComboBox3->lineEdit(), Qt::Key_Return);
        QVERIFY(focusedOn(dlg.ComboBox2));
        QTest::keyClick(dlg.ComboBox2->lineEdit(), Qt::Key_Return);
        QCOMPARE(prompts->notices, QStringList{"用户名称不能为空！"});
        QTest::keyClicks(dlg.ComboBox2->lineEdit(), "admin");
        QTest::keyClick(dlg.ComboBox2->lineEdit(), Qt::Key_Return);
        QVERIFY(focusedOn(dlg.Edit1));
        QTest::keyClick(dlg.Edit1, Qt::Key_Return);
        QVERIFY(focusedOn(dlg.Button1));
        QVERIFY(dlg.isVisible());
        QTest::keyClick(dlg.Button1, Qt::Key_Return);

        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(s.state.loginCompleted);
        QCOMPARE(prompts->notices.size(), 1);
        QCOMPARE(app::readListFile(file(home, "zhangtaoList.Cfg")), QStringList{AccountSet});
        QCOMPARE(app::readListFile(file(home, "YongHuNameList.Cfg")), QStringList{"admin"});
        QCOMPARE(dlg.ComboBox2->count(), 1);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
