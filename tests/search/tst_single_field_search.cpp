// The single-field search and saving a working copy back, end to end against a real server.

#include "app/list_file.h"
#include "app/prompt_service.h"
#include "data/sql_text.h"
#include "search/search_one_field_dialog.h"
#include "search/single_field_search.h"
#include "support/server_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using search::SingleFieldSearch;

namespace {

// One logged-in client: the data module and the directory controllers over it.
struct Client {
    app::MainState state;
    data::WorkingCopyLists lists;
    data::TDataModule1 dm{state, lists};
    browse::TableBrowser browser{dm, state, lists};
    browse::WorkingCopy copy{dm, state, lists, browser};
    QTemporaryDir home;
    SingleFieldSearch search{dm, state, browser, copy, app::ProgramFolder(home.path())};

    Client(const testing::ServerFixture &server, const QString &user = QStringLiteral("admin"))
    {
        app::ProgramFolder(home.path()).ensure();
        state.loginUser = user;
        dm.host = server.host();
        dm.port = server.port();
        dm.connect();
        dm.callServer("testmima", testing::loginArgument("test", user, "1"));
        dm.zh.setCommandText(data::SqlText{"Select * from 员工账号,组权限", "where 用户名称 ='" + user + "'",
                                           "and 密码 ='1'", "and 组名=所属组名"}
                                 .text());
        dm.zh.open();
        dm.Get_Date_Time();
        dm.suppressEntryForms = true;
        dm.viewNumber = 1;
    }
    void open(const QString &table)
    {
        browser.get_Data_Tables();
        browser.lbTablesClick(table);
    }
    QStringList ids(const QString &sql) { return testing::rowsOf(dm.sk, sql); }
};

} // namespace

