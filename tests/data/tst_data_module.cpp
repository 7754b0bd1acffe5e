// TDataModule1's dataset events against a real server: the group rights, the confirmation,
// the stamps with the server date and the access record.

#include "app/prompt_service.h"
#include "data/data_module.h"
#include "data/sql_text.h"
#include "support/server_fixture.h"

#include <QTest>

using data::ClientDataSet;

namespace {

const QStringList allRights{"录入数据", "修改数据", "删除数据", "修改他人数据", "删除他人数据"};

} // namespace

class TestDataModule : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;
    std::unique_ptr<wire::ClientConnection> admin_;

    // A module logged in as a user of a group holding exactly `rights`.
    struct Session {
        app::MainState state;
        data::WorkingCopyLists lists;
        data::TDataModule1 dm{state, lists};
    };
    std::unique_ptr<Session> login(const QStringList &rights)
    {
        static int n = 0;
        const QString user = QStringLiteral("用户%1").arg(++n);
        QStringList columns{"组名"}, values{"'组" + user + "'"};
        for (const QString &r : allRights) {
            columns << r;
            values << (rights.contains(r) ? "1" : "0");
        }
        admin_->execute("runsql_dp", QStringLiteral("insert into 组权限 (%1) values (%2)\r\n"
                                                    "insert into 员工账号 (用户名称, 密码, 所属组名) values ('%3', '1', '组%3')")
                                         .arg(columns.join(','), values.join(','), user));
        auto s = std::make_unique<Session>();
        s->state.loginUser = user;
        s->dm.host = server_.host();
        s->dm.port = server_.port();
        s->dm.connect();
        s->dm.callServer("testmima", testing::loginArgument("test", user, "1"));
        s->dm.zh.setCommandText(data::SqlText{"Select * from 员工账号,组权限", "where 用户名称 ='" + user + "'",
                                              "and 密码 ='1'", "and 组名=所属组名"}
                                    .text());
        s->dm.zh.open();
        s->dm.Get_Date_Time();
        s->dm.khzl.setCommandText("select * from 名录 order by ID");
        s->dm.khzl.open();
        return s;
    }

    int accessRecords(const QString &content)
    {
        return testing::rowsOf(*admin_, "select count(*) from 访问记录 where 访问内容 = '" + data::sqlValue(content) + "'")
            .first()
            .toInt();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        admin_ = server_.connect();
        admin_->execute("runsql_dp", "select top 0 *  into 名录 from  默认表结构\r\n"
                                     "insert into 名录 (公司名称, 联系人, 录入) values ('他的公司', '老李', 'other')");
    }

    void insertRights()
    {
        app::ScopedPrompts prompts;
        auto refused = login({});
        QVERIFY_THROWS_EXCEPTION(data::Abort, refused->dm.khzl.append());
        QCOMPARE((*prompts).notices, QStringList{"无权录入新数据！"});

        auto s = login({"录入数据", "修改数据"});
        bool formOpened = false;
        s->dm.openCustomerEntryForm = [&] { formOpened = true; };
        s->dm.serverDate = "2001-02-03"; // the stamp takes the server's date, never the local clock
        s->dm.khzl.append();
        QVERIFY(formOpened);
        QCOMPARE(s->dm.khzl.text("录入"), s->state.loginUser);
        QCOMPARE(s->dm.khzl.text("录入组"), "组" + s->state.loginUser);
        QCOMPARE(s->dm.khzl.text("录入日期"), QString("2001-02-03"));
        QCOMPARE(s->dm.khzl.value("密级").toInt(), 0);
        QCOMPARE(s->dm.khzl.text("对勾"), QString("√"));
        s->dm.khzl.cancel();

        formOpened = false;
        s->dm.suppressEntryForms = true;
        s->dm.khzl.append();
        QVERIFY(!formOpened);
    }

    void deleteRules_data()
    {
        QTest::addColumn<QStringList>("rights");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("asked");
        QTest::newRow("another's row without 删除他人数据") << QStringList{"删除数据"} << "" << false;
        QTest::newRow("without 删除数据") << QStringList{"删除他人数据"} << "无权删除数据！" << false;
        QTest::newRow("answered 否") << QStringList{"删除数据", "删除他人数据"} << "" << true;
    }

    void deleteRules()
    {
        QFETCH(QStringList, rights);
        QFETCH(QString, notice);
        QFETCH(bool, asked);
        app::ScopedPrompts prompts;
        (*prompts).answers = {false};
        auto s = login(rights);
        try {
            s->dm.khzl.remove();
            QFAIL("deleted");
        } catch (const data::Abort &) {
        }
        QCOMPARE((*prompts).notices, notice.isEmpty() ? QStringList{} : QStringList{notice});
        QCOMPARE((*prompts).questions, asked ? QStringList{"删除当前客户数据记录?"} : QStringList{});
        QCOMPARE(s->dm.khzl.recordCount(), 1);
        QVERIFY(!s->state.unsavedChanges);
        QCOMPARE(accessRecords("删除数据记录:他的公司 老李"), 0);
    }

    void deleteConfirmed()
    {
        app::ScopedPrompts prompts;
        (*prompts).answers = {true};
        auto s = login({"删除数据", "删除他人数据"});
        s->dm.boundaryId = 1;
        s->dm.khzl.remove();
        QCOMPARE(s->dm.khzl.recordCount(), 0);
        QVERIFY(s->state.unsavedChanges);
        QCOMPARE(s->lists.pendingDeletions, QStringList{"1"});
        QCOMPARE(accessRecords("删除数据记录:他的公司 老李"), 1);
        s->dm.khzl.cancelUpdates(); // the table keeps the row
    }

    void editRules_data()
    {
        QTest::addColumn<QStringList>("rights");
        QTest::addColumn<bool>("posted");
        QTest::newRow("another's row without 修改他人数据") << QStringList{"修改数据"} << false;
        QTest::newRow("without 修改数据") << QStringList{"修改他人数据"} << false;
        QTest::newRow("with both") << QStringList{"修改数据", "修改他人数据"} << true;
    }

    void editRules()
    {
        QFETCH(QStringList, rights);
        QFETCH(bool, posted);
        app::ScopedPrompts prompts;
        auto s = login(rights);
        s->state.workingCopyMode = true;
        s->dm.boundaryId = 5;
        s->dm.khzl.setValue("联系人", "新人");
        try {
            s->dm.khzl.post();
            QVERIFY(posted);
        } catch (const data::Abort &) {
            QVERIFY(!posted);
        }
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(s->dm.khzl.text("联系人"), posted ? QString("新人") : QString("老李"));
        QCOMPARE(s->dm.khzl.changeCount(), posted ? 1 : 0);
        QCOMPARE(s->lists.changedIds, posted ? QStringList{"1"} : QStringList{});
        if (posted) {
            QCOMPARE(s->dm.khzl.text("修改"), s->state.loginUser);
            QCOMPARE(s->dm.khzl.text("修改日期"), s->dm.serverDate);
        }
    }

    void accessRecord()
    {
        auto s = login({});
        s->dm.writeAccessRecord("查询数据表文件:名录", "select * from 名录 where 联系人 like '%张''s%'");
        s->dm.writeAccessRecord("");
        const QStringList rows = testing::rowsOf(
            *admin_, "select 访问人, 访问日期, 访问时间, sql语句 from 访问记录 where 访问内容 = '查询数据表文件:名录'");
        QCOMPARE(rows.size(), 1);
        const QStringList f = rows.first().split('|');
        QCOMPARE(f[0], s->state.loginUser);
        QCOMPARE(f[1], s->dm.serverDate);
        QVERIFY(!f[2].isEmpty());
        QCOMPARE(f[3], QString("select * from 名录 where 联系人 like '%张''s%'"));
        QCOMPARE(testing::rowsOf(*admin_, "select count(*) from 访问记录 where 访问内容 = '' or 访问内容 is null"),
                 QStringList{"0"});

        // With the connection closed the last server date stays and no call is made.
        s->dm.serverDate = "1999-12-31";
        s->dm.disconnect();
        s->dm.Get_Date_Time();
        QCOMPARE(s->dm.serverDate, QString("1999-12-31"));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_data_module.moc"
