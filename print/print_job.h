#pragma once
// Printer setup from a layout, the printer scale step, and print jobs of filled waybills.

#include "print/waybill_painter.h"
#include "waybill/waybill_fill.h"

#include <QString>
#include <functional>

class QPrinter;

namespace print {

// The paper a layout prints on, in 0.1 mm as the printer takes it: for vertical feed the length
// is the layout's length and the width its height, for horizontal feed the other way round.
struct Paper {
    waybill::Tenths length;
    waybill::Tenths width;
    waybill::Feed feed;
};
Paper paperFor(const waybill::WaybillLayout &layout);

// Custom paper (width × length) with the orientation of the feed: landscape for vertical feed.
// False when the printer takes no settings ("不能正确设置打印机！").
bool setPrinter1(QPrinter &printer, const Paper &paper);

// The printer scale step: the device's resolution now, and the offsets in force.
DeviceGeometry printfblvp(const QPrinter &printer, waybill::Tenths offsetX, waybill::Tenths offsetY);

// One print job: `pages` waybills, each filled by `fill(i)` and drawn on a page of its own.
// `fill` returns a message to stop the job with; the job then ends with the pages drawn so far.
struct JobResult {
    int pages = 0;
    QString error;
};
JobResult printWaybills(QPrinter &printer, waybill::WaybillLayout &layout, const QStringList &searchFields,
                        const DeviceGeometry &geometry, int pages, const std::function<std::optional<QString>(int)> &fill);

} // namespace print
