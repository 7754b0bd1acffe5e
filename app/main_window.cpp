#include "app/main_window.h"

#include "app/about_box.h"
#include "app/prompt_service.h"
#include "data/data_module.h"
#include "data/dataset_model.h"
#include "data/db_controls.h"
#include "print/layout_canvas.h"
#include "search/single_field_search.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {
namespace {

const QString windowCaption = u"Velbor在线快递单打印软件"_s;
constexpr int leftPanelWidth = 157;
constexpr int fullDownloadStep = 1000;

template <class W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QString mailUrl()
{
    return u"mailto:"_s + QLatin1StringView(supportEmail);
}

} // namespace

Tmain::Tmain(MainState &state, data::TDataModule1 &dm, QWidget *parent)
    : QMainWindow(parent), state_(state), dm_(dm)
{
    setObjectName(u"main"_s);
    setWindowTitle(windowCaption);
    // Unresolved size: only the family is set, the program maps "宋体" to a CJK Song font.
    setFont(QFont(u"宋体"_s));

    createMenus();
    createToolBar();

    Splitter1 = named(new QSplitter(Qt::Horizontal, this), u"Splitter1"_s);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(createLeftPanel());
    Splitter1->addWidget(createDirectoryPanel());
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);
    LeftPanel->hide();
    khzl_Panel->hide();

    StatusBar1 = named(new StatusPanels(statusBar()), u"StatusBar1"_s);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusBar1, 1);

    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &Tmain::Timer1Timer);

    dm_.showGridPosition = [this](const QString &text) { StatusBar1->setText(StatusPanels::Position, text); };
}

Tmain::~Tmain()
{
    // The data module outlives the window.
    dm_.showGridPosition = nullptr;
}

QAction *Tmain::action(const QString &caption) const
{
    return actions_.value(caption);
}

QAction *Tmain::addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut)
{
    QAction *item = menu->addAction(caption);
    item->setShortcut(shortcut);
    // Enabled once its command is connected, so no item does nothing.
    item->setEnabled(false);
    actions_.insert(caption, item);
    return item;
}

