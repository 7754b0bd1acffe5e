// The main window's frame, built with the data module not connected.

#include "app/about_box.h"
#include "app/main_window.h"
#include "app/prompt_service.h"
#include "data/data_module.h"
#include "data/db_controls.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace app;
using namespace Qt::StringLiterals;

namespace {

struct Frame {
    MainState state;
    data::WorkingCopyLists lists;
    data::TDataModule1 dm{state, lists};
    Tmain w{state, dm};
};

QMenu *menuTitled(const Tmain &w, const QString &title)
{
    for (QAction *a : w.menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

QStringList visibleItems(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *a : menu->actions())
        if (a->isVisible() && !a->isSeparator())
            captions << a->text();
    return captions;
}

QStringList labelTexts(const QWidget &w)
{
    QStringList texts;
    for (const QLabel *label : w.findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void frame();
    void menus_data();
    void menus();
    void items_data();
    void items();
    void hiddenFullDownload();
    void toolBar_data();
    void toolBar();
    void statusPanels_data();
    void statusPanels();
    void tabs_data();
    void tabs();
    void directoryView();
    void loggedIn();
    void confirmation_data();
    void confirmation();
    void supportContacts();
};

void TestMainWindow::frame()
{
    Frame f;
    QCOMPARE(f.w.windowTitle(), u"Velbor在线快递单打印软件"_s);
    QCOMPARE(f.w.font().family(), u"宋体"_s);
    QCOMPARE(f.w.khzl_Panel->font().pointSize(), 14);
    QCOMPARE(f.w.khzl_Panel->font().family(), u"宋体"_s);
    QVERIFY(f.w.SearchField->isEditable());
    QStringList operators;
    for (int i = 0; i < f.w.SearchOperator->count(); ++i)
        operators << f.w.SearchOperator->itemText(i);
    QCOMPARE(operators, (QStringList{u"包含"_s, u"不包含"_s, u"前缀"_s, u"后缀"_s, u"等于"_s, u"不等于"_s,
                                     u"大于"_s, u"大于等于"_s, u"小于"_s, u"小于等于"_s}));
    QCOMPARE(f.w.Edit6->text(), u"1"_s);
    QVERIFY(f.w.Edit6->isReadOnly());
    QCOMPARE(f.w.currentPageNumber(), 1);
    const QStringList hints = {f.w.BitBtn32->toolTip(), f.w.BitBtn33->toolTip(), f.w.BitBtn34->toolTip(),
                               f.w.BitBtn35->toolTip()};
    QCOMPARE(hints, (QStringList{u"第一页"_s, u"前一页"_s, u"后一页"_s, u"最后一页"_s}));

    QTableView *grid = f.w.DBGrid1;
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(grid->horizontalHeader()->sectionsMovable());
    QCOMPARE(f.w.meGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
    // The industry and postal codes are kept in place, in their grids.
    for (QTableView *codes : {f.w.hydmGrid, f.w.postGrid})
        QVERIFY(codes->editTriggers() & QAbstractItemView::DoubleClicked);
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("数据[&D]") << 0
                            << QStringList{u"导入ACCESS数据"_s, u"导入EXCEL数据"_s, u"导出数据到Excel文件(*.xls)"_s,
                                           u"表文件管理"_s, u"重复记录删除"_s, u"表文件合并"_s, u"保存所有数据"_s};
    QTest::newRow("编辑[&E]") << 1
                            << QStringList{u"输入客户数据"_s, u"删除当前记录数据"_s, u"删除选中的多条记录"_s,
                                           u"删除所有数据"_s, u"修改一列字段内容"_s};
    QTest::newRow("查询[&S]") << 2
                            << QStringList{u"单个字段查询"_s, u"综合查询"_s, u"生成字段数据查询列表"_s,
                                           u"查询访问记录"_s};
    QTest::newRow("打印[&P]") << 3
                            << QStringList{u"打印当前快递单"_s, u"批量打印快递单"_s, u"批量打印标签"_s,
                                           u"打印客户通讯录"_s};
    QTest::newRow("设置[&A]") << 4
                            << QStringList{u"调整表格列宽"_s, u"初始化显示栏"_s, u"邮编自动补0"_s,
                                           u"设置打印自动折行"_s, u"自动设置打印机"_s, u"设置数据查看权限"_s,
                                           u"权限管理"_s, u"自动生成省市县市内容"_s};
    QTest::newRow("帮助[&H]") << 5 << QStringList{u"向技术支持发邮件"_s, u"访问技术支持网站"_s, u"关于软件"_s};
    QTest::newRow("退出[&X]") << 6 << QStringList{};
}

void TestMainWindow::menus()
{
    QFETCH(int, position);
    QFETCH(QStringList, items);
    Frame f;
    const QString title = QString::fromUtf8(QTest::currentDataTag());
    const QList<QAction *> bar = f.w.menuBar()->actions();
    QCOMPARE(bar.size(), 7);
    QCOMPARE(bar.at(position)->text(), title);
    if (items.isEmpty())
        QCOMPARE(bar.at(position)->menu(), nullptr);
    else
        QCOMPARE(visibleItems(menuTitled(f.w, title)), items);
}

void TestMainWindow::items_data()
{
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checkable");
    const QKeySequence none;
    for (const QString &caption :
         {u"导入ACCESS数据"_s, u"导入EXCEL数据"_s, u"导出数据到Excel文件(*.xls)"_s, u"表文件管理"_s,
          u"重复记录删除"_s, u"表文件合并"_s, u"保存所有数据"_s, u"删除选中的多条记录"_s, u"删除所有数据"_s,
          u"修改一列字段内容"_s, u"生成字段数据查询列表"_s, u"查询访问记录"_s, u"打印当前快递单"_s,
          u"批量打印快递单"_s, u"批量打印标签"_s, u"打印客户通讯录"_s, u"调整表格列宽"_s, u"初始化显示栏"_s,
          u"设置打印自动折行"_s, u"设置数据查看权限"_s, u"权限管理"_s, u"自动生成省市县市内容"_s})
        QTest::newRow(caption.toUtf8()) << none << false << false;
    QTest::newRow("输入客户数据") << QKeySequence(u"Ctrl+I"_s) << false << false;
    QTest::newRow("删除当前记录数据") << QKeySequence(u"Ctrl+Y"_s) << false << false;
    QTest::newRow("单个字段查询") << QKeySequence(u"F1"_s) << false << false;
    QTest::newRow("综合查询") << QKeySequence(u"F2"_s) << false << false;
    QTest::newRow("显示所有数据") << QKeySequence(u"F4"_s) << true << false;
    QTest::newRow("邮编自动补0") << none << false << true;
    QTest::newRow("自动设置打印机") << none << false << true;
    QTest::newRow("向技术支持发邮件") << none << true << false;
    QTest::newRow("访问技术支持网站") << none << true << false;
    QTest::newRow("关于软件") << none << true << false;
    QTest::newRow("退出[&X]") << none << true << false;
}

void TestMainWindow::items()
{
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);
    QFETCH(bool, checkable);
    Frame f;
    QAction *item = f.w.action(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY(item);
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(item->isEnabled(), enabled);
    QCOMPARE(item->isCheckable(), checkable);
}

void TestMainWindow::hiddenFullDownload()
{
    Frame f;
    QAction *showAll = f.w.action(u"显示所有数据"_s);
    QVERIFY(f.w.actions().contains(showAll));
    QVERIFY(!visibleItems(menuTitled(f.w, u"查询[&S]"_s)).contains(showAll->text()));

    f.w.show();
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    QTest::keyClick(&f.w, Qt::Key_F4);
    QVERIFY(f.w.Timer1->isActive());

    // A page that holds every row of the table ends the download at the first tick.
    f.w.Timer1Timer();
    QVERIFY(!f.w.Timer1->isActive());
    QCOMPARE(f.w.StatusBar1->text(StatusPanels::Message), u"完成下载所有数据!"_s);
}

void TestMainWindow::toolBar_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("DinDan_windows") << u"预览"_s << u"预览标签"_s << false;
    QTest::newRow("SaveButton") << u"保存"_s << u"保存数据到服务器"_s << false;
    QTest::newRow("refreshdata") << u"刷新"_s << u"从服务器刷新数据"_s << false;
    QTest::newRow("left_qi") << u"左齐"_s << u"表格列数据左对齐"_s << false;
    QTest::newRow("center_qi") << u"居中"_s << u"表格列数据居中"_s << false;
    QTest::newRow("right_qi") << u"右齐"_s << u"表格列数据右对齐"_s << false;
    QTest::newRow("Email_kh") << u"Email"_s << u"给客户发送Email"_s << false;
    QTest::newRow("web_kh") << u"网站"_s << u"访问客户网站"_s << false;
    QTest::newRow("khgl") << u"登陆"_s << u"重新登陆"_s << true;
}

void TestMainWindow::toolBar()
{
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(bool, enabled);
    Frame f;
    QVERIFY(!f.w.ToolBar1->isMovable());
    QAction *button = f.w.ToolBar1->findChild<QAction *>(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY(button);
    QVERIFY(f.w.ToolBar1->actions().contains(button));
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->isEnabled(), enabled);
    QCOMPARE(f.w.ToolBar1->widgetForAction(button)->height(), 39);
}

void TestMainWindow::statusPanels_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("narrow") << 1000;
    QTest::newRow("wide") << 1600;
}

void TestMainWindow::statusPanels()
{
    QFETCH(int, width);
    Frame f;
    f.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    f.w.resize(width, 700);
    QCOMPARE(f.w.width(), width);

    const StatusPanels *panels = f.w.StatusBar1;
    const QList<int> fixed = {50, 40, 150, 40, 128};
    const QList<int> actual = {panels->panelWidth(0), panels->panelWidth(2), panels->panelWidth(3),
                               panels->panelWidth(4), panels->panelWidth(5)};
    QCOMPARE(actual, fixed);
    QCOMPARE(panels->panelWidth(StatusPanels::Message), panels->width() - (50 + 40 + 150 + 40 + 128));
    QVERIFY(panels->width() > width - 30);

    QCOMPARE(panels->text(StatusPanels::Hint), u"提示"_s);
    QCOMPARE(panels->text(StatusPanels::Records), u"记录"_s);
    QCOMPARE(panels->text(StatusPanels::Time), u"时间"_s);
    f.w.showStatus(u"正在打开表文件... 客户基本数据 ... 请稍候..."_s);
    QCOMPARE(panels->text(StatusPanels::Message), u"正在打开表文件... 客户基本数据 ... 请稍候..."_s);
    f.dm.showGridPosition(u"3000/5000"_s);
    QCOMPARE(panels->text(StatusPanels::Position), u"3000/5000"_s);
}

void TestMainWindow::tabs_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("dataSet");
    QTest::newRow("客户数据") << 0 << u"客户数据"_s << u"khzl"_s;
    QTest::newRow("快递单设置") << 1 << u"快递单设置"_s << u"khzl"_s;
    QTest::newRow("发件人数据") << 2 << u"发件人数据"_s << u"me"_s;
    QTest::newRow("行业代码") << 3 << u"行业代码"_s << u"hydm"_s;
    QTest::newRow("邮编编码") << 4 << u"邮编编码"_s << u"post"_s;
}

void TestMainWindow::tabs()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, dataSet);
    Frame f;
    QTabWidget *tabs = f.w.PageControl1;
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->tabText(index), caption);

    tabs->setCurrentIndex((index + 1) % tabs->count());
    QSignalSpy switched(&f.w, &Tmain::tabSwitched);
    tabs->setCurrentIndex(index);
    QCOMPARE(switched.size(), 1);
    QCOMPARE(switched.at(0).at(0).toInt(), index);
    QCOMPARE(f.w.DBNavigator1->dataSet()->name(), dataSet);
    // Closed datasets leave the search field list and the position alone.
    QCOMPARE(f.w.SearchField->count(), 0);
    QCOMPARE(f.w.StatusBar1->text(StatusPanels::Position), QString());
}

