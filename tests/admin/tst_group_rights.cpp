// The rules of the group and account datasets and the group rights controller against a real
// server: defaults, refusals, saving, conflicts and table rights.

#include "admin/account_rules.h"
#include "admin/group_rights.h"
#include "admin_client.h"
#include "app/prompt_service.h"

#include <QTest>

using admin::GroupRights;
using data::ClientDataSet;
using testing::AdminClient;

class TestGroupRights : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;

    // A second group 销售, not administrators, with the account 小王 (password 1).
    static void addSales(AdminClient &c)
    {
        c.run("insert into 组权限 (组名, 查看密级, 显示数据, 管理员, 录入数据) values ('销售', 0, 1000, 0, 1)\r\n"
              "insert into 员工账号 (用户名称, 密码, 所属组名, 查询宽度) values ('小王', '1', '销售', 150)");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server_.isRunning()); }

    void newGroupDefaults()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        GroupRights rights(c.dm);
        rights.refreshData();
        c.dm.ygzm.append();
        QCOMPARE(c.dm.ygzm.text("组名"), QString("新组名"));
        QCOMPARE(c.dm.ygzm.value("管理员").toBool(), false);
        for (const QString &right : admin::groupRightColumns())
            QVERIFY2(c.dm.ygzm.value(right).toBool() == admin::newGroupRights().contains(right), qPrintable(right));
        QCOMPARE(c.dm.ygzm.value("查看密级").toInt(), 0);
        QCOMPARE(c.dm.ygzm.value("显示数据").toInt(), 1000);
        rights.save();
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(c.rows("select 组名, 管理员, 录入数据, 查询数据, 修改数据, 限制查询, 导入数据, 修改行业代码, 查看密级, 显示数据 "
                        "from 组权限 where 组名 = '新组名'"),
                 QStringList{"新组名|false|true|true|true|true|false|false|0|1000"});
        QCOMPARE(rights.groupNames(), (QStringList{"系统管理员", "新组名"}));
    }

    void newAccountDefaults()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        addSales(c);
        GroupRights rights(c.dm);
        rights.refreshData();
        QCOMPARE(rights.selectedGroup(), QString("销售"));
        QCOMPARE(rights.accountNames(), QStringList{"小王"});
        c.dm.ygzh.append();
        rights.save();
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(c.rows("select 用户名称, 密码, 所属组名, 查询宽度, 查询输入, 下载速度 from 员工账号 order by ID"),
                 (QStringList{"admin|1|系统管理员|150|false|1000", "小王|1|销售|150|NULL|NULL", "新用户|1|销售|150|false|1000"}));
        QCOMPARE(rights.accountNames(), (QStringList{"小王", "新用户"}));
    }

    void newAccountWithoutGroups()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        c.run("delete from 组权限");
        GroupRights rights(c.dm);
        rights.refreshData();
        QVERIFY_THROWS_EXCEPTION(data::Abort, c.dm.ygzh.append());
        QCOMPARE(c.dm.ygzh.recordCount(), 1);
        QVERIFY((*prompts).notices.isEmpty());
    }

    void emptyFieldsRefused_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("notice");
        QTest::newRow("组名") << true << "组名" << "组名不能为空！";
        QTest::newRow("用户名称") << false << "用户名称" << "用户名称不能为空！";
        QTest::newRow("密码") << false << "密码" << "密码不能为空！";
        QTest::newRow("所属组名") << false << "所属组名" << "所属组名不能为空！";
    }

    void emptyFieldsRefused()
    {
        QFETCH(bool, group);
        QFETCH(QString, field);
        QFETCH(QString, notice);
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        GroupRights rights(c.dm);
        rights.refreshData();
        ClientDataSet &d = group ? c.dm.ygzm : c.dm.ygzh;
        d.append();
        d.setValue(field, QString());
        QVERIFY_THROWS_EXCEPTION(data::Abort, d.post());
        QCOMPARE(d.state(), ClientDataSet::State::Insert);
        rights.save(); // the same refusal ends the save before anything is sent
        QCOMPARE((*prompts).notices, (QStringList{notice, notice}));
        QCOMPARE(c.rows("select count(*) from 组权限").first().toInt() + c.rows("select count(*) from 员工账号").first().toInt(), 2);
    }

    void deleting_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("second");   // a second row exists
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<int>("left");
        const QStringList none;
        QTest::newRow("only group") << true << false << QList<bool>{} << QStringList{"只要有一个组名！"} << none << 1;
        QTest::newRow("group kept") << true << true << QList<bool>{false} << none << QStringList{"删除当前组记录?"} << 2;
        QTest::newRow("group deleted") << true << true << QList<bool>{true} << none << QStringList{"删除当前组记录?"} << 1;
        QTest::newRow("only account") << false << false << QList<bool>{} << QStringList{"只要有一个账号！"} << none << 1;
        QTest::newRow("account kept") << false << true << QList<bool>{false} << none << QStringList{"删除当前帐户记录?"} << 2;
        QTest::newRow("account deleted") << false << true << QList<bool>{true} << none << QStringList{"删除当前帐户记录?"} << 1;
    }

    void deleting()
    {
        QFETCH(bool, group);
        QFETCH(bool, second);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, notices);
        QFETCH(QStringList, questions);
        QFETCH(int, left);
        app::ScopedPrompts prompts;
        (*prompts).answers = answers;
        AdminClient c(server_, testing::freshAccountSet());
        if (second)
            c.run(group ? "insert into 组权限 (组名) values ('销售')"
                        : "insert into 员工账号 (用户名称, 密码, 所属组名) values ('小李', '1', '系统管理员')");
        GroupRights rights(c.dm);
        rights.refreshData();
        rights.clickGroup("系统管理员");
        ClientDataSet &d = group ? c.dm.ygzm : c.dm.ygzh;
        d.first();
        try {
            d.remove();
        } catch (const data::Abort &) {
        }
        QCOMPARE((*prompts).notices, notices);
        QCOMPARE((*prompts).questions, questions);
        QCOMPARE(d.recordCount(), left);
        rights.save();
        QCOMPARE(c.rows(group ? "select count(*) from 组权限" : "select count(*) from 员工账号"),
                 QStringList{QString::number(left)});
    }

    void loneGroupBecomesAdministrator_data()
    {
        QTest::addColumn<bool>("second");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one group") << false << "true";
        QTest::newRow("two groups") << true << "false";
    }

    void loneGroupBecomesAdministrator()
    {
        QFETCH(bool, second);
        QFETCH(QString, stored);
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        if (second)
            addSales(c);
        GroupRights rights(c.dm);
        rights.refreshData();
        rights.clickGroup("系统管理员");
        rights.setRight("管理员", false);
        QCOMPARE(rights.groupRight("管理员"), false);
        rights.save();
        QVERIFY((*prompts).notices.isEmpty());
        QCOMPARE(c.rows("select 管理员 from 组权限 where 组名 = '系统管理员'"), QStringList{stored});
        QCOMPARE(c.dm.ygzm.changeCount(), 0);
    }

    void rightsAndSecrecyFollowTheGroup()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        addSales(c);
        GroupRights rights(c.dm);
        rights.refreshData();
        QCOMPARE(rights.groupPosition(), QString("2/2"));
        QVERIFY(rights.groupRight("录入数据"));
        QVERIFY(!rights.groupRight("导出数据"));
        rights.setRight("导出数据", true);
        rights.setSecrecy(3);
        QCOMPARE(c.dm.ygzm.state(), ClientDataSet::State::Browse);
        QCOMPARE(c.dm.ygzm.changeCount(), 1);
        rights.clickGroup("系统管理员");
        QCOMPARE(rights.groupPosition(), QString("1/2"));
        QCOMPARE(rights.secrecy(), 9);
        QCOMPARE(rights.accountNames(), QStringList{"admin"});
        rights.clickAccount("admin");
        QCOMPARE(c.dm.ygzh.text("用户名称"), QString("admin"));
        rights.save();
        QCOMPARE(c.rows("select 导出数据, 查看密级 from 组权限 where 组名 = '销售'"), QStringList{"true|3"});
    }

    void twoAdministratorsSaveTheSameRow_data()
    {
        QTest::addColumn<bool>("group");
        QTest::newRow("group") << true;
        QTest::newRow("account") << false;
    }

    void twoAdministratorsSaveTheSameRow()
    {
        QFETCH(bool, group);
        app::ScopedPrompts prompts;
        const QString set = testing::freshAccountSet();
        AdminClient first(server_, set);
        addSales(first);
        AdminClient second(server_, set);
        GroupRights a(first.dm), b(second.dm);
        for (GroupRights *r : {&a, &b}) {
            r->refreshData();
            r->clickGroup("销售");
        }
        if (group) {
            a.setRight("导入数据", true);
            b.setRight("导出数据", true);
        } else {
            first.dm.ygzh.setValue("密码", "2");
            second.dm.ygzh.setValue("查询宽度", 200);
        }
        a.save();
        QVERIFY((*prompts).notices.isEmpty());
        b.save();
        QCOMPARE((*prompts).notices, QStringList{admin::ConflictMessage});
        QCOMPARE(admin::ConflictMessage, QString("您要保存的数据已被他人修改！\n请刷新数据后再修改！"));
        ClientDataSet &kept = group ? second.dm.ygzm : second.dm.ygzh;
        QCOMPARE(kept.changeCount(), 1);
        if (group) {
            QVERIFY(b.groupRight("导出数据"));
            QCOMPARE(first.rows("select 导入数据, 导出数据 from 组权限 where 组名 = '销售'"), QStringList{"true|NULL"});
        } else {
            QCOMPARE(kept.value("查询宽度").toInt(), 200);
            QCOMPARE(first.rows("select 密码, 查询宽度 from 员工账号 where 用户名称 = '小王'"), QStringList{"2|150"});
        }
    }

    void tableRightsLimitTheTableList()
    {
        app::ScopedPrompts prompts;
        const QString set = testing::freshAccountSet();
        AdminClient c(server_, set);
        addSales(c);
        c.run("select top 0 *  into 甲表 from  默认表结构\r\n"
              "select top 0 *  into 乙表 from  默认表结构\r\n"
              "select top 0 *  into 丙表 from  默认表结构");
        auto tablesOf = [&] {
            AdminClient user(server_, set, "小王");
            QStringList names;
            for (const QCborValue &t : user.dm.callServer("GetAllTables").toArray())
                names << t.toString();
            return names;
        };
        const QStringList all{"客户基本数据", "甲表", "乙表", "丙表"};
        QCOMPARE(tablesOf(), all);

        GroupRights rights(c.dm);
        rights.loadAllTables();
        QCOMPARE(rights.allTables().mid(0, all.size()), all);
        rights.refreshData();
        QCOMPARE(rights.selectedGroup(), QString("销售"));
        for (const char *t : {"甲表", "丙表", "甲表"})
            rights.addTable(t);
        QCOMPARE(rights.accessibleTables(), (QStringList{"甲表", "丙表"}));
        rights.saveTableRights();
        QCOMPARE((*prompts).notices, QStringList{"保存成功！"});
        QCOMPARE(c.rows("select 组名, 表名 from 表权限 order by ID"), (QStringList{"销售|甲表", "销售|丙表"}));
        QCOMPARE(tablesOf(), (QStringList{"甲表", "丙表"}));

        rights.removeTable("甲表");
        rights.saveTableRights();
        QCOMPARE(rights.accessibleTables(), QStringList{"丙表"});
        QCOMPARE(tablesOf(), QStringList{"丙表"});

        rights.clickGroup("系统管理员"); // an administrator group sees every table whatever it names
        rights.addTable("乙表");
        rights.saveTableRights();
        QCOMPARE(c.rows("select 组名, 表名 from 表权限 order by 组名, 表名"), (QStringList{"系统管理员|乙表", "销售|丙表"}));
        QVERIFY(AdminClient(server_, set).dm.callServer("GetAllTables").toArray().size() >= 4);
    }

    void tableRightsSaveFails()
    {
        app::ScopedPrompts prompts;
        testing::ServerFixture server;
        AdminClient c(server, testing::freshAccountSet());
        GroupRights rights(c.dm);
        rights.refreshData();
        rights.addTable("客户基本数据");
        server.stop();
        rights.saveTableRights();
        QCOMPARE((*prompts).notices, QStringList{"保存失败！"});
        QCOMPARE(rights.accessibleTables(), QStringList{"客户基本数据"});
    }

    void quotesInNamesStayValues()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        c.run("insert into 组权限 (组名) values ('O''Neil')\r\n"
              "insert into 员工账号 (用户名称, 密码, 所属组名) values ('u', '1', 'O''Neil')");
        GroupRights rights(c.dm);
        rights.refreshData();
        QCOMPARE(rights.selectedGroup(), QString("O'Neil"));
        QCOMPARE(rights.accountNames(), QStringList{"u"});
        rights.addTable("客户基本数据");
        rights.saveTableRights();
        QCOMPARE((*prompts).notices, QStringList{"保存成功！"});
        QCOMPARE(c.rows("select 组名, 表名 from 表权限"), QStringList{"O'Neil|客户基本数据"});
    }
};

QTEST_MAIN(TestGroupRights)
#include "tst_group_rights.moc"
