#include "waybill_painter.h"

#include "waybill/waybill_fill.h"
#include "waybill/waybill_layout.h"

#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>

namespace print {

using waybill::Millimetres;

DeviceGeometry DeviceGeometry::forDpi(int dpiX, int dpiY, waybill::Tenths offsetX, waybill::Tenths offsetY)
{
    return {offsetX, offsetY, waybill::PrinterScale::forDpi(dpiX), waybill::PrinterScale::forDpi(dpiY), double(dpiY)};
}

DeviceGeometry DeviceGeometry::forCanvas(const waybill::DesignerScale &scale)
{
    // Canvas fonts are round(size × scale / 3.78) points on a 96 dpi screen: within a rounding of
    // size points at scale × 25.4 dots per inch.
    const waybill::PrinterScale perMm(scale.pixelsPerMm());
    return {waybill::Tenths(0), waybill::Tenths(0), perMm, perMm, scale.pixelsPerMm() * 25.4};
}

QPoint DeviceGeometry::toDevice(double canvasX, double canvasY, const waybill::DesignerScale &scale) const
{
    const Millimetres x(canvasX / scale.pixelsPerMm() + offsetX.value() / 10.0);
    const Millimetres y(canvasY / scale.pixelsPerMm() + offsetY.value() / 10.0);
    return {horizontal.toDots(x), vertical.toDots(y)};
}

namespace {

class PagePainter {
public:
    PagePainter(QPainter &painter, const waybill::WaybillLayout &layout, const DeviceGeometry &geometry)
        : painter_(painter), layout_(layout), geometry_(geometry)
    {
    }

    // Fonts at the size stored in the layout, whatever the canvas shows.
    void useFont(const waybill::FontEntry &font)
    {
        QFont f(font.name);
        f.setPixelSize(std::max(1, waybill::roundHalfEven(font.pointSize * geometry_.dotsPerInch / 72.0)));
        painter_.setFont(f);
        painter_.setPen(font.colour);
        ascent_ = QFontMetrics(f, painter_.device()).ascent();
    }

    // `text` with its top-left corner at the canvas point.
    void text(double canvasX, double canvasY, const QString &text)
    {
        if (text.isEmpty())
            return;
        const QPoint at = geometry_.toDevice(canvasX, canvasY, layout_.scale());
        painter_.drawText(QPoint(at.x(), at.y() + ascent_), text);
    }

private:
    QPainter &painter_;
    const waybill::WaybillLayout &layout_;
    const DeviceGeometry &geometry_;
    int ascent_ = 0;
};

} // namespace

namespace {

void drawItems(QPainter &painter, const waybill::WaybillLayout &layout, const QStringList &searchFields,
               const DeviceGeometry &geometry, bool inEditor)
{
    using waybill::Side;
    PagePainter page(painter, layout, geometry);
    const double scale = layout.scale().pixelsPerMm();

    for (Side side : {Side::Recipient, Side::Sender}) {
        const auto &postal = layout.postal(side);
        if (!postal)
            continue;
        page.useFont(postal->font);
        const double spacing = layout.record().postalSpacing(side).value() * scale / 10.0;
        const QPoint first = postal->digitPos[0];
        for (int i = 0; i < 6; ++i) {
            if (inEditor && layout.postalFramesVisible()) {
                const QPoint at = geometry.toDevice(first.x() + i * spacing, first.y(), layout.scale());
                const int side = int(postal->font.pointSize * geometry.dotsPerInch / 72.0 * 1.3);
                painter.save();
                painter.setPen(QPen(Qt::red, 1));
                painter.drawRect(QRect(at - QPoint(side / 6, side / 6), QSize(side, side)));
                painter.restore();
            }
            page.text(first.x() + i * spacing, first.y(), postal->digits[size_t(i)]);
        }
    }

    for (const waybill::AmountBox &box : layout.amountBoxes()) {
        if (!box.visible)
            continue;
        page.useFont(layout.amountFont());
        page.text(box.pos.x(), box.pos.y(), box.text);
    }

    for (const waybill::SlotItem &slot : layout.slotItems(Side::Recipient)) {
        if (!slot.visible)
            continue;
        page.useFont(slot.font);
        if (inEditor || searchFields.contains(slot.column))
            page.text(slot.pos.x(), slot.pos.y(), slot.column == QStringLiteral("收") ? QStringLiteral("收") : slot.text);
        if (slot.continuationVisible)
            page.text(slot.continuationPos.x(), slot.continuationPos.y(), slot.continuationText);
    }

    for (const waybill::SlotItem &slot : layout.slotItems(Side::Sender)) {
        page.useFont(slot.font);
        page.text(slot.pos.x(), slot.pos.y(), slot.text);
        if (slot.continuationVisible)
            page.text(slot.continuationPos.x(), slot.continuationPos.y(), slot.continuationText);
    }

    for (const waybill::NoteArea &note : layout.notes()) {
        page.useFont(note.font);
        // The lines as the note's box shows them on the canvas: its text wrapped to the box width.
        QFont canvasFont(note.font.name);
        canvasFont.setPixelSize(std::max(1, waybill::canvasFontPixels(note.font.pointSize)));
        QStringList visual;
        for (const QString &line : note.lines)
            visual << (note.size.width() > 0 ? waybill::breakLines(line, canvasFont, note.size.width())
                                             : QStringList{line});
        for (int b = 0; b < visual.size(); ++b)
            page.text(note.pos.x(), note.pos.y() + b * (note.font.pointSize + 6), visual[b]);
    }

    const waybill::IconItem &icon = layout.icon();
    if (icon.shown && !icon.picture.isEmpty()) {
        QImageReader reader(icon.picture);
        const QImage picture = reader.read();
        if (!picture.isNull()) {
            const QPoint topLeft = geometry.toDevice(icon.rect.x(), icon.rect.y(), layout.scale());
            const QSize size(geometry.horizontal.toDots(Millimetres(icon.rect.width() / scale)),
                             geometry.vertical.toDots(Millimetres(icon.rect.height() / scale)));
            painter.drawImage(QRect(topLeft, size), picture);
        }
    }
}

} // namespace

void PrintTongXunAll_GuoChen(QPainter &painter, const waybill::WaybillLayout &layout, const QStringList &searchFields,
                             const DeviceGeometry &geometry)
{
    drawItems(painter, layout, searchFields, geometry, false);
}

void drawDesignerCanvas(QPainter &painter, const waybill::WaybillLayout &layout)
{
    const QRect canvas(QPoint(0, 0), layout.canvasSize());
    painter.fillRect(canvas, Qt::white);
    if (!layout.background().isNull())
        painter.drawImage(canvas, layout.background());
    drawItems(painter, layout, {}, DeviceGeometry::forCanvas(layout.scale()), true);
}

} // namespace print
