#include "print_job.h"

#include "waybill/waybill_layout.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace print {

Paper paperFor(const waybill::WaybillLayout &layout)
{
    if (layout.feed() == waybill::Feed::Vertical)
        return {layout.length(), layout.height(), waybill::Feed::Vertical};
    return {layout.height(), layout.length(), waybill::Feed::Horizontal};
}

bool setPrinter1(QPrinter &printer, const Paper &paper)
{
    if (!printer.isValid())
        return false;
    const QPageSize size(QSizeF(paper.width.value() / 10.0, paper.length.value() / 10.0), QPageSize::Millimeter,
                         QStringLiteral("Velbor"), QPageSize::ExactMatch);
    const auto orientation =
        paper.feed == waybill::Feed::Vertical ? QPageLayout::Landscape : QPageLayout::Portrait;
    // The offsets stand in for the printer's unprintable margin, so the page has none.
    printer.setFullPage(true);
    return printer.setPageLayout(QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

DeviceGeometry printfblvp(const QPrinter &printer, waybill::Tenths offsetX, waybill::Tenths offsetY)
{
    return DeviceGeometry::forDpi(printer.logicalDpiX(), printer.logicalDpiY(), offsetX, offsetY);
}

JobResult printWaybills(QPrinter &printer, waybill::WaybillLayout &layout, const QStringList &searchFields,
                        const DeviceGeometry &geometry, int pages, const std::function<std::optional<QString>(int)> &fill)
{
    JobResult result;
    QPainter painter;
    for (int i = 0; i < pages; ++i) {
        // Filled before the job begins, so a failing first fill prints nothing at all.
        if (const std::optional<QString> stop = fill(i)) {
            result.error = *stop;
            break;
        }
        if (i == 0 && !painter.begin(&printer)) {
            result.error = QStringLiteral("不能开始打印: %1")
                               .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName());
            return result;
        }
        if (i > 0)
            printer.newPage();
        PrintTongXunAll_GuoChen(painter, layout, searchFields, geometry);
        ++result.pages;
    }
    if (painter.isActive())
        painter.end();
    return result;
}

} // namespace print