void TestMainWindow::directoryView()
{
    Frame f;
    f.w.resize(1200, 800);
    f.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    QVERIFY(!f.w.LeftPanel->isVisible());
    QVERIFY(!f.w.khzl_Panel->isVisible());
    QVERIFY(!f.w.ToolBar1->isVisible());
    QCOMPARE(f.dm.viewNumber, 0);

    QSignalSpy shown(&f.w, &Tmain::directoryViewShown);
    f.w.kh_windowsClick();
    QCOMPARE(f.dm.viewNumber, 1);
    QVERIFY(f.w.LeftPanel->isVisible());
    QVERIFY(f.w.khzl_Panel->isVisible());
    QVERIFY(f.w.ToolBar1->isVisible());
    QCOMPARE(f.w.LeftPanel->width(), 157);
    QCOMPARE(shown.size(), 1);

    // Once shown, the view is left as the user arranged it.
    f.w.LeftPanel->hide();
    f.w.kh_windowsClick();
    QVERIFY(!f.w.LeftPanel->isVisible());
    QCOMPARE(shown.size(), 1);
}

void TestMainWindow::loggedIn()
{
    Frame f;
    f.state.accountSet = u"test"_s;
    f.state.loginUser = u"wang"_s;
    f.w.setLoggedInCaption();
    QCOMPARE(f.w.windowTitle(), u"Velbor在线快递单打印软件1.0 [数据库：test] [当前用户：wang]"_s);

    // Without a login row no right is granted.
    const QStringList gated = {u"权限管理"_s, u"设置数据查看权限"_s, u"查询访问记录"_s, u"删除所有数据"_s,
                               u"修改一列字段内容"_s};
    for (const QString &caption : gated)
        QVERIFY(f.w.action(caption)->isVisible());
    f.w.setRightsVisibility();
    for (const QString &caption : gated)
        QVERIFY2(!f.w.action(caption)->isVisible(), qPrintable(caption));
}