void Tmain::createMenus()
{
    QMenu *dataMenu = menuBar()->addMenu(u"数据[&D]"_s);
    for (const QString &caption : {u"导入ACCESS数据"_s, u"导入EXCEL数据"_s, u"导出数据到Excel文件(*.xls)"_s,
                                   u"表文件管理"_s, u"重复记录删除"_s, u"表文件合并"_s, u"保存所有数据"_s})
        addItem(dataMenu, caption);

    QMenu *editMenu = menuBar()->addMenu(u"编辑[&E]"_s);
    addItem(editMenu, u"输入客户数据"_s, QKeySequence(Qt::CTRL | Qt::Key_I));
    addItem(editMenu, u"删除当前记录数据"_s, QKeySequence(Qt::CTRL | Qt::Key_Y));
    for (const QString &caption : {u"删除选中的多条记录"_s, u"删除所有数据"_s, u"修改一列字段内容"_s})
        addItem(editMenu, caption);

    QMenu *queryMenu = menuBar()->addMenu(u"查询[&S]"_s);
    addItem(queryMenu, u"单个字段查询"_s, QKeySequence(Qt::Key_F1));
    addItem(queryMenu, u"综合查询"_s, QKeySequence(Qt::Key_F2));
    // Kept out of the menu rather than hidden in it: a hidden action loses its shortcut too.
    auto *showAll = new QAction(u"显示所有数据"_s, this);
    showAll->setShortcut(QKeySequence(Qt::Key_F4));
    addAction(showAll);
    actions_.insert(showAll->text(), showAll);
    connect(showAll, &QAction::triggered, this, &Tmain::Show_All_dataClick);
    addItem(queryMenu, u"生成字段数据查询列表"_s);
    addItem(queryMenu, u"查询访问记录"_s);

    QMenu *printMenu = menuBar()->addMenu(u"打印[&P]"_s);
    for (const QString &caption : {u"打印当前快递单"_s, u"批量打印快递单"_s, u"批量打印标签"_s, u"打印客户通讯录"_s})
        addItem(printMenu, caption);

    QMenu *settingsMenu = menuBar()->addMenu(u"设置[&A]"_s);
    for (const QString &caption : {u"调整表格列宽"_s, u"初始化显示栏"_s, u"邮编自动补0"_s, u"设置打印自动折行"_s,
                                   u"自动设置打印机"_s, u"设置数据查看权限"_s, u"权限管理"_s,
                                   u"自动生成省市县市内容"_s})
        addItem(settingsMenu, caption);
    action(u"邮编自动补0"_s)->setCheckable(true);
    action(u"自动设置打印机"_s)->setCheckable(true);

    QMenu *helpMenu = menuBar()->addMenu(u"帮助[&H]"_s);
    QAction *mail = addItem(helpMenu, u"向技术支持发邮件"_s);
    mail->setEnabled(true);
    connect(mail, &QAction::triggered, this, [] { QDesktopServices::openUrl(QUrl(mailUrl())); });
    QAction *web = addItem(helpMenu, u"访问技术支持网站"_s);
    web->setEnabled(true);
    connect(web, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(supportWebsite))); });
    QAction *about = addItem(helpMenu, u"关于软件"_s);
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, &Tmain::showAboutBox);

    QAction *quit = menuBar()->addAction(u"退出[&X]"_s);
    actions_.insert(quit->text(), quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void Tmain::createToolBar()
{
    ToolBar1 = named(new QToolBar(this), u"ToolBar1"_s);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The window's own menu would let the user hide the bar for good.
    ToolBar1->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    static const struct {
        QAction *Tmain::*member;
        const char16_t *name, *caption, *hint;
    } buttons[] = {
        {&Tmain::DinDan_windows, u"DinDan_windows", u"预览", u"预览标签"},
        {&Tmain::SaveButton, u"SaveButton", u"保存", u"保存数据到服务器"},
        {&Tmain::refreshdata, u"refreshdata", u"刷新", u"从服务器刷新数据"},
        {&Tmain::left_qi, u"left_qi", u"左齐", u"表格列数据左对齐"},
        {&Tmain::center_qi, u"center_qi", u"居中", u"表格列数据居中"},
        {&Tmain::right_qi, u"right_qi", u"右齐", u"表格列数据右对齐"},
        {&Tmain::Email_kh, u"Email_kh", u"Email", u"给客户发送Email"},
        {&Tmain::web_kh, u"web_kh", u"网站", u"访问客户网站"},
        {&Tmain::khgl, u"khgl", u"登陆", u"重新登陆"},
    };
    for (const auto &b : buttons) {
        QAction *button = ToolBar1->addAction(QString::fromUtf16(b.caption));
        button->setObjectName(QString::fromUtf16(b.name));
        // A tool tip only: a status tip would cover the status panels.
        button->setToolTip(QString::fromUtf16(b.hint));
        button->setEnabled(false);
        ToolBar1->widgetForAction(button)->setFixedHeight(39);
        this->*b.member = button;
    }
    khgl->setEnabled(true);
    ToolBar1->hide();
}

QWidget *Tmain::createLeftPanel()
{
    LeftPanel = named(new QWidget(this), u"LeftPanel"_s);
    auto *layout = new QVBoxLayout(LeftPanel);
    layout->setContentsMargins(2, 2, 2, 2);

    auto *buttons = new QHBoxLayout;
    BitBtn7 = named(new QPushButton(u"新建表"_s, LeftPanel), u"BitBtn7"_s);
    BitBtn8 = named(new QPushButton(u"删除表"_s, LeftPanel), u"BitBtn8"_s);
    for (QPushButton *b : {BitBtn7, BitBtn8}) {
        b->setEnabled(false);
        // The style's minimum button width would make the panel wider than 157 pixels.
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    layout->addWidget(new QLabel(u"数据库所有表文件"_s, LeftPanel));
    lbTables = named(new QListWidget(LeftPanel), u"lbTables"_s);
    layout->addWidget(lbTables, 1);
    layout->addWidget(new QLabel(u"数据检索列表"_s, LeftPanel));
    TreeView1 = named(new QTreeWidget(LeftPanel), u"TreeView1"_s);
    TreeView1->setHeaderHidden(true);
    layout->addWidget(TreeView1, 2);
    return LeftPanel;
}

QTableView *Tmain::createGrid(data::ClientDataSet &dataSet, data::DataSetModel *&model, QWidget *parent)
{
    auto *grid = new QTableView(parent);
    model = new data::DataSetModel(&dataSet, grid);
    grid->setModel(model);
    // Rows are edited in the entry forms, never in a grid.
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    return grid;
}

QWidget *Tmain::createLookupTab(data::ClientDataSet &dataSet, data::DataSetModel *&model, QTableView *&grid,
                                LookupSearchRow &row, const QString &saveCaption)
{
    auto *tab = new QWidget(PageControl1);
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 2, 0, 0);
    auto *top = new QHBoxLayout;
    row.field = new QComboBox(tab);
    row.op = new QComboBox(tab);
    row.op->addItems(search::operators());
    row.value = new QLineEdit(tab);
    row.save = new QPushButton(saveCaption, tab);
    row.navigator = new data::DBNavigator(tab);
    row.navigator->setVisibleButtons({data::DBNavigator::First, data::DBNavigator::Prior, data::DBNavigator::Next,
                                      data::DBNavigator::Last, data::DBNavigator::Insert, data::DBNavigator::Delete,
                                      data::DBNavigator::Post, data::DBNavigator::Cancel});
    row.navigator->setDataSet(&dataSet);
    top->addWidget(row.field);
    top->addWidget(row.op);
    top->addWidget(row.value, 1);
    top->addWidget(row.navigator);
    top->addWidget(row.save);
    layout->addLayout(top);
    grid = createGrid(dataSet, model, tab);
    // The code tables are kept in place, so their grids edit.
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    model->setEditable(true);
    layout->addWidget(grid, 1);
    return tab;
}

QWidget *Tmain::createDirectoryPanel()
{
    khzl_Panel = named(new QWidget(this), u"khzl_Panel"_s);
    QFont panelFont; // only the size: the family stays the window's
    panelFont.setPointSize(14);
    khzl_Panel->setFont(panelFont);
    auto *layout = new QVBoxLayout(khzl_Panel);
    layout->setContentsMargins(2, 2, 2, 2);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(u"查找"_s, khzl_Panel));
    SearchField = named(new QComboBox(khzl_Panel), u"SearchField"_s);
    SearchField->setEditable(true);
    SearchField->setMinimumContentsLength(6);
    SearchField->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    SearchOperator = named(new QComboBox(khzl_Panel), u"SearchOperator"_s);
    SearchOperator->addItems(search::operators());
    SearchValue = named(new QLineEdit(khzl_Panel), u"SearchValue"_s);
    searchRow->addWidget(SearchField);
    searchRow->addWidget(SearchOperator);
    searchRow->addWidget(SearchValue, 1);
    searchRow->addSpacing(8);
    searchRow->addWidget(new QLabel(u"前后翻页"_s, khzl_Panel));
    auto pageButton = [this, searchRow](const QString &glyph, const QString &hint, const QString &name) {
        auto *button = named(new QToolButton(khzl_Panel), name);
        button->setText(glyph);
        button->setToolTip(hint);
        button->setEnabled(false);
        searchRow->addWidget(button);
        return button;
    };
    BitBtn32 = pageButton(u"|◀"_s, u"第一页"_s, u"BitBtn32"_s);
    BitBtn33 = pageButton(u"◀"_s, u"前一页"_s, u"BitBtn33"_s);
    BitBtn34 = pageButton(u"▶"_s, u"后一页"_s, u"BitBtn34"_s);
    BitBtn35 = pageButton(u"▶|"_s, u"最后一页"_s, u"BitBtn35"_s);
    searchRow->addSpacing(8);
    searchRow->addWidget(new QLabel(u"当前页:"_s, khzl_Panel));
    CurrentPage = named(new QSpinBox(khzl_Panel), u"CurrentPage"_s);
    // Pages count from 1; the upper limit follows the page count once a table is counted.
    CurrentPage->setRange(1, 1);
    searchRow->addWidget(CurrentPage);
    searchRow->addWidget(new QLabel(u"共"_s, khzl_Panel));
    Edit6 = named(new QLineEdit(u"1"_s, khzl_Panel), u"Edit6"_s);
    Edit6->setReadOnly(true);
    Edit6->setFixedWidth(Edit6->fontMetrics().horizontalAdvance(u"000000"_s) + 12);
    searchRow->addWidget(Edit6);
    layout->addLayout(searchRow);

    auto *buttonRow = new QHBoxLayout;
    auto rowButton = [this, buttonRow](const QString &caption, const QString &name) {
        auto *button = named(new QPushButton(caption, khzl_Panel), name);
        button->setEnabled(false);
        buttonRow->addWidget(button);
        return button;
    };
    AddButton = rowButton(u"添加"_s, u"AddButton"_s);
    DeleteButton = rowButton(u"删除"_s, u"DeleteButton"_s);
    EditButton = rowButton(u"编辑"_s, u"EditButton"_s);
    SaveRowButton = rowButton(u"保存"_s, u"SaveRowButton"_s);
    PrintButton = rowButton(u"打印"_s, u"PrintButton"_s);
    DBNavigator1 = named(new data::DBNavigator(khzl_Panel), u"DBNavigator1"_s);
    DBNavigator1->setDataSet(&dm_.khzl);
    buttonRow->addWidget(DBNavigator1);
    SearchAllButton = rowButton(u"综合查询"_s, u"SearchAllButton"_s);
    buttonRow->addStretch();
    layout->addLayout(buttonRow);

    PageControl1 = named(new QTabWidget(khzl_Panel), u"PageControl1"_s);

    auto *gridSplitter = new QSplitter(Qt::Vertical, PageControl1);
    DBGrid1 = named(createGrid(dm_.khzl, khzlModel, gridSplitter), u"DBGrid1"_s);
    // Several rows can be selected for the bulk commands.
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid1->horizontalHeader()->setSectionsMovable(true);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    webgd02 = named(new QTextBrowser(gridSplitter), u"webgd02"_s);
    webgd02->setOpenExternalLinks(true);
    gridSplitter->addWidget(DBGrid1);
    gridSplitter->addWidget(webgd02);
    gridSplitter->setStretchFactor(0, 3);
    gridSplitter->setStretchFactor(1, 1);
    PageControl1->addTab(gridSplitter, u"客户数据"_s);

    auto *designer = new QSplitter(Qt::Horizontal, PageControl1);
    TreeView3 = named(new QTreeWidget(designer), u"TreeView3"_s);
    TreeView3->setHeaderHidden(true);
    TreeView3->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const QString &caption : {u"增加单据"_s, u"删除当前单据"_s, u"选择背景图片"_s}) {
        auto *item = new QAction(caption, TreeView3);
        TreeView3->addAction(item);
        layoutTreeActions_.insert(caption, item);
    }
    auto *canvasSide = new QWidget(designer);
    auto *canvasLayout = new QVBoxLayout(canvasSide);
    canvasLayout->setContentsMargins(0, 0, 0, 0);
    auto *offsets = new QHBoxLayout;
    offsets->addWidget(new QLabel(u"左边距"_s, canvasSide));
    Edit1 = named(new QLineEdit(u"0"_s, canvasSide), u"Edit1"_s);
    offsets->addWidget(Edit1);
    offsets->addWidget(new QLabel(u"上边距"_s, canvasSide));
    Edit2 = named(new QLineEdit(u"0"_s, canvasSide), u"Edit2"_s);
    offsets->addWidget(Edit2);
    offsets->addWidget(new QLabel(u"(0.1毫米)"_s, canvasSide));
    offsets->addStretch(1);
    canvasLayout->addLayout(offsets);
    ScrollBox2 = named(new QScrollArea(canvasSide), u"ScrollBox2"_s);
    ScrollBox2->setAlignment(Qt::AlignCenter);
    // The canvas is sized by the waybill layout it shows.
    Panel_xf = named(new print::LayoutCanvas, u"Panel_xf"_s);
    ScrollBox2->setWidget(Panel_xf);
    canvasLayout->addWidget(ScrollBox2, 1);
    designer->addWidget(TreeView3);
    designer->addWidget(canvasSide);
    designer->setStretchFactor(1, 1);
    designer->setSizes({160, 800});
    PageControl1->addTab(designer, u"快递单设置"_s);

    meGrid = named(createGrid(dm_.me, meModel, PageControl1), u"meGrid"_s);
    PageControl1->addTab(meGrid, u"发件人数据"_s);
    PageControl1->addTab(createLookupTab(dm_.hydm, hydmModel, hydmGrid, industrySearch, u"保存行业代码"_s),
                         u"行业代码"_s);
    PageControl1->addTab(createLookupTab(dm_.post, postModel, postGrid, postalSearch, u"保存邮政编码"_s),
                         u"邮编编码"_s);
    connect(PageControl1, &QTabWidget::currentChanged, this, &Tmain::PageControl1Change);
    layout->addWidget(PageControl1, 1);
    return khzl_Panel;
}

