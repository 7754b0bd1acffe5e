// velbor-server end to end on loopback: login rules, statements as the client sends them,
// working copies per connection, change sets and bad input.

#include "support/server_fixture.h"

#include <QCborArray>
#include <QProcess>
#include <QTest>

using testing::rowsOf;
using wire::ServerError;

class TestServer : public QObject {
    Q_OBJECT

private:
    testing::ServerFixture server_;
    std::unique_ptr<wire::ClientConnection> db_;

    void exec(const QString &sql) { db_->execute(QStringLiteral("runsql_dp"), sql); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(server_.isRunning(), "velbor-server did not start");
        db_ = server_.connect();
        // A directory table made the way the client makes one, with rows 1..10 and gaps after deletes.
        exec("select top 0 *  into 名录 from  默认表结构");
        exec("create index 省市索引 on 名录(省市)");
        QStringList values;
        for (int i = 1; i <= 10; ++i)
            values << QStringLiteral("('公司%1', '%2', %3)").arg(i).arg(i % 2 ? "上海" : "北京").arg(i % 3);
        exec("insert into 名录 (公司名称, 省市, 密级) values " + values.join(", "));
        exec("delete from 名录 where ID = 2 or ID = 3");
    }

    void loginRules_data()
    {
        QTest::addColumn<QString>("accountSet");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("code");
        QTest::newRow("default account") << "test" << "admin" << "1" << "";
        QTest::newRow("wrong password") << "test" << "admin" << "2" << "login";
        QTest::newRow("letter case of user") << "test" << "Admin" << "1" << "login";
        QTest::newRow("trailing blank") << "test" << "admin " << "1" << "login";
        QTest::newRow("empty password") << "test" << "admin" << "" << "login";
        QTest::newRow("path in account set") << "../etc" << "admin" << "1" << "login";
        QTest::newRow("separator in account set") << "a/b" << "admin" << "1" << "login";
    }

