// Paging through tables and working copies against a real server, the grid's arrow keys turning
// pages, and the grid layout files.

#include "app/prompt_service.h"
#include "browse/grid_cursor.h"
#include "browse/grid_layout.h"
#include "browse/page_statement.h"
#include "browse/table_browser.h"
#include "support/server_fixture.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestTableBrowser : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;
    app::MainState state_;
    data::WorkingCopyLists lists_;
    data::TDataModule1 dm_{state_, lists_};
    std::unique_ptr<browse::TableBrowser> browser_;
    QString position_;

    void exec(const QString &sql) { dm_.sk.execute("runsql_dp", sql); }
    void makeTable(const QString &name, int rows)
    {
        exec("select top 0 *  into " + name + " from  默认表结构");
        for (int done = 0; done < rows; done += 1000) {
            QStringList values;
            for (int i = done + 1; i <= std::min(rows, done + 1000); ++i)
                values << QStringLiteral("('公司%1')").arg(i);
            exec("insert into " + name + " (公司名称) values " + values.join(','));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        state_.loginUser = "admin";
        dm_.host = server_.host();
        dm_.port = server_.port();
        dm_.connect();
        dm_.callServer("testmima", testing::loginArgument("test", "admin", "1"));
        dm_.zh.setCommandText("Select * from 员工账号,组权限\r\nwhere 用户名称 ='admin'\r\nand 密码 ='1'\r\nand 组名=所属组名");
        dm_.zh.open();
        makeTable("零行", 0);
        makeTable("三千行", 3000);
        makeTable("三千零一行", 3001);
        makeTable("五千行", 5000);
        makeTable("间隔", 7000);
        exec("delete from 间隔 where ID % 2 = 0");
        browser_ = std::make_unique<browse::TableBrowser>(dm_, state_, lists_);
        connect(browser_.get(), &browse::TableBrowser::positionText, this, [this](const QString &t) { position_ = t; });
    }

    void tableList()
    {
        QSignalSpy spy(browser_.get(), &browse::TableBrowser::tablesChanged);
        browser_->get_Data_Tables();
        QCOMPARE(browser_->tables(),
                 (QStringList{"客户基本数据", "零行", "三千行", "三千零一行", "五千行", "间隔"}));
        QCOMPARE(dm_.currentTable, QString("客户基本数据"));
        QCOMPARE(spy.count(), 1);
    }

    void pageCounts_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("rowsOnLastPage");
        QTest::newRow("empty") << "零行" << 0 << 0;
        QTest::newRow("3000") << "三千行" << 1 << 3000;
        QTest::newRow("3001") << "三千零一行" << 2 << 1;
        QTest::newRow("5000") << "五千行" << 2 << 2000;
    }

    void pageCounts()
    {
        QFETCH(QString, table);
        QFETCH(int, pages);
        QFETCH(int, rowsOnLastPage);
        browser_->lbTablesClick(table);
        QCOMPARE(browser_->pageCount(), pages);
        QCOMPARE(browser_->currentPage(), 1);
        QCOMPARE(browser_->currentQueryText, QStringList{"select * from " + table});
        browser_->lastPage();
        dm_.khzl.fetchAll();
        QCOMPARE(dm_.khzl.recordCount(), rowsOnLastPage);
        const int last = browser_->currentPage();
        browser_->nextPage(); // nothing past the last page
        QCOMPARE(browser_->currentPage(), last);
    }

    void pagesSkipIdGaps()
    {
        browser_->lbTablesClick("间隔");
        browser_->setPage(2);
        QCOMPARE(dm_.khzl.value("ID").toInt(), 6001);
        QCOMPARE(dm_.khzl.commandText(), browse::pageStatement("间隔", 2, 3000));
        QVERIFY(dm_.khzl.commandText().contains("(select top 3000 ID from 间隔  order by ID) as T)\r\n"));
    }

    void otherTableOpensAtPageOne()
    {
        QTemporaryDir dir;
        browser_->lbTablesClick("五千行");
        browser_->setPage(2);
        browser_->lbTablesClick("三千零一行");
        QCOMPARE(browser_->currentPage(), 1);
        QCOMPARE(dm_.khzl.value("ID").toInt(), 1);
    }

    void arrowKeysTurnPages()
    {
        browser_->lbTablesClick("五千行");
        data::DataSetModel model(&dm_.khzl);
        QTableView grid;
        grid.setModel(&model);
        grid.setSelectionBehavior(QAbstractItemView::SelectRows);
        browse::GridCursor cursor(&grid, &model);
        grid.show();
        grid.setFocus();

        dm_.khzl.last();
        QCOMPARE(dm_.khzl.recNo(), 3000);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(browser_->currentPage(), 2);
        QCOMPARE(dm_.khzl.recNo(), 1);
        QCOMPARE(grid.currentIndex().row(), 0);
        QCOMPARE(position_, QString("3001/5000"));

        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(browser_->currentPage(), 1);
        QCOMPARE(dm_.khzl.recNo(), 3000);
        QCOMPARE(grid.currentIndex().row(), 2999);
        QCOMPARE(position_, QString("3000/5000"));
    }

    void changedPageAsksBeforeLeaving()
    {
        app::ScopedPrompts prompts;
        (*prompts).answers = {false};
        browser_->lbTablesClick("三千零一行");
        lists_.pendingDeletions = {"7"};
        dm_.khzl.setValue("公司名称", "改了");
        browser_->setPage(2);
        QCOMPARE((*prompts).questions, QStringList{"名录数据已经修改，是否保存再继续?"});
        QVERIFY(lists_.pendingDeletions.isEmpty()); // forgotten with the dropped page
        QCOMPARE(testing::rowsOf(dm_.sk, "select 公司名称 from 三千零一行 where ID = 1"), QStringList{"公司1"});
    }

    void layoutFiles()
    {
        browser_->lbTablesClick("三千行");
        data::DataSetModel model(&dm_.khzl);
        QTableView grid;
        grid.setModel(&model);
        QHeaderView *h = grid.horizontalHeader();
        h->moveSection(h->visualIndex(2), 0);
        h->resizeSection(2, 333);
        h->hideSection(3);
        model.setTitle("公司名称", "单位");
        model.setAlignment("公司名称", Qt::AlignRight);
        const browse::GridLayout saved = browse::captureLayout(grid, model);
        QTemporaryDir dir;
        const QString path = dir.filePath("三千行DBGrid1.dat");
        QVERIFY(browse::writeGridLayout(path, saved));

        browse::resetLayout(grid, model);
        QCOMPARE(model.title(2), QString("公司名称"));
        const auto read = browse::readGridLayout(path);
        QVERIFY(read.has_value());
        QCOMPARE(*read, saved);
        browse::applyLayout(grid, model, *read);
        QCOMPARE(browse::captureLayout(grid, model), saved);
        QCOMPARE(h->logicalIndex(0), 2);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("单位"));
        QVERIFY(h->isSectionHidden(3));

        browse::capColumnWidths(grid);
        QCOMPARE(h->sectionSize(2), 200);

        for (const QByteArray &corrupt : {QByteArray("VelborGridLayout 1\r\n公司名称\t单位\tx\tL\t1\r\n"),
                                          QByteArray("\xff\xfe garbage"), QByteArray()}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(corrupt);
            f.close();
            QVERIFY(!browse::readGridLayout(path).has_value());
        }
        QVERIFY(!browse::readGridLayout(dir.filePath("missing.dat")).has_value());
    }
};

QTEST_MAIN(TestTableBrowser)
#include "tst_table_browser.moc"