class TestSingleFieldSearch : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;

    // A fresh table 名录 with `rows` rows: 公司名称 公司N, 省市 上海 for odd N, 北京 for even.
    void resetTable(Client &c, int rows)
    {
        try {
            c.dm.sk.execute("runsql_dp", "drop table 名录");
        } catch (const wire::ServerError &) {
        }
        c.dm.sk.execute("runsql_dp", "select top 0 *  into 名录 from  默认表结构");
        for (int done = 0; done < rows; done += 1000) {
            QStringList values;
            for (int i = done + 1; i <= std::min(rows, done + 1000); ++i)
                values << QStringLiteral("('公司%1', '%2', 'admin')").arg(i).arg(i % 2 ? "上海" : "北京");
            c.dm.sk.execute("runsql_dp", "insert into 名录 (公司名称, 省市, 录入) values " + values.join(','));
        }
        c.open("名录");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server_.isRunning()); }

    void conditionLines_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("包含") << 0 << "上海" << "where 省市 like '%上海%'";
        QTest::newRow("不包含") << 1 << "上海" << "where 省市 not like  '%上海%'";
        QTest::newRow("前缀") << 2 << "张" << "where 省市 like '张%'";
        QTest::newRow("后缀") << 3 << "张" << "where 省市 like '%张'";
        QTest::newRow("等于") << 4 << "上海" << "where 省市 = '上海'";
        QTest::newRow("不等于") << 5 << "上海" << "where 省市 <>  '上海'";
        QTest::newRow("大于") << 6 << "100" << "where 省市 > '100'";
        QTest::newRow("大于等于") << 7 << "100" << "where 省市 >= '100'";
        QTest::newRow("小于") << 8 << "100" << "where 省市 < '100'";
        QTest::newRow("小于等于") << 9 << "100" << "where 省市 <= '100'";
        QTest::newRow("quote doubled") << 0 << "张's" << "where 省市 like '%张''s%'";
    }

    void conditionLines()
    {
        QFETCH(int, op);
        QFETCH(QString, value);
        QFETCH(QString, line);
        QCOMPARE(search::conditionLine(op, "省市", value), line);
        QCOMPARE(search::operators().value(op, "包含"), QString(QTest::currentDataTag()).startsWith("quote")
                                                             ? QString("包含")
                                                             : QString(QTest::currentDataTag()));
    }

    void searchMakesWorkingCopyAndLogs()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 10);
        c.dm.sk.execute("runsql_dp", "update 名录 set 联系人 = '张''s' where ID = 3");
        c.search.operatorIndex = 0;
        c.search.Search_One_Field("联系人", "张's");
        QVERIFY(c.state.workingCopyMode);
        QVERIFY(c.dm.khzl.commandText().startsWith("select top 3000 * from #admin\r\n"));
        QCOMPARE(c.dm.khzl.recordCount(), 1);
        QCOMPARE(c.dm.boundaryId, 3);
        QCOMPARE(c.browser.currentQueryText, (QStringList{"select * from  名录", "where 联系人 like '%张''s%'"}));
        QCOMPARE(c.ids("select sql语句 from 访问记录 where 访问内容 = '查询数据表文件:名录' order by ID desc").first(),
                 QString("select * from  名录\r\nwhere 联系人 like '%张''s%'\r\n"));
        QCOMPARE(app::readFirstLine(c.search.directoryDefaultFieldFile()), std::optional<QString>("联系人"));
        QVERIFY(c.search.directoryDefaultFieldFile().endsWith("morensearch_one_fieldadmin1"));
    }

    void rejectedSearch()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 3);
        const QString logged = c.ids("select count(*) from 访问记录").first();
        c.search.Search_One_Field("没有的字段", "x");
        QCOMPARE((*prompts).notices.size(), 1);
        QCOMPARE(c.ids("select count(*) from 访问记录").first(), logged);
        QVERIFY(!QFile::exists(c.search.directoryDefaultFieldFile()));
    }

    void mainRowChecks()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 3);
        const QStringList fields = c.dm.khzl.fieldNames();
        c.search.mainRowEnter("公司名称", fields, "");
        c.search.mainRowEnter("无此项", fields, "x");
        QCOMPARE((*prompts).notices, (QStringList{"查询条件未设置正确！", "查询条件未设置正确！"}));
        c.dm.khzl.setValue("公司名称", "改");
        c.dm.khzl.post();
        (*prompts).answers = {false};
        c.search.mainRowEnter("公司名称", fields, "公司");
        QCOMPARE((*prompts).questions, QStringList{"执行查询会丢失未保存的数据,继续吗?"});
        QVERIFY(!c.state.workingCopyMode);
    }

    void dialog()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 4);
        search::Tsearch_one_Fieldw dialog(c.search, c.dm.khzl.fieldNames());
        QCOMPARE(dialog.size(), QSize(320, 91));
        QCOMPARE(dialog.ComboBox1->currentText(), QString("ID"));
        dialog.ComboBox1->setEditText("公司名称");
        dialog.Button2->click(); // no value: nothing, silently
        dialog.ComboBox1->setEditText("无此项");
        dialog.Edit1->setText("公司");
        dialog.Button2->click(); // not a field of the list: nothing
        QVERIFY(!c.state.workingCopyMode);
        dialog.ComboBox1->setEditText("公司名称");
        dialog.Edit1->setText("公司2");
        dialog.Button2->click();
        QVERIFY(c.state.workingCopyMode);
        QCOMPARE(c.dm.khzl.recordCount(), 1);
        QVERIFY((*prompts).notices.isEmpty());
        dialog.ComboBox1->setEditText("省市");
        dialog.Button1->click();
        QCOMPARE(app::readFirstLine(c.search.directoryDefaultFieldFile()), std::optional<QString>("省市"));
        search::Tsearch_one_Fieldw again(c.search, c.dm.khzl.fieldNames());
        QCOMPARE(again.ComboBox1->currentText(), QString("省市"));
    }

    void senderAndCodeTabs()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        c.dm.sk.execute("runsql_dp", "insert into 用户基本资料 (公司名称, 联系人) values ('发件公司', '李四'), ('另一家', '王五')");
        c.search.activeTab = SingleFieldSearch::Sender;
        c.search.operatorIndex = 4; // "等于" still matches contained text on the sender tab
        c.search.Search_One_Field("联系人", "李");
        QCOMPARE(c.dm.me.recordCount(), 1);
        QCOMPARE(c.dm.me.text("公司名称"), QString("发件公司"));
        QCOMPARE(app::readFirstLine(c.search.senderDefaultFieldFile()), std::optional<QString>("联系人"));
        QVERIFY(!c.state.workingCopyMode);

        c.search.Open_hydm_Data();
        const int all = c.dm.hydm.recordCount();
        c.search.search_hydm_Data("行业名称1", 2, "");
        QCOMPARE(c.dm.hydm.recordCount(), all); // an empty value searches nothing
        c.search.search_hydm_Data("行业名称1", 2, "制造");
        QCOMPARE(c.dm.hydm.recordCount(), 1);
        QCOMPARE(c.dm.hydm.commandText(), QString("select * from  行业代码\r\nwhere 行业名称1 like '制造%'\r\n"));
        c.dm.hydm.setValue("行业名称2", "汽车制造业");
        c.dm.zh.setValue("修改行业代码", false); // the login row says what this user may do
        c.dm.zh.post();
        c.search.saveHydm();
        QCOMPARE(c.ids("select count(*) from 行业代码 where 行业名称2 = '汽车制造业'"), QStringList{"0"});
        c.dm.zh.setValue("修改行业代码", true);
        c.dm.zh.post();
        c.search.saveHydm();
        QCOMPARE(c.ids("select count(*) from 行业代码 where 行业名称2 = '汽车制造业'"), QStringList{"1"});

        c.search.Open_post_Data();
        c.search.search_post_Data("邮政编码", 4, "518000");
        QCOMPARE(c.dm.post.text("县市"), QString("深圳市"));
        QVERIFY((*prompts).notices.isEmpty());
    }

    void savingBack_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("no hits, rows added") << "empty";
        QTest::newRow("edited twice") << "twice";
        QTest::newRow("edited then deleted") << "editDelete";
        QTest::newRow("added then deleted") << "addDelete";
        QTest::newRow("no changes") << "none";
    }

    void savingBack()
    {
        QFETCH(QString, scenario);
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 6);
        auto &khzl = c.dm.khzl;
        c.search.operatorIndex = 4;
        c.search.Search_One_Field("省市", scenario == "empty" ? "广州" : "上海"); // 上海: IDs 1, 3, 5
        if (scenario == "empty") {
            QCOMPARE(c.browser.pageCount(), 0);
            QCOMPARE(c.dm.boundaryId, 0);
            for (const char *name : {"新甲", "新乙"}) {
                khzl.append();
                khzl.setValue("公司名称", name);
                khzl.post();
            }
        } else if (scenario == "twice") {
            khzl.setRecNo(2);
            khzl.setValue("联系人", "一");
            khzl.post();
            khzl.setValue("联系人", "二");
            khzl.post();
            QCOMPARE(c.lists.changedIds, (QStringList{"3", "3"}));
        } else if (scenario == "editDelete") {
            (*prompts).answers = {true};
            khzl.setRecNo(2);
            khzl.setValue("联系人", "改");
            khzl.post();
            c.dm.khzl.remove();
        } else if (scenario == "addDelete") {
            (*prompts).answers = {true};
            khzl.append();
            khzl.setValue("公司名称", "临时");
            khzl.post();
            khzl.remove();
        }
        QCOMPARE(c.state.unsavedChanges, scenario != "none");
        c.copy.BitBtn2Click();
        QVERIFY(!c.state.unsavedChanges);
        QVERIFY((*prompts).notices.isEmpty());

        const QStringList all = c.ids("select ID, 公司名称, 联系人 from 名录 order by ID");
        QStringList expected{"1|公司1|NULL", "2|公司2|NULL", "3|公司3|NULL", "4|公司4|NULL", "5|公司5|NULL", "6|公司6|NULL"};
        if (scenario == "empty")
            expected << "7|新甲|NULL" << "8|新乙|NULL";
        else if (scenario == "twice")
            expected[2] = "3|公司3|二";
        else if (scenario == "editDelete")
            expected.removeAt(2);
        QCOMPARE(all, expected);
    }

    void deleteSelectedRows()
    {
        app::ScopedPrompts prompts;
        (*prompts).answers = {true};
        Client c(server_);
        resetTable(c, 5);
        const QString deletions = "select count(*) from 访问记录 where 访问内容 like '删除数据记录:公司%'";
        const int before = c.ids(deletions).first().toInt();
        QList<data::ClientDataSet::Bookmark> marks;
        for (int row : {0, 2, 4})
            marks << c.dm.khzl.bookmarkAt(row);
        c.copy.deleteRows(marks);
        QCOMPARE((*prompts).questions, QStringList{"删除当前选中的3条记录?"});
        QCOMPARE(c.dm.khzl.recordCount(), 2);
        QCOMPARE(c.ids(deletions).first().toInt(), before + 3);
        QVERIFY(c.copy.Save_Data_Windows_1());
        QCOMPARE(c.ids("select ID from 名录 order by ID"), (QStringList{"2", "4"}));
    }

    void twoUsersOwnCopies()
    {
        app::ScopedPrompts prompts;
        Client a(server_);
        resetTable(a, 6);
        Client b(server_);
        b.open("名录");
        a.search.operatorIndex = b.search.operatorIndex = 4;
        a.search.Search_One_Field("省市", "上海");
        b.search.Search_One_Field("省市", "北京");
        QCOMPARE(a.ids("select ID from #admin order by ID"), (QStringList{"1", "3", "5"}));
        QCOMPARE(b.ids("select ID from #admin order by ID"), (QStringList{"2", "4", "6"}));
    }

    void multiPageEditAndSaveBack()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 7000); // 上海: the 3500 odd IDs, two pages of the working copy
        c.search.operatorIndex = 4;
        c.search.Search_One_Field("省市", "上海");
        QCOMPARE(c.browser.pageCount(), 2);
        auto &khzl = c.dm.khzl;
        khzl.setValue("联系人", "首行"); // ID 1
        khzl.post();
        (*prompts).answers = {true, true}; // delete the row, then save the page before turning it
        khzl.setRecNo(2);                  // ID 3
        khzl.remove();
        c.browser.setPage(2);
        QCOMPARE(khzl.value("ID").toInt(), 6003);
        khzl.setValue("联系人", "次页"); // ID 6003
        khzl.post();
        khzl.append();
        khzl.setValue("公司名称", "新增");
        khzl.setValue("省市", "上海");
        khzl.post();

        (*prompts).answers = {true}; // the next search offers to save back
        c.search.Search_One_Field("联系人", "次页");
        QCOMPARE(c.ids("select ID from 名录 where 联系人 is not null order by ID"), (QStringList{"1", "6003"}));
        QCOMPARE(c.ids("select count(*) from 名录 where ID = 3"), QStringList{"0"});
        QCOMPARE(c.ids("select ID from 名录 where 公司名称 = '新增'"), QStringList{"7001"});
        QCOMPARE(c.ids("select count(*) from 名录"), QStringList{"7000"});
        QCOMPARE(c.dm.khzl.recordCount(), 1);
    }

    void addedRowsLeaveTheCopyOnceSaved()
    {
        app::ScopedPrompts prompts;
        Client c(server_);
        resetTable(c, 4);
        c.search.operatorIndex = 4;
        c.search.Search_One_Field("省市", "上海"); // IDs 1, 3
        auto &khzl = c.dm.khzl;
        khzl.append();
        khzl.setValue("公司名称", "新的");
        khzl.post();
        c.copy.BitBtn2Click(); // the new row becomes table row 5
        // Were it left in the copy under its copy ID (4), an edit would overwrite table row 4.
        QCOMPARE(c.ids("select ID from #admin order by ID"), (QStringList{"1", "3"}));
        QCOMPARE(c.dm.boundaryId, 3);
        QCOMPARE(c.ids("select 公司名称 from 名录 where ID = 4"), QStringList{"公司4"});
        QCOMPARE(c.ids("select 公司名称 from 名录 where ID = 5"), QStringList{"新的"});
    }
};

QTEST_MAIN(TestSingleFieldSearch)
#include "tst_single_field_search.moc"
