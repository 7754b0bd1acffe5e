// The grid model and the field-bound editors over a real server's dataset.

#include "data/dataset_model.h"
#include "data/db_controls.h"
#include "support/server_fixture.h"

#include <QTableView>
#include <QTest>
#include <QToolButton>

using data::ClientDataSet;

class TestDataControls : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;
    std::unique_ptr<wire::ClientConnection> sk_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        sk_ = server_.connect();
        QStringList values;
        for (int i = 1; i <= 1200; ++i)
            values << QStringLiteral("('公司%1', %2)").arg(i).arg(i % 2);
        sk_->execute("runsql_dp", "create table 表 (ID int identity(1,1) primary key, 公司名称 varchar(60) null, "
                                  "开关 bit null)\r\ninsert into 表 (公司名称, 开关) values " + values.join(','));
    }

    void modelFetchesAsTheViewScrolls()
    {
        ClientDataSet d("khzl", "khzl_dp", 500);
        d.setConnection(sk_.get());
        d.setCommandText("select * from 表 order by ID");
        d.open();
        data::DataSetModel model(&d);
        QCOMPARE(model.rowCount(), 500);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("公司名称"));
        QCOMPARE(model.data(model.index(0, 2)).toString(), QString("True"));

        QTableView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        view.scrollToBottom();
        QCoreApplication::processEvents();
        QVERIFY(model.rowCount() > 500);
        d.last();
        QCOMPARE(model.rowCount(), 1200);
        QVERIFY(!model.canFetchMore({}));

        d.first();
        d.remove();
        QCOMPARE(model.rowCount(), 1199);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QString("公司2"));
    }

    void editorsFollowTheCursorAndWriteBack()
    {
        ClientDataSet d("ygzm", "zqx_dp", wire::AllRows);
        d.setConnection(sk_.get());
        d.setCommandText("select * from 表 where ID <= 2 order by ID");
        d.open();
        data::DBLineEdit name(&d, "公司名称");
        data::DBCheckBox flag(&d, "开关", "开关");
        data::DBNavigator navigator;
        navigator.setDataSet(&d);
        QCOMPARE(name.text(), QString("公司1"));
        QVERIFY(flag.isChecked());
        QVERIFY(!navigator.button(data::DBNavigator::Post)->isEnabled());

        navigator.click(data::DBNavigator::Next);
        QCOMPARE(name.text(), QString("公司2"));
        QVERIFY(!flag.isChecked());

        QTest::sendKeyEvent(QTest::Click, &name, Qt::Key_unknown, QString("号"), Qt::NoModifier);
        flag.click();
        QCOMPARE(d.state(), ClientDataSet::State::Edit);
        QVERIFY(navigator.button(data::DBNavigator::Post)->isEnabled());
        navigator.click(data::DBNavigator::Post);
        QCOMPARE(d.applyUpdates(), 0);
        QCOMPARE(testing::rowsOf(*sk_, "select 公司名称, 开关 from 表 where ID = 2"), QStringList{"公司2号|true"});
    }
};

QTEST_MAIN(TestDataControls)
#include "tst_data_controls.moc"
