// The waybill print engine and velbor-print, checked on real PDF output read back with poppler.

#include "app/list_file.h"
#include "print/fonts.h"
#include "print/print_job.h"
#include "waybill/record_source.h"
#include "waybill/waybill_layout.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace waybill;

namespace {

struct Word {
    QString text;
    double xMin, yMin;
};

QList<Word> wordsOf(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", pdf, "-"});
    p.waitForFinished(30000);
    static const QRegularExpression word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>");
    QList<Word> words;
    for (const auto &m : word.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
        words.append({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    return words;
}

std::optional<Word> find(const QList<Word> &words, const QString &text)
{
    for (const Word &w : words)
        if (w.text == text)
            return w;
    return std::nullopt;
}

QString tool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Millimetres on the page to PDF points.
double points(double mm) { return mm / 25.4 * 72.0; }

// A printer position in mm for a canvas position at scale 3.78: the printer scale makes every
// length 25.4 / 25.352 of what it stands for.
double printedMm(double canvasPx, double offsetTenths)
{
    return (canvasPx / 3.78 + offsetTenths / 10.0) * 25.4 / 25.352;
}

} // namespace

class TestPrintEngine : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    app::ProgramFolder folder_{home_.path()};
    const QString name_ = QStringLiteral("测试标签");

    // The layout 测试标签: slot 公司名称 at canvas (378, 100), slot 收, a sender slot, a three-line note
    // at 12 points and an icon; 2100 × 1000 tenths in the given feed.
    void writeLayout(Feed feed, int length, int height, bool iconShown)
    {
        LayoutRecord r;
        r.setLength(Tenths(length));
        r.setHeight(Tenths(height));
        r.setFeed(feed);
        r.setSlotCount(Side::Recipient, 2);
        r.setSlotColumn(Side::Recipient, 1, "公司名称");
        r.setSlotPos(Side::Recipient, 1, QPoint(378, 100));
        r.setSlotFont(Side::Recipient, 1, {"宋体", 12, QColor(Qt::black)});
        r.setSlotColumn(Side::Recipient, 2, "收");
        r.setSlotPos(Side::Recipient, 2, QPoint(600, 100));
        r.setSlotFont(Side::Recipient, 2, {"宋体", 12, QColor(Qt::black)});
        r.setSlotCount(Side::Sender, 1);
        r.setSlotColumn(Side::Sender, 1, "寄件人");
        r.setSlotPos(Side::Sender, 1, QPoint(100, 300));
        r.setSlotFont(Side::Sender, 1, {"宋体", 12, QColor(Qt::black)});
        r.setNoteCount(1);
        r.setNotePos(1, QPoint(100, 200));
        r.setNoteSize(1, QSize(300, 80));
        r.setNoteFont(1, {"宋体", 12, QColor(Qt::black)});
        r.setIconShown(iconShown);
        r.setIconRect(QRect(500, 200, 76, 76));
        QString error;
        QVERIFY(r.writeFile(folder_.layouts() + name_ + ".cs", &error));
        QVERIFY(app::writeListFile(folder_.layouts() + name_ + "-1.留言", {"备注A", "备注B", "备注C 很长很长很长很长很长很长很长很长很长很长很长很长很长很长的一句 末尾"}));
    }

    // Prints one waybill of 测试标签 to a PDF file and returns its path.
    QString printPdf(int dpi, int offsetX, const QStringList &searchFields = {"公司名称", "收"},
                     const std::function<void(WaybillLayout &)> &afterFill = {})
    {
        WaybillLayout layout(folder_);
        [&] { QVERIFY(layout.openByName(name_)); }();
        const MapRecord recipient({{"公司名称", "公司甲"}, {"收", "某某"}});
        const MapRecord sender({{"寄件人", "寄件者"}});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = home_.filePath(QStringLiteral("out-%1-%2.pdf").arg(dpi).arg(offsetX));
        printer.setOutputFileName(path);
        printer.setResolution(dpi);
        [&] { QVERIFY(print::setPrinter1(printer, print::paperFor(layout))); }();
        const print::DeviceGeometry geometry = print::printfblvp(printer, Tenths(offsetX), Tenths(0));
        const print::JobResult result = print::printWaybills(printer, layout, searchFields, geometry, 1, [&](int) {
            auto stop = SetKhZl_To_TongXunDanJu(layout, FillInput{&recipient, &sender, searchFields, QDateTime::currentDateTime()});
            if (afterFill)
                afterFill(layout);
            return stop;
        });
        [&] { QCOMPARE(result.error, QString()); }();
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        print::installSongSubstitution();
        QVERIFY(folder_.ensure());
        QVERIFY(app::writeListFile(folder_.settings() + "xinfeng_TreeView.List", {name_, "第二个"}));
        QImage icon(20, 20, QImage::Format_RGB32);
        icon.fill(Qt::red);
        QVERIFY(icon.save(folder_.path("icon.jpg")));
        QVERIFY(app::writeSingleValue(folder_.settings() + "tubiaoName", folder_.path("icon.jpg")));
        writeLayout(Feed::Horizontal, 2100, 1000, false);
    }

    void positions_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("offsetX");
        QTest::newRow("600 dpi") << 600 << 0;
        QTest::newRow("300 dpi") << 300 << 0;
        QTest::newRow("offset -15 at 600 dpi") << 600 << -15;
        QTest::newRow("offset 25 at 300 dpi") << 300 << 25;
    }

    void positions()
    {
        QFETCH(int, dpi);
        QFETCH(int, offsetX);
        const QList<Word> words = wordsOf(printPdf(dpi, offsetX));
        const auto company = find(words, "公司甲");
        QVERIFY(company);
        // Within one printer dot of 100 mm × 25.4 / 25.352 plus the offset.
        const double dot = 72.0 / dpi;
        QVERIFY2(std::abs(company->xMin - points(printedMm(378, offsetX))) <= dot + 0.01,
                 qPrintable(QString::number(company->xMin)));
        QVERIFY(std::abs(company->yMin - points(printedMm(100, 0))) <= 1.5);
        QVERIFY(find(words, "收"));   // the slot bound to 收 prints 收, not the record's value
        QVERIFY(!find(words, "某某"));
        QVERIFY(find(words, "寄件者"));

        // The three note lines are 12 + 6 = 18 canvas pixels apart.
        const auto first = find(words, "备注A");
        const auto second = find(words, "备注B");
        QVERIFY(first && second && find(words, "备注C"));
        QVERIFY(std::abs((second->yMin - first->yMin) - points(18 / 3.78 * 25.4 / 25.352)) <= 2 * dot + 0.01);
        // A line wider than the note's box goes on as the box wraps it.
        const auto wrapped = find(words, "末尾");
        QVERIFY(wrapped);
        QVERIFY(std::abs(wrapped->yMin - (find(words, "备注C")->yMin + points(18 / 3.78 * 25.4 / 25.352))) <= 2 * dot + 0.01);
    }

    void slotOutsideTheSearchFieldsPrintsOnlyItsContinuation()
    {
        const QList<Word> words = wordsOf(printPdf(600, 0, {"收"}, [](WaybillLayout &layout) {
            SlotItem &slot = layout.slotItems(Side::Recipient)[0];
            slot.continuationText = "续写";
            slot.continuationVisible = true;
            slot.continuationPos = slot.pos + QPoint(0, 40);
        }));
        QVERIFY(!find(words, "公司甲"));
        QVERIFY(find(words, "续写"));
    }

    void icon()
    {
        QVERIFY(tool("pdfimages", {"-list", printPdf(300, 0)}).count("\n") <= 2); // header lines only
        writeLayout(Feed::Horizontal, 2100, 1000, true);
        QVERIFY(tool("pdfimages", {"-list", printPdf(300, 1)}).count("\n") >= 3);
        writeLayout(Feed::Horizontal, 2100, 1000, false);
    }

    void paper_data()
    {
        QTest::addColumn<int>("feed");
        QTest::addColumn<QString>("size");
        QTest::newRow("vertical feed: landscape 220 × 110 mm") << int(Feed::Vertical) << "624 x 312 pts";
        QTest::newRow("horizontal feed: 220 × 110 mm upright") << int(Feed::Horizontal) << "624 x 312 pts";
    }

    void paper()
    {
        QFETCH(int, feed);
        QFETCH(QString, size);
        writeLayout(Feed(feed), 2200, 1100, false);
        const QString info = tool("pdfinfo", {printPdf(300, 2)});
        writeLayout(Feed::Horizontal, 2100, 1000, false);
        QVERIFY2(info.contains(size), qPrintable(info));
    }

    void velborPrint_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("pages");
        QTest::newRow("three records") << QStringList{"--layout", "测试标签", "--records", "records.json", "--pdf", "ok.pdf"}
                                       << 0 << "3";
        QTest::newRow("unknown layout") << QStringList{"--layout", "没有", "--records", "records.json", "--pdf", "x.pdf"}
                                        << 1 << "";
        QTest::newRow("malformed JSON") << QStringList{"--layout", "测试标签", "--records", "bad.json", "--pdf", "x.pdf"}
                                        << 1 << "";
        QTest::newRow("unwritable output")
            << QStringList{"--layout", "测试标签", "--records", "records.json", "--pdf", "/nonexistent/dir/x.pdf"} << 1 << "";
    }

    void velborPrint()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, pages);
        QFile records(home_.filePath("records.json"));
        QVERIFY(records.open(QIODevice::WriteOnly));
        records.write("[{\"公司名称\": \"甲\"}, {\"公司名称\": \"乙\"}, {\"公司名称\": \"丙\"}]");
        records.close();
        QFile bad(home_.filePath("bad.json"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("[{\"公司名称\": ");
        bad.close();

        QProcess p;
        p.setWorkingDirectory(home_.path());
        p.start(VELBOR_PRINT_PATH, QStringList{"--home", home_.path()} + arguments);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), status);
        if (status != 0) {
            QVERIFY(!p.readAllStandardError().isEmpty());
            return;
        }
        const QString info = tool("pdfinfo", {home_.filePath("ok.pdf")});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+" + pages)), qPrintable(info));
    }
};

QTEST_MAIN(TestPrintEngine)
#include "tst_print_engine.moc"
