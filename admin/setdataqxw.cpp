#include "setdataqxw.h"

#include "account_rules.h"
#include "app/prompt_service.h"
#include "browse/table_browser.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace admin {

Tsetdataqxw::Tsetdataqxw(data::TDataModule1 &dm, const QStringList &queryText, QWidget *parent)
    : QDialog(parent), rights(dm, queryText)
{
    setWindowTitle(QStringLiteral("设置数据查看权限"));
    viewRights = new QLineEdit(this);
    groupList = new QListWidget(this);
    changeAllButton = new QPushButton(QStringLiteral("更改所有"), this);
    changeCurrentButton = new QPushButton(QStringLiteral("更改当前"), this);
    returnButton = new QPushButton(QStringLiteral("返回"), this);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(changeAllButton);
    buttons->addWidget(changeCurrentButton);
    buttons->addWidget(returnButton);
    buttons->addStretch();
    auto *notes = new QVBoxLayout;
    notes->addWidget(new QLabel(QStringLiteral("注意："), this));
    notes->addWidget(new QLabel(QStringLiteral("数据修改后，不可恢复！"), this));
    notes->addWidget(new QLabel(QStringLiteral("修改针对当前显示所有数据"), this));
    notes->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("查看权限"), this), 0, 0);
    grid->addWidget(viewRights, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("组列表"), this), 1, 0);
    grid->addWidget(groupList, 2, 0, 1, 2);
    grid->addLayout(notes, 2, 2);
    grid->addLayout(buttons, 0, 3, 3, 1);
    grid->setColumnStretch(1, 1);

    // Enter in the text box must not press a button.
    for (QPushButton *b : {changeAllButton, changeCurrentButton, returnButton})
        b->setAutoDefault(false);
    setFixedSize(524, 229);
    app::centreOnScreen(this);

    connect(viewRights, &QLineEdit::textEdited, this, [this](const QString &text) { rights.text = text; });
    connect(groupList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        rights.pick(item->text());
        viewRights->setText(rights.text);
    });
    connect(changeCurrentButton, &QPushButton::clicked, this, [this] { rights.changeCurrent(); });
    connect(changeAllButton, &QPushButton::clicked, this, [this] { rights.changeAll(); });
    connect(returnButton, &QPushButton::clicked, this, &QDialog::accept);
}

void Tsetdataqxw::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    rights.load();
    groupList->clear();
    groupList->addItems(rights.groups());
    viewRights->setText(rights.text);
}

void runDataViewRights(data::TDataModule1 &dm, const browse::TableBrowser &browser, QWidget *parent)
{
    if (!dm.right(AdministratorRight))
        return;
    Tsetdataqxw dialog(dm, browser.currentQueryText, parent);
    dialog.exec();
}

} // namespace admin
