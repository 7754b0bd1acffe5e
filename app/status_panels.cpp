#include "app/status_panels.h"

#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace app {

StatusPanels::StatusPanels(QWidget *parent) : QWidget(parent)
{
    // 0 marks the message panel, which stretches.
    static constexpr int widths[Count] = {50, 0, 40, 150, 40, 128};
    const QString captions[Count] = {u"提示"_s, {}, u"记录"_s, {}, u"时间"_s, {}};

    auto *layout = new QHBoxLayout(this);
    // No spacing or margins: the message panel gets exactly the width the others leave.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < Count; ++i) {
        auto *panel = new QLabel(captions[i], this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (widths[i] > 0) {
            panel->setFixedWidth(widths[i]);
            layout->addWidget(panel);
        } else {
            // A long message must not widen the bar.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            layout->addWidget(panel, 1);
        }
        panels_[size_t(i)] = panel;
    }
}

void StatusPanels::setText(int panel, const QString &text)
{
    QLabel *label = panels_.at(size_t(panel));
    label->setText(text);
    label->repaint();
}

QString StatusPanels::text(int panel) const
{
    return panels_.at(size_t(panel))->text();
}

int StatusPanels::panelWidth(int panel) const
{
    return panels_.at(size_t(panel))->width();
}

} // namespace app
