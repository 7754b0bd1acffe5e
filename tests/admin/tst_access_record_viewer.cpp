// The access record viewer against a real server with more entries than it loads at a time.

#include "admin/access_record_viewer.h"
#include "admin_client.h"
#include "app/prompt_service.h"

#include <QTest>

using admin::AccessRecordViewer;
using testing::AdminClient;

class TestAccessRecordViewer : public QObject {
    Q_OBJECT

    static constexpr int Entries = 10050;
    testing::ServerFixture server_;
    QString accountSet_ = testing::freshAccountSet();
    std::unique_ptr<AdminClient> client_;

    int firstId() { return client_->dm.fwjl.isEmpty() ? 0 : client_->dm.fwjl.row(0)[0].toInt(); }

private Q_SLOTS:
    // Entries 1…10050: 访问人 乙 for the oldest 30, 甲 for the rest; 访问内容 "内容N", sql语句 "select N".
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        client_ = std::make_unique<AdminClient>(server_, accountSet_);
        const int batch = 2010;
        for (int done = 0; done < Entries; done += batch) {
            QStringList values;
            for (int i = done + 1; i <= done + batch; ++i)
                values << QStringLiteral("('%1', '2024-01-01', '08:00:00', '内容%2', 'select %2')")
                              .arg(i <= 30 ? "乙" : "甲")
                              .arg(i);
            client_->run("insert into 访问记录 (访问人, 访问日期, 访问时间, 访问内容, sql语句) values " + values.join(','));
        }
        QCOMPARE(client_->rows("select count(*), max(ID) from 访问记录"), QStringList{"10050|10050"});
    }

    void newestOnActivation()
    {
        app::ScopedPrompts prompts;
        AccessRecordViewer viewer(client_->dm);
        viewer.activate();
        QStringList users = viewer.users();
        users.sort();
        QCOMPARE(users, (QStringList{"乙", "甲"})); // admin logged nothing
        QCOMPARE(viewer.fields(), (QStringList{"ID", "访问人", "访问日期", "访问时间", "访问内容", "sql语句"}));
        QCOMPARE(client_->dm.fwjl.recordCount(), AccessRecordViewer::MaxRows);
        QCOMPARE(firstId(), Entries);
        client_->dm.fwjl.last();
        QCOMPARE(client_->dm.fwjl.value("ID").toInt(), Entries - AccessRecordViewer::MaxRows + 1);
        QCOMPARE(viewer.position(), QString("10000/10000"));
        QVERIFY((*prompts).notices.isEmpty());
    }

    void filters_data()
    {
        QTest::addColumn<QString>("field"); // empty: by user
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("first");
        QTest::newRow("user outside the newest") << "" << "乙" << true << 30 << 30;
        QTest::newRow("user capped") << "" << "甲" << true << 10000 << 10050;
        QTest::newRow("unknown user") << "" << "admin" << true << 0 << 0;
        QTest::newRow("content") << "访问内容" << "内容1" << true << 1162 << 10050; // 1, 10…19, 100…, 1000…, 10000…
        QTest::newRow("statement") << "sql语句" << "select 2" << true << 1111 << 2999;
        QTest::newRow("quote") << "访问内容" << "内容'1" << true << 0 << 0;
        QTest::newRow("empty value") << "访问内容" << "" << false << 10000 << 10050;
        QTest::newRow("not a field") << "没有" << "1" << false << 10000 << 10050;
    }

    void filters()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, loaded);
        QFETCH(int, count);
        QFETCH(int, first);
        app::ScopedPrompts prompts;
        AccessRecordViewer viewer(client_->dm);
        viewer.activate();
        const QString before = client_->dm.fwjl.commandText();
        if (field.isEmpty())
            viewer.showUser(value);
        else
            QCOMPARE(viewer.filter(field, value), loaded);
        QCOMPARE(client_->dm.fwjl.commandText() != before, loaded);
        QCOMPARE(client_->dm.fwjl.recordCount(), count);
        QCOMPARE(firstId(), first);
        QCOMPARE(viewer.position(), QStringLiteral("%1/%2").arg(count ? 1 : 0).arg(count));
        QVERIFY((*prompts).notices.isEmpty());
    }

    void finishLeavesTheRecordEmpty()
    {
        AccessRecordViewer viewer(client_->dm);
        viewer.activate();
        viewer.finish();
        QVERIFY(client_->dm.fwjl.isActive());
        QCOMPARE(client_->dm.fwjl.recordCount(), 0);
        QCOMPARE(client_->dm.fwjl.commandText(), QString("Select top 0 * from 访问记录"));
        client_->dm.writeAccessRecord("之后");
        QCOMPARE(client_->rows("select 访问人 from 访问记录 where 访问内容 = '之后'"), QStringList{"admin"});
        client_->run("delete from 访问记录 where 访问内容 = '之后'");
    }
};

QTEST_MAIN(TestAccessRecordViewer)
#include "tst_access_record_viewer.moc"
