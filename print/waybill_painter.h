#pragma once
// The one drawing routine of a filled waybill: the printer, PDF files and previews all call it
// with their own device scale, so what is previewed is what prints.

#include "waybill/units.h"

#include <QPoint>
#include <QStringList>

class QPainter;

namespace waybill {
class WaybillLayout;
}

namespace print {

// Where a page lands on a device: the whole-print offsets and the device's dots per millimetre
// and per inch (fonts keep their point size on every device).
struct DeviceGeometry {
    waybill::Tenths offsetX{0};
    waybill::Tenths offsetY{0};
    waybill::PrinterScale horizontal{waybill::PrinterScale::forDpi(600)};
    waybill::PrinterScale vertical{waybill::PrinterScale::forDpi(600)};
    double dotsPerInch = 600;

    // The printer scale step: dpi ÷ 180 × 7.1 in each direction.
    static DeviceGeometry forDpi(int dpiX, int dpiY, waybill::Tenths offsetX, waybill::Tenths offsetY);
    // The designer canvas itself: one device dot per canvas pixel, no offsets.
    static DeviceGeometry forCanvas(const waybill::DesignerScale &scale);
    // A canvas point to device dots.
    QPoint toDevice(double canvasX, double canvasY, const waybill::DesignerScale &scale) const;
};

// Draws the filled layout on a page already begun: postal codes, amount boxes, recipient and
// sender slots, notes and the icon, never the background picture. `searchFields` is the main
// window's search field list: recipient slots bound to other columns print only their
// continuation lines.
void PrintTongXunAll_GuoChen(QPainter &painter, const waybill::WaybillLayout &layout, const QStringList &searchFields,
                             const DeviceGeometry &geometry);

// The designer's view of the same items: the background picture and the postal-code frames
// under them, and every slot whatever the search field list holds. Never reaches paper.
void drawDesignerCanvas(QPainter &painter, const waybill::WaybillLayout &layout);

} // namespace print
