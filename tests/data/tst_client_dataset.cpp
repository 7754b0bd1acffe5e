// ClientDataSet against a real server: packets on demand, the cursor's flags, editing and the
// change log, events and failures.

#include "data/client_dataset.h"
#include "support/server_fixture.h"

#include <QTest>

using data::ClientDataSet;

class TestClientDataSet : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;
    std::unique_ptr<wire::ClientConnection> sk_;

    std::unique_ptr<ClientDataSet> dataSet(const QString &sql, int packet = 500)
    {
        auto d = std::make_unique<ClientDataSet>("khzl", "khzl_dp", packet);
        d->setConnection(sk_.get());
        d->setCommandText(sql);
        d->open();
        return d;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        sk_ = server_.connect();
        sk_->execute("runsql_dp", "select top 0 *  into 名录 from  默认表结构");
        for (int block = 0; block < 5; ++block) {
            QStringList values;
            for (int i = 1; i <= 1000; ++i)
                values << QStringLiteral("('公司%1', '人%1', 'admin')").arg(block * 1000 + i);
            sk_->execute("runsql_dp", "insert into 名录 (公司名称, 联系人, 录入) values " + values.join(','));
        }
    }

    void fetchesPacketsAsTheCursorMoves()
    {
        auto d = dataSet("select * from 名录 order by ID");
        QCOMPARE(d->recordCount(), 500);
        QCOMPARE(d->moveBy(499), 499);
        QCOMPARE(d->recordCount(), 500);
        d->next();
        QCOMPARE(d->recordCount(), 1000);
        QCOMPARE(d->recNo(), 501);
        QCOMPARE(d->text("公司名称"), QString("公司501"));
        d->last();
        QCOMPARE(d->recordCount(), 5000);
        QVERIFY(d->allFetched());
    }

    void beginAndEndOfData()
    {
        auto d = dataSet("select * from 名录 where ID <= 3 order by ID");
        int scrolls = 0;
        d->afterScroll = [&](ClientDataSet &) { ++scrolls; };
        QVERIFY(!d->bof() && !d->eof());
        d->next();
        QVERIFY(!d->bof() && !d->eof());
        d->next();
        d->next(); // tries to move past the last row
        QCOMPARE(d->recNo(), 3);
        QVERIFY(d->eof());
        d->first();
        d->prior(); // tries to move before the first row
        QCOMPARE(d->recNo(), 1);
        QVERIFY(d->bof());
        QCOMPARE(scrolls, 5);
        d->afterScroll = nullptr; // detached
        d->next();
        QCOMPARE(scrolls, 5);

        auto empty = dataSet("select * from 名录 where ID < 0");
        QVERIFY(empty->bof() && empty->eof());
        QCOMPARE(empty->recNo(), 0);
    }

    void changeSetAppliedAndConflictKept()
    {
        auto d = dataSet("select top 10 * from 名录 order by ID");
        d->setRecNo(2);
        d->edit();
        d->setValue("联系人", "张's");
        d->post();
        d->setRecNo(3);
        d->remove();
        d->append();
        d->setValue("公司名称", "新公司");
        d->post();
        QCOMPARE(d->changeCount(), 3);
        QCOMPARE(d->applyUpdates(), 0);
        QCOMPARE(d->changeCount(), 0);
        QVERIFY(d->value("ID").toInt() > 5000); // the new row took its identity
        QCOMPARE(testing::rowsOf(*sk_, "select 联系人 from 名录 where ID = 2"), QStringList{"张's"});
        QCOMPARE(testing::rowsOf(*sk_, "select count(*) from 名录 where ID = 3"), QStringList{"0"});

        // Another user changes row 1 meanwhile: our update is rejected and stays for a retry.
        d->first();
        d->setValue("联系人", "我改的");
        d->post();
        auto other = server_.connect();
        other->execute("runsql_dp", "update 名录 set 联系人 = '他改的' where ID = 1");
        QCOMPARE(d->applyUpdates(), 1);
        QCOMPARE(d->lastApplyErrors().size(), 1);
        QCOMPARE(d->changeCount(), 1);
        other->execute("runsql_dp", "update 名录 set 联系人 = '人1' where ID = 1");
        QCOMPARE(d->applyUpdates(), 0);
        QCOMPARE(testing::rowsOf(*sk_, "select 联系人 from 名录 where ID = 1"), QStringList{"我改的"});
    }

    void cancelRestoresRowsInPlace()
    {
        auto d = dataSet("select top 5 * from 名录 where ID > 10 order by ID");
        const QString second = d->text("公司名称");
        d->setRecNo(2);
        const QVariant id = d->value("ID");
        d->remove();
        d->first();
        d->setValue("公司名称", "改了");
        d->post();
        d->append();
        d->post();
        d->cancelUpdates();
        QCOMPARE(d->recordCount(), 5);
        QCOMPARE(d->changeCount(), 0);
        d->setRecNo(2);
        QCOMPARE(d->value("ID"), id);
        d->first();
        QCOMPARE(d->text("公司名称"), second);
    }

    void eventsAbortSilently()
    {
        auto d = dataSet("select top 3 * from 名录 where ID > 20 order by ID");
        d->beforeDelete = [](ClientDataSet &) { throw data::Abort{}; };
        QVERIFY_THROWS_EXCEPTION(data::Abort, d->remove());
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(d->changeCount(), 0);
        d->beforeInsert = [](ClientDataSet &) { throw data::Abort{}; };
        QVERIFY_THROWS_EXCEPTION(data::Abort, d->append());
        QCOMPARE(d->recordCount(), 3);
        QCOMPARE(d->state(), ClientDataSet::State::Browse);
    }

    void serverGoneMidOperation()
    {
        testing::ServerFixture doomed;
        auto sk = doomed.connect();
        sk->execute("runsql_dp", "select top 0 *  into 短表 from  默认表结构\r\n"
                                 "insert into 短表 (公司名称) values ('a'), ('b'), ('c'), ('d')");
        ClientDataSet d("khzl", "khzl_dp", 2);
        d.setConnection(sk.get());
        d.setCommandText("select * from 短表 order by ID");
        d.open();
        d.next();
        d.setValue("公司名称", "改");
        d.post();
        doomed.stop();
        QVERIFY_THROWS_EXCEPTION(wire::ServerError, d.next());
        QCOMPARE(d.recordCount(), 2);
        QCOMPARE(d.recNo(), 2);
        QVERIFY_THROWS_EXCEPTION(wire::ServerError, d.applyUpdates());
        QCOMPARE(d.changeCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClientDataSet)
#include "tst_client_dataset.moc"