void Tmain::showStatus(const QString &text)
{
    StatusBar1->setText(StatusPanels::Message, text);
}

int Tmain::currentPageNumber() const
{
    return CurrentPage->value();
}

data::ClientDataSet *Tmain::tabDataSet(int tab) const
{
    switch (tab) {
    case SenderTab:
        return &dm_.me;
    case IndustryTab:
        return &dm_.hydm;
    case PostalTab:
        return &dm_.post;
    default:
        return &dm_.khzl;
    }
}

void Tmain::Show_Tishi_windows2(const QString &question)
{
    dm_.confirm(question);
}

void Tmain::kh_windowsClick()
{
    if (dm_.viewNumber == 1)
        return;
    LeftPanel->show();
    dm_.viewNumber = 1;
    khzl_Panel->show();
    ToolBar1->show();
    Splitter1->setSizes({leftPanelWidth, qMax(0, Splitter1->width() - leftPanelWidth - Splitter1->handleWidth())});
    emit directoryViewShown();
}

void Tmain::setRightsVisibility()
{
    const bool administrator = dm_.right(u"管理员"_s);
    for (const QString &caption : {u"权限管理"_s, u"设置数据查看权限"_s, u"查询访问记录"_s})
        action(caption)->setVisible(administrator);
    action(u"删除所有数据"_s)->setVisible(dm_.right(u"清空数据"_s));
    action(u"修改一列字段内容"_s)->setVisible(dm_.right(u"修改一列字段内容"_s));
}

