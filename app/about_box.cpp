#include "app/about_box.h"

#include "app/prompt_service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

TAboutBox::TAboutBox(const QString &programTitle, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"关于软件"_s);
    setModal(true);

    auto *title = new QLabel(programTitle.trimmed(), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    for (const QString &line : {u"版本：%1"_s.arg(QLatin1StringView(programVersion)),
                                u"技术支持邮箱：%1"_s.arg(QLatin1StringView(supportEmail)),
                                u"技术支持网站：%1"_s.arg(QLatin1StringView(supportWebsite))}) {
        auto *label = new QLabel(line, this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }

    auto *ok = new QPushButton(u"确定"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addStretch();
    layout->addLayout(row);

    setFixedSize(qMax(360, layout->sizeHint().width()), layout->sizeHint().height());
    centreOnScreen(this);
}

} // namespace app
