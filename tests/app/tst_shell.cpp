// The program as a user meets it: login, the activation sequence of the main window and its
// directory commands, against a real server. With VELBOR_SCREENSHOT=FILE.png the logged-in
// window is also saved as a picture.

#include "app/list_file.h"
#include "app/main_controller.h"
#include "app/prompt_service.h"
#include "app/stock_files.h"
#include "data/sql_text.h"
#include "support/server_fixture.h"

#include <QAction>
#include <QImage>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

class TestShell : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;

    struct Program {
        QTemporaryDir home;
        app::ProgramFolder folder{home.path()};
        app::MainState state;
        data::WorkingCopyLists lists;
        data::TDataModule1 dm{state, lists};
        app::LoginController login{dm, state, folder, QStringLiteral(VELBOR_SERVER_PATH)};
        app::Tmain window{state, dm};
        app::MainController controller{window, dm, state, lists, login, folder};

        Program(const QString &address, const QString &user)
        {
            folder.ensure();
            app::writeListFile(folder.path("servers.cfg"), {address, address, address, address});
            login.load();
            login.form().accountSet = QStringLiteral("test");
            login.form().user = user;
            login.form().password = QStringLiteral("1");
        }
    };

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        auto admin = server_.connect();
        QStringList values;
        for (int i = 1; i <= 3500; ++i)
            values << QStringLiteral("('北京某某科技有限公司%1', '王%1', '13800%2', '北京市', '海淀区', '中关村大街%1号', 'admin')")
                          .arg(i)
                          .arg(i, 6, 10, QChar(u'0'));
        admin->execute("runsql_dp", "insert into 客户基本数据 (公司名称, 联系人, 手机, 省市, 县市, 公司地址, 录入) values " +
                                        values.join(','));
        admin->execute("runsql_dp", "insert into 组权限 (组名, 管理员, 清空数据, 修改一列字段内容, 录入数据) values ('业务组', 0, 0, 0, 1)\r\n"
                                    "insert into 员工账号 (用户名称, 密码, 所属组名) values ('wang', '1', '业务组')");
    }

    void loginAndActivation()
    {
        app::ScopedPrompts prompts;
        Program p(server_.address(), "wang");
        p.login.login();
        QVERIFY2(p.state.loginCompleted, qPrintable((*prompts).notices.join('\n')));
        p.window.resize(1280, 800);
        p.window.show();
        p.controller.activate();

        QCOMPARE(p.window.windowTitle(), QString("Velbor在线快递单打印软件1.0 [数据库：test] [当前用户：wang]"));
        for (const char *hidden : {"权限管理", "设置数据查看权限", "查询访问记录", "删除所有数据", "修改一列字段内容"})
            QVERIFY2(!p.window.action(QString::fromUtf8(hidden))->isVisible(), hidden);
        QVERIFY(p.window.ToolBar1->isVisible());
        app::installStockFiles(p.folder);
        QVERIFY(!QImage(p.folder.path("tbkong.jpg")).isNull());
        QCOMPARE(p.window.lbTables->item(0)->text(), QString("客户基本数据"));
        QCOMPARE(p.dm.khzl.recordCount(), 500); // the first packet of page 1
        QCOMPARE(p.window.Edit6->text(), QString("2"));
        QCOMPARE(p.window.StatusBar1->text(3), QString("1/3500"));
        QVERIFY(p.dm.fwjl.isActive());
        QVERIFY(p.dm.hydm.recordCount() > 0);
        QVERIFY(p.dm.post.recordCount() > 0);
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(p.window.TreeView3->topLevelItemCount(), 46); // the built-in layouts

        // The main search row: a contains search into the working copy.
        p.window.SearchField->setCurrentText("联系人");
        p.window.SearchValue->setText("王35");
        QTest::keyClick(p.window.SearchValue, Qt::Key_Return);
        QVERIFY(p.window.windowTitle().endsWith(" [数据查询状态] "));
        QCOMPARE(p.dm.khzl.recordCount(), 12); // 王35, 王350…王359, 王3500
        QCOMPARE(p.window.Edit6->text(), QString("1"));

        if (const QByteArray shot = qgetenv("VELBOR_SCREENSHOT"); !shot.isEmpty()) {
            p.window.showMaximized();
            QCoreApplication::processEvents();
            QVERIFY(p.window.grab().save(QString::fromLocal8Bit(shot)));
        }
    }

    void administratorSeesAdministration()
    {
        app::ScopedPrompts prompts;
        Program p(server_.address(), "admin");
        p.login.login();
        QVERIFY(p.state.loginCompleted);
        p.controller.activate();
        for (const char *shown : {"权限管理", "设置数据查看权限", "查询访问记录", "删除所有数据", "修改一列字段内容"})
            QVERIFY2(p.window.action(QString::fromUtf8(shown))->isVisible(), shown);
    }

    void printCommandChecks()
    {
        app::ScopedPrompts prompts;
        Program wang(server_.address(), "wang");
        wang.login.login();
        wang.controller.activate();
        wang.window.action("打印当前快递单")->trigger();
        QCOMPARE((*prompts).notices, QStringList{"无权打印信封！"});

        Program admin(server_.address(), "admin");
        admin.login.login();
        admin.controller.activate();
        admin.window.Edit1->setText("1.5");
        admin.window.action("打印当前快递单")->trigger();
        QCOMPARE((*prompts).notices.last(), QString("位置校正应该填写数字!"));
    }

    void reconnectAfterTheLocalServerRestarted()
    {
        app::ScopedPrompts prompts;
        Program p("local", "admin");
        p.login.login();
        QVERIFY2(p.state.loginCompleted, qPrintable((*prompts).notices.join('\n')));
        p.controller.activate();
        const qint64 first = p.dm.sk.isOpen() ? p.dm.callServer("GetAllTables").toArray().size() : -1;
        QCOMPARE(first, 1);
        // The embedded server dies under the client; "登陆" starts a new one and logs in again.
        QCOMPARE(QProcess::execute("pkill", {"-KILL", "-f", "--", "--data " + p.folder.dataDir() + "server"}), 0);
        p.window.khgl->trigger();
        QVERIFY2((*prompts).notices.isEmpty(), qPrintable((*prompts).notices.join('\n')));
        QCOMPARE(p.dm.callServer("GetAllTables").toArray().size(), 1);
    }

    void reconnectAfterTheConnectionDropped()
    {
        app::ScopedPrompts prompts;
        Program p(server_.address(), "admin");
        p.login.login();
        p.controller.activate();
        p.dm.sk.close();
        p.window.khgl->trigger();
        QVERIFY(p.dm.sk.isOpen());
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(p.dm.callServer("GetAllTables").toArray().size(), 1);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
