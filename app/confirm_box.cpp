#include "app/confirm_box.h"

#include "app/prompt_service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TConfirmBox::TConfirmBox(const QString &question, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("提示窗口"));
    setModal(true);

    auto *message = new QLabel(question, this);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    QFont font = message->font();
    font.setPointSize(14);
    message->setFont(font);
    QPalette palette = message->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    message->setPalette(palette);

    auto *yes = new QPushButton(QStringLiteral("是"), this);
    yes->setObjectName(QStringLiteral("yes"));
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    auto *no = new QPushButton(QStringLiteral("否"), this);
    no->setObjectName(QStringLiteral("no"));
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message, 1);
    layout->addLayout(buttons);

    const int width = 400;
    setFixedSize(width, qMax(150, layout->totalHeightForWidth(width)));
    centreOnScreen(this);
}

} // namespace app
