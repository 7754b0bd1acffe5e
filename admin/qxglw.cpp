#include "qxglw.h"

#include "account_rules.h"
#include "app/prompt_service.h"
#include "browse/grid_cursor.h"
#include "data/dataset_model.h"
#include "data/db_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

namespace admin {

using data::DBNavigator;

namespace {

const QStringList accountGridColumns{"用户名称", "所属组名", "查询宽度"};

QTreeWidget *newTree(const QString &command, QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    tree->addAction(new QAction(command, tree));
    return tree;
}

// Rebuilds a flat tree; the node named `current` is selected, or the last one.
void fillTree(QTreeWidget *tree, const QStringList &names, const QString &current)
{
    tree->clear();
    QTreeWidgetItem *selected = nullptr;
    for (const QString &name : names) {
        auto *item = new QTreeWidgetItem(tree, {name});
        if (!selected || selected->text(0) != current) // stays on `current` once reached
            selected = item;
    }
    if (selected)
        tree->setCurrentItem(selected);
}

DBNavigator *newNavigator(data::ClientDataSet *dataSet, QWidget *parent)
{
    auto *navigator = new DBNavigator(parent);
    navigator->setDataSet(dataSet);
    navigator->setVisibleButtons({DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last,
                                  DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Post,
                                  DBNavigator::Cancel});
    return navigator;
}

} // namespace

Tqxglw::Tqxglw(data::TDataModule1 &dm, QWidget *parent) : QDialog(parent), rights(dm), dm_(dm)
{
    setWindowTitle(QStringLiteral("组权限管理窗口"));

    auto *hint = new QLabel(
        QStringLiteral("提示：只能给相应的组名设置权限，然后用户属于相应的组就具有那个组的操作权限"), this);
    hint->setWordWrap(true);
    refreshButton = new QPushButton(QStringLiteral("刷新数据"), this);
    saveButton = new QPushButton(QStringLiteral("保存"), this);
    returnButton = new QPushButton(QStringLiteral("返回"), this);
    auto *top = new QHBoxLayout;
    top->addWidget(hint, 1);
    top->addWidget(refreshButton);
    top->addWidget(saveButton);
    top->addWidget(returnButton);

    groupTreeBox = new QGroupBox(QStringLiteral("组账户列表"), this);
    groupTree = newTree(QStringLiteral("刷新查询列表"), groupTreeBox);
    (new QVBoxLayout(groupTreeBox))->addWidget(groupTree);
    accountTreeBox = new QGroupBox(QStringLiteral("用户账号"), this);
    accountTree = newTree(QStringLiteral("刷新用户账户"), accountTreeBox);
    (new QVBoxLayout(accountTreeBox))->addWidget(accountTree);
    groupTreeBox->setFixedWidth(170);
    accountTreeBox->setFixedWidth(170);
    auto *left = new QVBoxLayout;
    left->addWidget(groupTreeBox);
    left->addWidget(accountTreeBox);

    groupName = new data::DBLineEdit(&dm.ygzm, QStringLiteral("组名"), this);
    administrator = new QCheckBox(AdministratorRight, this);
    groupNavigator = newNavigator(&dm.ygzm, this);
    groupPosition = new QLabel(this);
    auto *groupEditor = new QHBoxLayout;
    groupEditor->addWidget(new QLabel(QStringLiteral("组名"), this));
    groupEditor->addWidget(groupName, 1);
    groupEditor->addWidget(administrator);
    groupEditor->addWidget(groupNavigator);
    groupEditor->addWidget(groupPosition);

    tabs = new QTabWidget(this);
    tabs->addTab(rightsTab(), QStringLiteral("客户"));
    tabs->addTab(tablesTab(), QStringLiteral("表文件权限"));

    userName = new data::DBLineEdit(&dm.ygzh, QStringLiteral("用户名称"), this);
    password = new data::DBLineEdit(&dm.ygzh, QStringLiteral("密码"), this);
    userGroup = new data::DBComboBox(&dm.ygzh, QStringLiteral("所属组名"), this);
    accountNavigator = newNavigator(&dm.ygzh, this);
    auto *accountEditor = new QGridLayout;
    accountEditor->addWidget(new QLabel(QStringLiteral("用户名称"), this), 0, 0);
    accountEditor->addWidget(userName, 0, 1);
    accountEditor->addWidget(new QLabel(QStringLiteral("密码"), this), 0, 2);
    accountEditor->addWidget(password, 0, 3);
    accountEditor->addWidget(new QLabel(QStringLiteral("所属组名"), this), 1, 0);
    accountEditor->addWidget(userGroup, 1, 1);
    accountEditor->addWidget(accountNavigator, 1, 2, 1, 2);

    accountGrid = new QTableView(this);
    auto *model = new data::DataSetModel(&dm.ygzh, accountGrid);
    accountGrid->setModel(model);
    accountGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    accountGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    new browse::GridCursor(accountGrid, model);
    auto layOutGrid = [this, model] {
        for (int c = 0; c < model->columnCount(); ++c) {
            const bool shown = accountGridColumns.contains(model->dataSet()->fields()[size_t(c)].name);
            accountGrid->setColumnHidden(c, !shown);
            if (shown)
                accountGrid->setColumnWidth(c, 100);
        }
    };
    connect(model, &QAbstractItemModel::modelReset, this, layOutGrid);

    auto *right = new QVBoxLayout;
    right->addLayout(groupEditor);
    right->addWidget(tabs);
    right->addLayout(accountEditor);
    right->addWidget(accountGrid, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addLayout(body, 1);

    // Enter in an editor must not press a button.
    for (QPushButton *b : {refreshButton, saveButton, returnButton, saveTableRightsButton})
        b->setAutoDefault(false);
    setFixedSize(704, 616);
    app::centreOnScreen(this);

    connect(refreshButton, &QPushButton::clicked, &rights, &GroupRights::refreshData);
    connect(saveButton, &QPushButton::clicked, &rights, &GroupRights::save);
    connect(returnButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(groupTree->actions().first(), &QAction::triggered, &rights, &GroupRights::rebuildGroupList);
    connect(accountTree->actions().first(), &QAction::triggered, &rights, &GroupRights::rebuildAccountList);
    connect(groupTree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { rights.clickGroup(item->text(0)); });
    connect(accountTree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { rights.clickAccount(item->text(0)); });
    connect(administrator, &QCheckBox::clicked, this,
            [this](bool on) { rights.setRight(AdministratorRight, on); });
    connect(&rights, &GroupRights::groupListChanged, this, &Tqxglw::fillGroupTree);
    connect(&rights, &GroupRights::accountListChanged, this, &Tqxglw::fillAccountTree);
    connect(&rights, &GroupRights::accessibleTablesChanged, this, &Tqxglw::fillAccessibleTables);
    connect(&dm.ygzm, &data::ClientDataSet::reset, this, &Tqxglw::showGroup);
    connect(&dm.ygzm, &data::ClientDataSet::currentChanged, this, &Tqxglw::showGroup);
    connect(&dm.ygzm, &data::ClientDataSet::rowChanged, this, &Tqxglw::showGroup);
    connect(&dm.ygzm, &data::ClientDataSet::rowRemoved, this, &Tqxglw::showGroup);
    connect(&dm.ygzm, &data::ClientDataSet::rowInserted, this, &Tqxglw::showGroup);

    rights.loadAllTables();
    allTables->addItems(rights.allTables());
    layOutGrid();
    showGroup();
}

QWidget *Tqxglw::rightsTab()
{
    auto *tab = new QWidget(this);
    auto *grid = new QGridLayout(tab);
    const QStringList &columns = groupRightColumns();
    for (int i = 0; i < columns.size(); ++i) {
        auto *box = new QCheckBox(columns[i], tab);
        connect(box, &QCheckBox::clicked, this, [this, box](bool on) { rights.setRight(box->text(), on); });
        grid->addWidget(box, i / 4, i % 4);
        rightBoxes << box;
    }
    secrecy = new QSpinBox(tab);
    secrecy->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    connect(secrecy, &QSpinBox::valueChanged, this, [this](int level) { rights.setSecrecy(level); });
    const int row = int(columns.size() + 3) / 4;
    grid->addWidget(new QLabel(QStringLiteral("查看密级"), tab), row, 0);
    grid->addWidget(secrecy, row, 1);
    return tab;
}

QWidget *Tqxglw::tablesTab()
{
    auto *tab = new QWidget(this);
    allTables = new QListWidget(tab);
    accessibleTables = new QListWidget(tab);
    saveTableRightsButton = new QPushButton(QStringLiteral("保存表权限"), tab);
    auto *grid = new QGridLayout(tab);
    grid->addWidget(new QLabel(QStringLiteral("所有表文件"), tab), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("可访问表文件"), tab), 0, 1);
    grid->addWidget(allTables, 1, 0);
    grid->addWidget(accessibleTables, 1, 1);
    auto *note = new QVBoxLayout;
    note->addWidget(new QLabel(QStringLiteral("提示："), tab));
    note->addWidget(new QLabel(QStringLiteral("双击鼠标左键可选择和删除"), tab));
    note->addStretch();
    note->addWidget(saveTableRightsButton);
    grid->addLayout(note, 1, 2);
    connect(allTables, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { rights.addTable(item->text()); });
    connect(accessibleTables, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { rights.removeTable(item->text()); });
    connect(saveTableRightsButton, &QPushButton::clicked, &rights, &GroupRights::saveTableRights);
    return tab;
}

void Tqxglw::showGroup()
{
    administrator->setChecked(rights.groupRight(AdministratorRight));
    for (QCheckBox *box : rightBoxes)
        box->setChecked(rights.groupRight(box->text()));
    const QSignalBlocker quiet(secrecy);
    secrecy->setValue(rights.secrecy());
    groupPosition->setText(rights.groupPosition());
}

void Tqxglw::fillGroupTree()
{
    const QStringList &names = rights.groupNames();
    fillTree(groupTree, names, rights.selectedGroup());
    groupTreeBox->setTitle(QStringLiteral("组账号%1个").arg(names.size()));
    const QString shown = userGroup->currentText();
    userGroup->clear();
    userGroup->addItems(names);
    userGroup->setEditText(shown);
}

void Tqxglw::fillAccountTree()
{
    const QStringList &names = rights.accountNames();
    fillTree(accountTree, names, {});
    accountTreeBox->setTitle(QStringLiteral("用户账号%1个").arg(names.size()));
}

void Tqxglw::fillAccessibleTables()
{
    accessibleTables->clear();
    accessibleTables->addItems(rights.accessibleTables());
}

void Tqxglw::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        rights.refreshData();
    }
}

void Tqxglw::done(int result)
{
    rights.close();
    QDialog::done(result);
}

void runGroupRights(data::TDataModule1 &dm, QWidget *parent)
{
    if (!dm.right(AdministratorRight))
        return;
    Tqxglw window(dm, parent);
    window.exec();
}

} // namespace admin
