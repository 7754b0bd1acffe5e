#include "app/prompt_box_layout.h"

#include "app/prompt_service.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

void layoutPromptBox(QDialog *box, const QString &text, const QList<QPushButton *> &buttons)
{
    box->setModal(true);
    auto *message = new QLabel(text, box);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    QFont font = message->font();
    font.setPointSize(14);
    message->setFont(font);
    QPalette palette = message->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    message->setPalette(palette);

    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    row->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(message, 1);
    layout->addLayout(row);

    // Long messages grow the box downwards; the user cannot resize it.
    const int width = 400;
    box->setFixedSize(width, qMax(150, layout->totalHeightForWidth(width)));
    centreOnScreen(box);
}

} // namespace app
