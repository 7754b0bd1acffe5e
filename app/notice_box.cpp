#include "app/notice_box.h"

#include "app/prompt_service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TNoticeBox::TNoticeBox(const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("软件提示"));
    setModal(true);

    auto *message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    QFont font = message->font();
    font.setPointSize(14);
    message->setFont(font);
    QPalette palette = message->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    message->setPalette(palette);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message, 1);
    layout->addLayout(buttons);

    // Long messages grow the box downwards; the user cannot resize it.
    const int width = 400;
    setFixedSize(width, qMax(150, layout->totalHeightForWidth(width)));
    centreOnScreen(this);
}

} // namespace app
