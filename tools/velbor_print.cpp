// velbor-print: fills a waybill layout from records and prints it to a printer or a PDF file,
// through the same fill and drawing code as the client.

#include "print/fonts.h"
#include "print/print_job.h"
#include "waybill/record_source.h"
#include "waybill/waybill_layout.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <cstdio>
#include <malloc.h>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "velbor-print: %s\n", qPrintable(message));
    return 1;
}

std::optional<QJsonDocument> readJson(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("%1 is not valid JSON: %2 (at byte %3)")
                     .arg(path, parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    return doc;
}

bool parseTenths(const QString &text, std::optional<waybill::Tenths> &out)
{
    if (text.isEmpty())
        return true;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        out = waybill::Tenths(value);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // The PDF writer compresses every page through fresh zlib buffers; keeping freed memory in the
    // heap spares the kernel zeroing those pages again for each waybill.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    print::installSongSubstitution();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints waybills of a Velbor layout from JSON records."));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("The program folder."), QStringLiteral("DIR"));
    const QCommandLineOption layoutName(QStringLiteral("layout"), QStringLiteral("The layout."), QStringLiteral("NAME"));
    const QCommandLineOption records(QStringLiteral("records"), QStringLiteral("A JSON object or array of objects."),
                                     QStringLiteral("FILE.json"));
    const QCommandLineOption sender(QStringLiteral("sender"), QStringLiteral("The sender, one JSON object."),
                                    QStringLiteral("FILE.json"));
    const QCommandLineOption offsetX(QStringLiteral("offset-x"), QStringLiteral("Horizontal offset, 0.1 mm."),
                                     QStringLiteral("N"));
    const QCommandLineOption offsetY(QStringLiteral("offset-y"), QStringLiteral("Vertical offset, 0.1 mm."),
                                     QStringLiteral("N"));
    const QCommandLineOption dpi(QStringLiteral("dpi"), QStringLiteral("Resolution of PDF output."), QStringLiteral("N"),
                                 QStringLiteral("600"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Write a PDF file."), QStringLiteral("OUT.pdf"));
    const QCommandLineOption printerName(QStringLiteral("printer"), QStringLiteral("Print on this printer."),
                                         QStringLiteral("NAME"));
    parser.addOptions({home, layoutName, records, sender, offsetX, offsetY, dpi, pdf, printerName});
    parser.process(app);

    if (!parser.isSet(home) || !parser.isSet(layoutName) || !parser.isSet(records) ||
        parser.isSet(pdf) == parser.isSet(printerName))
        return fail(QStringLiteral("needs --home, --layout, --records and one of --pdf or --printer (see --help)"));

    std::optional<waybill::Tenths> dx, dy;
    if (!parseTenths(parser.value(offsetX), dx) || !parseTenths(parser.value(offsetY), dy))
        return fail(QStringLiteral("--offset-x and --offset-y take whole numbers of 0.1 mm"));
    bool dpiOk = false;
    const int resolution = parser.value(dpi).toInt(&dpiOk);
    if (!dpiOk || resolution < 72 || resolution > 4800)
        return fail(QStringLiteral("--dpi takes a resolution between 72 and 4800"));

    QString error;
    const auto recordsDoc = readJson(parser.value(records), &error);
    if (!recordsDoc)
        return fail(error);
    // Records stay in the JSON array and become maps one page at a time, so memory does not grow
    // with the job.
    const QJsonArray rows = recordsDoc->isObject() ? QJsonArray{recordsDoc->object()} : recordsDoc->array();
    for (const QJsonValue &v : rows)
        if (!v.isObject())
            return fail(QStringLiteral("%1: every record must be a JSON object").arg(parser.value(records)));
    std::optional<waybill::MapRecord> senderRecord;
    if (parser.isSet(sender)) {
        const auto senderDoc = readJson(parser.value(sender), &error);
        if (!senderDoc)
            return fail(error);
        if (!senderDoc->isObject())
            return fail(QStringLiteral("%1: the sender must be one JSON object").arg(parser.value(sender)));
        senderRecord.emplace(senderDoc->object().toVariantMap());
    }

    const app::ProgramFolder folder(parser.value(home));
    waybill::WaybillLayout layout(folder);
    if (!layout.openByName(parser.value(layoutName)))
        return fail(QStringLiteral("no layout named %1 in %2").arg(parser.value(layoutName), folder.root()));

    QPrinter printer(QPrinter::HighResolution);
    if (parser.isSet(pdf)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(parser.value(pdf));
        printer.setResolution(resolution);
    } else {
        printer.setPrinterName(parser.value(printerName));
        if (!printer.isValid())
            return fail(QStringLiteral("no printer named %1").arg(parser.value(printerName)));
    }
    if (!print::setPrinter1(printer, print::paperFor(layout)))
        return fail(QStringLiteral("不能正确设置打印机！"));
    const print::DeviceGeometry geometry = print::printfblvp(printer, dx.value_or(layout.record().offsetX()),
                                                             dy.value_or(layout.record().offsetY()));

    const QDateTime now = QDateTime::currentDateTime();
    std::optional<waybill::MapRecord> current;
    QStringList fields;
    const print::JobResult result =
        print::printWaybills(printer, layout, fields, geometry, int(rows.size()), [&](int i) {
            current.emplace(rows.at(i).toObject().toVariantMap());
            fields = current->fieldNames();
            return waybill::SetKhZl_To_TongXunDanJu(
                layout, waybill::FillInput{&*current, senderRecord ? &*senderRecord : nullptr, fields, now});
        });
    if (!result.error.isEmpty())
        return fail(result.error);
    std::printf("%d waybill%s printed\n", result.pages, result.pages == 1 ? "" : "s");
    return 0;
}