void Tmain::setLoggedInCaption()
{
    setWindowTitle(state_.programTitle + u"[数据库："_s + state_.accountSet + u"]"_s + u" [当前用户："_s +
                   state_.loginUser + u"]"_s);
}

void Tmain::showInformationPage()
{
    const QString mail = QLatin1StringView(supportEmail);
    const QString web = QLatin1StringView(supportWebsite);
    webgd02->setHtml(
        u"<h3>%1</h3>"
        "<p>客户通讯录保存在服务器上：按页浏览、查找和编辑客户资料，"
        "按快递单、信封、标签和通讯录的格式打印。</p>"
        "<p><b>快捷键</b>：F1 单个字段查询；F2 综合查询；F4 显示所有数据；"
        "Ctrl+I 输入客户数据；Ctrl+Y 删除当前记录数据。</p>"
        "<p><b>技术支持</b>：邮箱 <a href=\"%2\">%3</a>；网站 <a href=\"%4\">%4</a></p>"_s.arg(
            windowCaption, mailUrl(), mail, web));
}

void Tmain::Show_All_dataClick()
{
    Timer1->start();
}

void Tmain::Timer1Timer()
{
    data::ClientDataSet &khzl = dm_.khzl;
    Timer1->stop();
    // A closed dataset has nothing left to fetch.
    if (!khzl.isActive() || khzl.recordCount() == dm_.totalRows) {
        showStatus(u"完成下载所有数据!"_s);
        return;
    }
    khzl.moveBy(fullDownloadStep);
    showStatus(u"正在下载所有数据...%1 条 记录!"_s.arg(khzl.recordCount()));
    if (khzl.eof())
        showStatus(u"完成下载所有数据!"_s);
    else
        Timer1->start();
}

void Tmain::PageControl1Change(int index)
{
    data::ClientDataSet *dataSet = tabDataSet(index);
    DBNavigator1->setDataSet(dataSet);
    if (dataSet->isActive()) {
        SearchField->clear();
        SearchField->addItems(dataSet->fieldNames());
        const bool directory = dataSet == &dm_.khzl;
        const qint64 position =
            directory ? qint64(currentPageNumber() - 1) * dm_.pageSize + dataSet->recNo() : dataSet->recNo();
        const qint64 total = directory ? dm_.totalRows : dataSet->recordCount();
        StatusBar1->setText(StatusPanels::Position, u"%1/%2"_s.arg(position).arg(total));
    }
    emit tabSwitched(index);
}

void Tmain::showAboutBox()
{
    TAboutBox box(state_.programTitle, this);
    box.exec();
}

} // namespace app
