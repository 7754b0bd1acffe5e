// The administration windows offscreen: each builds, shows its parts and runs a button path;
// the menu entries open them for administrators only.

#include "admin/account_rules.h"
#include "admin/qxglw.h"
#include "admin/searchfwjlw.h"
#include "admin/setdataqxw.h"
#include "admin_client.h"
#include "app/prompt_service.h"
#include "browse/table_browser.h"
#include "data/db_controls.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using data::DBNavigator;
using testing::AdminClient;

namespace {

QStringList tabTexts(const QTabWidget *tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void doubleClick(QListWidget *list, const QString &text)
{
    QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Typing text as one key press, as an input method delivers CJK text.
void type(QWidget *widget, const QString &text)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text, Qt::NoModifier);
}

} // namespace

class TestAdminWindows : public QObject {
    Q_OBJECT

    testing::ServerFixture server_;

private Q_SLOTS:
    void initTestCase() { QVERIFY(server_.isRunning()); }

    void groupRightsWindow()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        admin::Tqxglw w(c.dm);
        w.show();
        QCOMPARE(w.size(), QSize(704, 616));
        QCOMPARE(w.windowTitle(), QString("组权限管理窗口"));
        QCOMPARE(w.groupTreeBox->title(), QString("组账号1个"));
        QCOMPARE(w.accountTreeBox->title(), QString("用户账号1个"));
        QCOMPARE(w.groupTree->currentItem()->text(0), QString("系统管理员"));
        QCOMPARE(w.groupName->text(), QString("系统管理员"));
        QCOMPARE(w.groupPosition->text(), QString("1/1"));
        QCOMPARE(tabTexts(w.tabs), (QStringList{"客户", "表文件权限"}));
        QStringList captions;
        for (QCheckBox *box : w.rightBoxes) {
            captions << box->text();
            QCOMPARE(box->isChecked(), box->text() != "限制查询"); // the starter group
        }
        QCOMPARE(captions, admin::groupRightColumns());
        QVERIFY(w.administrator->isChecked());
        QCOMPARE(w.secrecy->value(), 9);
        QVERIFY(itemTexts(w.allTables).contains("客户基本数据"));
        QCOMPARE(w.userName->text(), QString("admin"));
        QCOMPARE(w.userGroup->count(), 1);
        QStringList shown;
        for (int col = 0; col < w.accountGrid->model()->columnCount(); ++col)
            if (!w.accountGrid->isColumnHidden(col)) {
                shown << w.accountGrid->model()->headerData(col, Qt::Horizontal).toString();
                QCOMPARE(w.accountGrid->columnWidth(col), 100);
            }
        QCOMPARE(shown, (QStringList{"用户名称", "所属组名", "查询宽度"}));

        // A new group through the navigator, one right ticked, saved.
        w.groupNavigator->click(DBNavigator::Insert);
        QCOMPARE(w.groupName->text(), QString("新组名"));
        QCOMPARE(w.groupPosition->text(), QString("1/2"));
        QCheckBox *export_ = w.rightBoxes.at(admin::groupRightColumns().indexOf("导出数据"));
        export_->click();
        w.saveButton->click();
        QCOMPARE(c.rows("select 组名, 导出数据, 录入数据 from 组权限 order by ID"),
                 (QStringList{"系统管理员|true|true", "新组名|true|true"}));
        QCOMPARE(w.groupTreeBox->title(), QString("组账号2个"));
        QCOMPARE(w.userGroup->count(), 2);

        // Table rights of the selected group.
        w.tabs->setCurrentIndex(1);
        doubleClick(w.allTables, "客户基本数据");
        QCOMPARE(itemTexts(w.accessibleTables), QStringList{"客户基本数据"});
        w.saveTableRightsButton->click();
        QCOMPARE((*prompts).notices, QStringList{"保存成功！"});
        QCOMPARE(c.rows("select 组名, 表名 from 表权限"), QStringList{"系统管理员|客户基本数据"});
        doubleClick(w.accessibleTables, "客户基本数据");
        QVERIFY(itemTexts(w.accessibleTables).isEmpty());

