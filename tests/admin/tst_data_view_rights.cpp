// "设置数据查看权限" against a real server: the group list, picking entries, changing the current
// row and every row of the grid's query.

#include "admin/data_view_rights.h"
#include "admin_client.h"
#include "app/prompt_service.h"

#include <QTest>

using admin::DataViewRights;
using testing::AdminClient;

class TestDataViewRights : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;

    // Table 名录 with six rows: 省市 上海 for IDs 1, 3, 5, 北京 for 2, 4, 6; 权限组 of row 2 "销售".
    static void makeTable(AdminClient &c)
    {
        c.run("select top 0 *  into 名录 from  默认表结构");
        QStringList values;
        for (int i = 1; i <= 6; ++i)
            values << QStringLiteral("('公司%1', '%2', 'admin')").arg(i).arg(i % 2 ? "上海" : "北京");
        c.run("insert into 名录 (公司名称, 省市, 录入) values " + values.join(','));
        c.run("update 名录 set 权限组 = '销售' where ID = 2\r\n"
              "insert into 组权限 (组名) values ('销售')");
        c.dm.currentTable = "名录";
        c.dm.khzl.setCommandText("select * from 名录 order by ID");
        c.dm.khzl.open();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server_.isRunning()); }

    void loadAndPick()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        makeTable(c);
        c.dm.khzl.setRecNo(2);
        DataViewRights rights(c.dm, {"select * from 名录"});
        rights.load();
        QCOMPARE(rights.groups(), (QStringList{"系统管理员", "销售", "所有人"}));
        QCOMPARE(rights.text, QString("销售"));
        for (const char *entry : {"销售", "所有人", "所有人", "系统管理员"})
            rights.pick(entry);
        QCOMPARE(rights.text, QString("销售 所有人 系统管理员"));
    }

    void changeCurrent()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        makeTable(c);
        c.dm.khzl.setRecNo(3);
        DataViewRights rights(c.dm, {"select * from 名录"});
        rights.text = " 销售 所有人";
        rights.changeCurrent();
        QCOMPARE(c.dm.khzl.text("权限组"), QString(" 销售 所有人"));
        QCOMPARE(c.dm.khzl.state(), data::ClientDataSet::State::Browse);
        QCOMPARE(c.dm.khzl.changeCount(), 1);
        QCOMPARE(c.rows("select count(*) from 名录 where 权限组 is not null"), QStringList{"1"}); // not yet saved
        c.dm.khzl.applyUpdates();
        QCOMPARE(c.rows("select ID, 权限组 from 名录 where 权限组 is not null order by ID"),
                 (QStringList{"2|销售", "3| 销售 所有人"}));
    }

    void changeAll_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("query");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("changed"); // IDs whose 权限组 is the new text
        QTest::addColumn<QString>("notice");
        QTest::newRow("search result")
            << "名录" << QStringList{"select * from  名录", "where 省市 = '上海'", "order by ID"}
            << "update 名录 set 权限组 ='甲''组 所有人'\r\nwhere 省市 = '上海'\r\n" << QStringList{"1", "3", "5"}
            << "修改成功！";
        QTest::newRow("whole table") << "名录" << QStringList{"select * from 名录"}
                                     << "update 名录 set 权限组 ='甲''组 所有人'\r\n"
                                     << QStringList{"1", "2", "3", "4", "5", "6"} << "修改成功！";
        QTest::newRow("missing table") << "无此表" << QStringList{"select * from 无此表"}
                                       << "update 无此表 set 权限组 ='甲''组 所有人'\r\n" << QStringList{}
                                       << "修改失败！";
    }

    void changeAll()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, query);
        QFETCH(QString, statement);
        QFETCH(QStringList, changed);
        QFETCH(QString, notice);
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        makeTable(c);
        c.dm.currentTable = table;
        DataViewRights rights(c.dm, query);
        rights.text = "甲'组 所有人";
        QCOMPARE(rights.changeAllStatement(), statement);
        rights.changeAll();
        QCOMPARE((*prompts).notices, QStringList{notice});
        QCOMPARE(c.rows("select ID from 名录 where 权限组 = '甲''组 所有人' order by ID"), changed);
        const QStringList logged = c.rows("select sql语句 from 访问记录 where 访问内容 = '修改数据访问权限: 甲''组 所有人'");
        QCOMPARE(logged, changed.isEmpty() ? QStringList() : QStringList{statement});
    }
};

QTEST_MAIN(TestDataViewRights)
#include "tst_data_view_rights.moc"
