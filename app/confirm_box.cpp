#include "app/confirm_box.h"

#include "app/prompt_box_layout.h"

#include <QPushButton>

namespace app {

TConfirmBox::TConfirmBox(const QString &question, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("提示窗口"));
    auto *yes = new QPushButton(QStringLiteral("是"), this);
    yes->setObjectName(QStringLiteral("yes"));
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    auto *no = new QPushButton(QStringLiteral("否"), this);
    no->setObjectName(QStringLiteral("no"));
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    layoutPromptBox(this, question, {yes, no});
}

} // namespace app
