#include "layout_canvas.h"

#include "waybill_painter.h"
#include "waybill/waybill_layout.h"

#include <QPainter>

namespace print {

LayoutCanvas::LayoutCanvas(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(false);
}

void LayoutCanvas::setLayout(const waybill::WaybillLayout *layout)
{
    layout_ = layout;
    layoutChanged();
}

void LayoutCanvas::layoutChanged()
{
    if (layout_ && layout_->canvasSize().isValid())
        setFixedSize(layout_->canvasSize());
    update();
}

void LayoutCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!layout_) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawDesignerCanvas(painter, *layout_);
}

} // namespace print