    void loginRules()
    {
        QFETCH(QString, accountSet);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, code);
        wire::ClientConnection c;
        c.open(server_.host(), server_.port());
        try {
            c.call("testmima", testing::loginArgument(accountSet, user, password));
            QCOMPARE(QString(), code);
        } catch (const ServerError &e) {
            QCOMPARE(e.code(), code);
            if (e.message().contains("用户登录失败"))
                QCOMPARE(e.message(), QString("用户登录失败！请重新输入用户名和密码！"));
        }
    }

    void nothingButDateAndLoginBeforeLogin()
    {
        wire::ClientConnection c;
        c.open(server_.host(), server_.port());
        const QCborArray now = c.call("getDateTime").toArray();
        QCOMPARE(now.size(), 2);
        QVERIFY(QDate::fromString(now.at(0).toString(), "yyyy-MM-dd").isValid());
        for (auto attempt : {+[](wire::ClientConnection &c) { c.execute("runsql_dp", "drop table 名录"); },
                             +[](wire::ClientConnection &c) { c.openQuery("s1_dp", "select * from 员工账号", -1); },
                             +[](wire::ClientConnection &c) { c.call("GetAllTables"); }}) {
            try {
                attempt(c);
                QFAIL("served before login");
            } catch (const ServerError &e) {
                QCOMPARE(e.code(), QString("not-logged-in"));
            }
        }
    }

    void newAccountSet()
    {
        auto c = server_.connect("新账套");
        QCOMPARE(rowsOf(*c, "Select * from 员工账号,组权限\r\nwhere 用户名称 ='admin'\r\nand 密码 ='1'\r\nand 组名=所属组名")
                     .size(),
                 1);
        QCOMPARE(rowsOf(*c, "select 管理员, 查看密级, 限制查询 from 组权限"), QStringList{"true|9|false"});
        QVERIFY(rowsOf(*c, "select count(*) from 邮政编码").first().toInt() > 0);
        QVERIFY(rowsOf(*c, "select count(*) from 行业代码").first().toInt() > 0);
        const QCborArray all = c->call("GetAllTables1").toArray();
        QCOMPARE(all.size(), 1);
        QCOMPARE(all.at(0).toString(), QString("客户基本数据"));
        QCOMPARE(c->call("GetAllTables").toArray(), all);
    }

    void noCreate()
    {
        testing::ServerFixture strict({"--no-create"});
        QVERIFY(strict.isRunning());
        try {
            strict.connect("missing");
            QFAIL("account set created");
        } catch (const ServerError &e) {
            QVERIFY(e.message().contains("missing"));
        }
    }

    void statements_data()
    {
        QTest::addColumn<QStringList>("setup"); // batches run in order; a failing "drop table" is ignored
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected"); // first column of each row
        // Pages of 3 rows over IDs 1,4,5,6,7,8,9,10.
        QTest::newRow("page 1") << QStringList{}
                                << "select top 3 * from 名录\r\nwhere id>=\r\n(select max(ID) from \r\n(select top 1 "
                                   "ID from 名录  order by ID) as T)\r\n order by id"
                                << QStringList{"1", "4", "5"};
        QTest::newRow("page 2 after a gap") << QStringList{}
                                            << "select top 3 * from 名录\r\nwhere id>\r\n(select max(ID) from \r\n"
                                               "(select top 3 ID from 名录  order by ID) as T)\r\n order by id"
                                            << QStringList{"6", "7", "8"};
        QTest::newRow("count") << QStringList{} << "Select  count(*) as count1 from 名录" << QStringList{"8"};
        QTest::newRow("max") << QStringList{} << "Select  max(ID) as count1 from 名录" << QStringList{"10"};
        QTest::newRow("search into working copy")
            << QStringList{"drop table #admin",
                           "select  *  into #admin from\r\n (select * from  名录\r\nwhere 公司名称 like '%公司1%'\r\n"
                           ") as t\r\ncreate index ID索引 on #admin(ID)"}
            << "select ID from #admin order by ID" << QStringList{"1", "10"};
        QTest::newRow("page of the working copy")
            << QStringList{} << "select top 3 * from #admin\r\nwhere id>\r\n(select max(ID) from \r\n"
                                "(select top 1 ID from #admin  order by ID) as T)\r\n order by id"
            << QStringList{"10"};
        QTest::newRow("quoted number compares as number")
            << QStringList{} << "select ID from 名录 where ID > '8' order by ID" << QStringList{"9", "10"};
        QTest::newRow("doubled quote") << QStringList{"update 名录 set 联系人='张''s' where ID=1"}
                                       << "select ID from 名录 where 联系人 = '张''s'" << QStringList{"1"};
        QTest::newRow("like ignores Latin case") << QStringList{"update 名录 set Email='Wang@Example.com' where ID=4"}
                                                 << "select id from 名录 where email like '%wang@EXAMPLE%'"
                                                 << QStringList{"4"};
        QTest::newRow("union removes duplicates")
            << QStringList{}
            << "select 省市 from 名录 where ID < 6\r\nunion\r\nselect 省市 from 名录 where ID > 6 order by 省市"
            << QStringList{"上海", "北京"};
        QTest::newRow("not in max group by")
            << QStringList{} << "select ID from 名录 where ID not in\r\n(select max(ID)  from 名录 group by 省市) order by ID"
            << QStringList{"1", "4", "5", "6", "7", "8"};
        QTest::newRow("one index name on two tables")
            << QStringList{"select top 0 *  into 名录二 from  默认表结构\r\ncreate index 省市索引 on 名录二(省市)"}
            << "select count(*) from 名录二" << QStringList{"0"};
        QTest::newRow("access record newest")
            << QStringList{"insert into 访问记录 (访问人, 访问内容) values ('a', 'x'), ('b', 'y')"}
            << "Select top 1 访问人 from 访问记录\r\norder by id DESC" << QStringList{"b"};
    }

    void statements()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        for (const QString &batch : setup) {
            try {
                exec(batch);
            } catch (const ServerError &) {
                if (!batch.startsWith("drop table"))
                    throw;
            }
        }
        QStringList firstColumn;
        for (const QString &row : rowsOf(*db_, query))
            firstColumn << row.section(u'|', 0, 0);
        QCOMPARE(firstColumn, expected);
    }

    void savingBack()
    {
        exec("drop table #admin");
        exec("select  *  into #admin from\r\n (select * from  名录\r\nwhere 省市 = '上海'\r\n) as t\r\n"
             "create index ID索引 on #admin(ID)");
        exec("update #admin set 联系人 = '改' where ID = 5");
        exec("insert into #admin (公司名称, 省市) values ('新增', '上海')");
        const int boundary = 9;
        exec("select  *  into #2admin from\r\n(select * from #admin\r\nwhere ID=5\r\n) as t\r\nupdate 名录 set \r\n"
             "联系人=#2admin.联系人\r\n,\r\n公司名称=#2admin.公司名称\r\n from \r\n名录,#2admin\r\n"
             "where 名录.ID=#2admin.id");
        exec(QStringLiteral("insert  into 名录\r\n(\r\n公司名称\r\n,\r\n省市\r\n)\r\n(select \r\n公司名称\r\n,\r\n省市\r\n"
                            " from #admin\r\nwhere ID > %1)")
                 .arg(boundary));
        exec("delete from 名录\r\nwhere id=7\r\nor  id=9");
        QCOMPARE(rowsOf(*db_, "select 联系人 from 名录 where ID = 5"), QStringList{"改"});
        QCOMPARE(rowsOf(*db_, "select ID from 名录 where 公司名称 = '新增'"), QStringList{"11"});
        QCOMPARE(rowsOf(*db_, "select count(*) from 名录 where ID in (7, 9)"), QStringList{"0"});
    }

    void workingCopiesArePerConnection()
    {
        auto a = server_.connect();
        auto b = server_.connect();
        a->execute("runsql_dp", "select  *  into #wang from (select * from 名录 where ID = 1) as t");
        b->execute("runsql_dp", "select  *  into #wang from (select * from 名录 where ID > 4) as t");
        QCOMPARE(rowsOf(*a, "select count(*) from #wang"), QStringList{"1"});
        QVERIFY(rowsOf(*b, "select count(*) from #wang").first().toInt() > 1);
        // A working copy ends with its connection, also when it drops without a word.
        a->close();
        a = server_.connect();
        QVERIFY_THROWS_EXCEPTION(ServerError, rowsOf(*a, "select count(*) from #wang"));
    }

    void failedBatchLeavesNothing()
    {
        QVERIFY_THROWS_EXCEPTION(
            ServerError, exec("select top 0 *  into 半成品 from  默认表结构\r\ninsert into 半成品 (公司名称) values ('x')\r\n"
                              "insert into 不存在的表 (a) values (1)"));
        QVERIFY(!db_->call("GetAllTables1").toArray().contains(QCborValue("半成品")));
    }

    void topZeroMetadata()
    {
        exec("create table 类型表 (ID int identity(1,1) primary key, 文字 varchar(60) null, 备注 text null, "
             "整数 int null, 小数 float null, 开关 bit null, 时间 datetime null)");
        exec("select top 0 *  into 类型副本 from  类型表");
        const wire::Packet packet = db_->openQuery("s4_dp", "select top 0 * from 类型副本", -1);
        QVERIFY(packet.rows.empty());
        using wire::FieldType;
        const std::vector<wire::Column> expected{{"ID", FieldType::Integer, 0},   {"文字", FieldType::String, 60},
                                                 {"备注", FieldType::Memo, 0},     {"整数", FieldType::Integer, 0},
                                                 {"小数", FieldType::Float, 0},    {"开关", FieldType::Boolean, 0},
                                                 {"时间", FieldType::DateTime, 0}};
        QCOMPARE(packet.columns.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            QVERIFY2(packet.columns[i] == expected[i], qPrintable(packet.columns[i].name));
    }

    void packetsOnDemand()
    {
        exec("create table 大表 (ID int identity(1,1) primary key, v int null)");
        QStringList values;
        for (int i = 0; i < 1234; ++i)
            values << QStringLiteral("(%1)").arg(i);
        exec("insert into 大表 (v) values " + values.join(u','));
        wire::Packet packet = db_->openQuery("khzl_dp", "select * from 大表 order by ID", 500);
        QCOMPARE(packet.rows.size(), size_t(500));
        QVERIFY(!packet.eof);
        // A statement on the same connection while the cursor is open must not disturb it.
        exec("update 大表 set v = -1 where ID = 1000");
        int total = 500;
        while (!packet.eof) {
            packet = db_->fetch(packet.cursor, 500);
            total += int(packet.rows.size());
        }
        QCOMPARE(total, 1234);
    }

    void changeSets()
    {
        const QString command = "select top 3000 * from 名录";
        const QVariantMap row1 = [&] {
            const wire::Packet p = db_->openQuery("khzl_dp", "select * from 名录 where ID = 1", -1);
            QVariantMap m;
            for (size_t i = 0; i < p.columns.size(); ++i)
                m[p.columns[i].name] = p.rows[0][i];
            return m;
        }();
        using Kind = wire::Change::Kind;
        std::vector<wire::Change> changes{
            {Kind::Insert, {}, {{"公司名称", "插入"}, {"ID", 999}}},
            {Kind::Update, row1, {{"联系人", "王'五"}}},
            {Kind::Update, row1, {{"联系人", "冲突"}}}, // row1 no longer holds these values
            {Kind::Delete, {{"ID", 4}}, {}},
            {Kind::Delete, {{"ID", 4}}, {}},
        };
        const auto results = db_->apply("khzl_dp", command, changes);
        QCOMPARE(results.size(), changes.size());
        QVERIFY(results[0].ok);
        QVERIFY(results[0].newId.toInt() > 11);
        QVERIFY(results[1].ok);
        QVERIFY(!results[2].ok);
        QVERIFY(!results[2].error.isEmpty());
        QVERIFY(results[3].ok);
        QVERIFY(!results[4].ok);
        QCOMPARE(rowsOf(*db_, "select 联系人 from 名录 where ID = 1"), QStringList{"王'五"});
        QCOMPARE(rowsOf(*db_, "select count(*) from 名录 where ID = 4"), QStringList{"0"});
    }

    void tableRights()
    {
        exec("select top 0 *  into 甲表 from  默认表结构\r\nselect top 0 *  into 乙表 from  默认表结构");
        exec("insert into 组权限 (组名, 管理员, 查看密级) values ('业务组', 0, 0)\r\n"
             "insert into 员工账号 (用户名称, 密码, 所属组名) values ('wang', '1', '业务组')\r\n"
             "insert into 表权限 (组名, 表名) values ('业务组', '乙表'), ('业务组', '甲表')");
        auto wang = server_.connect("test", "wang", "1");
        const QCborArray tables = wang->call("GetAllTables").toArray();
        QCOMPARE(tables, (QCborArray{"乙表", "甲表"}));
        QVERIFY(wang->call("GetAllTables1").toArray().size() > 2);
    }

    void badInput()
    {
        wire::ClientConnection c;
        c.open(server_.host(), server_.port());
        QCborMap reply = c.exchangeRaw(QByteArray("\x00\x00\x00\x02\xff\xff", 6)); // not CBOR
        QCOMPARE(reply.value("error").toMap().value("code").toString(), QString("protocol"));
        reply = c.exchangeRaw(wire::encodeFrame(QCborMap{{"id", 7}, {"op", "frobnicate"}}));
        QCOMPARE(reply.value("id").toInteger(), 7);
        QCOMPARE(reply.value("error").toMap().value("code").toString(), QString("unknown"));
        c.call("testmima", testing::loginArgument("test", "admin", "1"));
        QVERIFY_THROWS_EXCEPTION(ServerError, c.call("noSuchMethod"));
        QVERIFY_THROWS_EXCEPTION(ServerError, c.execute("nobody_dp", "select 1"));
        try {
            c.execute("runsql_dp", "merge into 名录 using x on 1=1");
            QFAIL("accepted");
        } catch (const ServerError &e) {
            QCOMPARE(e.code(), QString("sql"));
            QVERIFY2(e.message().contains("merge", Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(rowsOf(c, "select count(*) from 组权限").size(), 1);

        // An oversized frame ends that connection only.
        wire::ClientConnection big;
        big.open(server_.host(), server_.port());
        reply = big.exchangeRaw(QByteArray("\x7f\xff\xff\xff", 4));
        QCOMPARE(reply.value("error").toMap().value("code").toString(), QString("protocol"));
        QCOMPARE(rowsOf(c, "select count(*) from 组权限").size(), 1);
        // A client vanishing mid-request does not disturb the others either.
        {
            QTcpSocket half;
            half.connectToHost(server_.host(), server_.port());
            QVERIFY(half.waitForConnected(5000));
            half.write(wire::encodeFrame(QCborMap{{"id", 1}, {"op", "hello"}, {"version", 1}}).left(6));
            half.waitForBytesWritten(5000);
        }
        QCOMPARE(rowsOf(c, "select count(*) from 组权限").size(), 1);
    }

    void velborSql()
    {
        QProcess tool;
        tool.start(QStringLiteral(VELBOR_SQL_PATH),
                   {"-S", server_.address(), "-d", "test", "-U", "admin", "-P", "1"});
        tool.write("create table 工具表 (ID int identity(1,1) primary key, 名称 varchar(20) null, 数 float null)\n"
                   "GO\ninsert into 工具表 (名称, 数) values ('甲', 1.5), (NULL, 2)\ngo\n"
                   "select 名称, 数 from 工具表 order by ID\nGO\nselect * from 没有的表\nGO\n");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()),
                 QString("(0 rows affected)\n(2 rows affected)\n名称\t数\n甲\t1.5\nNULL\t2\n"));
        QVERIFY(QString::fromUtf8(tool.readAllStandardError()).startsWith("Msg: "));
    }
};

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"
