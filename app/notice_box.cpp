#include "app/notice_box.h"

#include "app/prompt_box_layout.h"

#include <QPushButton>

namespace app {

TNoticeBox::TNoticeBox(const QString &text, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("软件提示"));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layoutPromptBox(this, text, {ok});
}

} // namespace app