void TestMainWindow::confirmation_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("answer");
    QTest::newRow("是") << true << 1;
    QTest::newRow("否") << false << 0;
}

void TestMainWindow::confirmation()
{
    QFETCH(bool, yes);
    QFETCH(int, answer);
    Frame f;
    ScopedPrompts scripted;
    scripted->answers = {yes};
    f.dm.confirmationAnswer = 1 - answer;
    f.w.Show_Tishi_windows2(u"删除当前客户数据记录?"_s);
    QCOMPARE(scripted->questions, QStringList{u"删除当前客户数据记录?"_s});
    QCOMPARE(f.dm.confirmationAnswer, answer);
}

void TestMainWindow::supportContacts()
{
    Frame f;
    TAboutBox about(f.state.programTitle);
    const QStringList texts = labelTexts(about);
    for (const QString &expected : {u"Velbor在线快递单打印软件1.0"_s, u"1.0"_s, QString::fromLatin1(supportEmail),
                                    QString::fromLatin1(supportWebsite)})
        QVERIFY2(!texts.filter(expected).isEmpty(), qPrintable(expected));
    QVERIFY(about.isModal());
    const QList<QPushButton *> buttons = about.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.first()->text(), u"确定"_s);
    QTimer::singleShot(0, buttons.first(), &QPushButton::click);
    QCOMPARE(about.exec(), int(QDialog::Accepted));

    f.w.showInformationPage();
    const QString page = f.w.webgd02->toPlainText();
    for (const QString &expected : {u"F1"_s, u"F2"_s, u"F4"_s, u"Ctrl+I"_s, u"Ctrl+Y"_s,
                                    QString::fromLatin1(supportEmail), QString::fromLatin1(supportWebsite)})
        QVERIFY2(page.contains(expected), qPrintable(expected));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