        w.groupTree->actions().first()->trigger(); // "刷新查询列表"
        QCOMPARE(w.groupTree->topLevelItemCount(), 2);
        w.returnButton->click();
        QVERIFY(!w.isVisible());
        QVERIFY(!c.dm.ygzm.isActive());
        QVERIFY(!c.dm.ygzh.isActive());
    }

    void dataViewRightsDialog()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        c.run("insert into 客户基本数据 (公司名称, 权限组, 录入) values ('甲', '系统管理员', 'admin')");
        c.dm.currentTable = "客户基本数据";
        c.dm.khzl.open();
        admin::Tsetdataqxw w(c.dm, {"select * from 客户基本数据"});
        w.show();
        QCOMPARE(w.size(), QSize(524, 229));
        QCOMPARE(itemTexts(w.groupList), (QStringList{"系统管理员", "所有人"}));
        QCOMPARE(w.viewRights->text(), QString("系统管理员"));
        doubleClick(w.groupList, "所有人");
        doubleClick(w.groupList, "系统管理员");
        QCOMPARE(w.viewRights->text(), QString("系统管理员 所有人"));
        w.changeCurrentButton->click();
        QCOMPARE(c.dm.khzl.text("权限组"), QString("系统管理员 所有人"));
        w.viewRights->clear();
        type(w.viewRights, "所有人");
        QTest::keyClick(w.viewRights, Qt::Key_Return);
        QVERIFY((*prompts).notices.isEmpty());
        w.changeAllButton->click();
        QCOMPARE((*prompts).notices, QStringList{"修改成功！"});
        QCOMPARE(c.rows("select 权限组 from 客户基本数据"), QStringList{"所有人"});
        w.returnButton->click();
        QVERIFY(!w.isVisible());
    }

    void accessRecordViewerWindow()
    {
        app::ScopedPrompts prompts;
        AdminClient c(server_, testing::freshAccountSet());
        c.run("insert into 访问记录 (访问人, 访问内容, sql语句) values ('甲', '打开', 'select 1'), ('乙', '删除', 'select 2'), "
              "('甲', '查询', 'select 3')");
        admin::Tsearchfwjlw w(c.dm);
        w.show();
        QCOMPARE(w.size(), QSize(862, 606));
        QCOMPARE(w.font().pointSize(), 14);
        QCOMPARE(tabTexts(w.tabs), (QStringList{"单独显示", "列表显示"}));
        QCOMPARE(w.userTree->topLevelItemCount(), 2);
        QCOMPARE(w.ComboBox1->currentText(), QString("ID"));
        QVERIFY(w.Edit1->text().isEmpty());
        QCOMPARE(w.position->text(), QString("1/3"));
        QCOMPARE(w.panels->rowHeight(0), admin::Tsearchfwjlw::PanelSize.height());
        QCOMPARE(w.panels->columnWidth(0), admin::Tsearchfwjlw::PanelSize.width());

        // Nothing in the window changes an entry.
        for (DBNavigator::Button b : {DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Post,
                                      DBNavigator::Cancel, DBNavigator::Refresh})
            QVERIFY(!w.navigator->button(b)->isVisibleTo(&w));
        for (QTableView *view : {w.panels, w.grid}) {
            QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(!(view->model()->flags(view->model()->index(0, 1)) & Qt::ItemIsEditable));
        }
        w.tabs->setCurrentIndex(1);
        w.grid->setCurrentIndex(w.grid->model()->index(1, 4));
        type(w.grid, "改");
        QTest::keyClick(w.grid, Qt::Key_F2);
        QCOMPARE(c.dm.fwjl.changeCount(), 0);
        QCOMPARE(w.position->text(), QString("2/3"));

        w.navigator->click(DBNavigator::Last);
        QCOMPARE(w.position->text(), QString("3/3"));
        w.ComboBox1->setCurrentText("访问内容");
        QTest::keyClick(w.Edit1, Qt::Key_Return); // empty value: nothing
        QCOMPARE(c.dm.fwjl.recordCount(), 3);
        type(w.Edit1, "删");
        QTest::keyClick(w.Edit1, Qt::Key_Return);
        QCOMPARE(c.dm.fwjl.recordCount(), 1);
        QCOMPARE(w.position->text(), QString("1/1"));
        QTreeWidgetItem *jia = w.userTree->findItems("甲", Qt::MatchExactly).value(0);
        QVERIFY(jia);
        QTest::mouseClick(w.userTree->viewport(), Qt::LeftButton, {}, w.userTree->visualItemRect(jia).center());
        QCOMPARE(c.dm.fwjl.recordCount(), 2);
        QCOMPARE(c.dm.fwjl.value("访问内容").toString(), QString("查询"));

        w.returnButton->click();
        QCOMPARE(c.dm.fwjl.commandText(), QString("Select top 0 * from 访问记录"));
        QCOMPARE(c.rows("select count(*) from 访问记录"), QStringList{"3"});
        QVERIFY((*prompts).notices.isEmpty());
    }

    void menuEntriesForAdministrators_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("administrator");
        for (int entry = 0; entry < 3; ++entry) {
            QTest::addRow("entry %d, administrator", entry) << entry << true;
            QTest::addRow("entry %d, other group", entry) << entry << false;
        }
    }

    void menuEntriesForAdministrators()
    {
        QFETCH(int, entry);
        QFETCH(bool, administrator);
        app::ScopedPrompts prompts;
        const QString set = testing::freshAccountSet();
        {
            AdminClient admin(server_, set);
            admin.run("insert into 组权限 (组名, 管理员) values ('销售', 0)\r\n"
                      "insert into 员工账号 (用户名称, 密码, 所属组名) values ('小王', '1', '销售')");
        }
        AdminClient c(server_, set, administrator ? "admin" : "小王");
        browse::TableBrowser browser(c.dm, c.state, c.lists);
        QString opened;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        if (entry == 0)
            admin::runGroupRights(c.dm, nullptr);
        else if (entry == 1)
            admin::runDataViewRights(c.dm, browser, nullptr);
        else
            admin::runAccessRecordViewer(c.dm, nullptr);
        QCoreApplication::processEvents();
        const QStringList titles{"组权限管理窗口", "设置数据查看权限", "查询访问记录"};
        QCOMPARE(opened, administrator ? titles[entry] : QString());
        QCOMPARE(c.dm.fwjl.commandText(), QString("Select top 0 * from 访问记录"));
    }
};

QTEST_MAIN(TestAdminWindows)
#include "tst_admin_windows.moc"
