// velbor-print throughput: 1,000 and 10,000 waybills of a realistic layout into one PDF, the
// whole process timed, with its peak memory. `bench_print DIR` keeps the program folder in DIR
// (a sample waybill is DIR/sample.pdf).

#include "app/list_file.h"
#include "app/program_folder.h"
#include "waybill/layout_record.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace waybill;

namespace {

void writeLayout(const app::ProgramFolder &folder)
{
    LayoutRecord r;
    r.setLength(Tenths(2300));
    r.setHeight(Tenths(1270));
    const FontEntry font{QStringLiteral("宋体"), 12, QColor(Qt::black)};
    const std::pair<const char *, QPoint> recipient[] = {{"联系人", {120, 250}},  {"公司名称", {120, 290}},
                                                         {"公司地址", {120, 330}}, {"手机", {520, 250}},
                                                         {"省市", {120, 370}},     {"县市", {300, 370}}};
    r.setSlotCount(Side::Recipient, int(std::size(recipient)));
    for (int k = 1; k <= int(std::size(recipient)); ++k) {
        r.setSlotColumn(Side::Recipient, k, QString::fromUtf8(recipient[k - 1].first));
        r.setSlotPos(Side::Recipient, k, recipient[k - 1].second);
        r.setSlotFont(Side::Recipient, k, font);
    }
    const std::pair<const char *, QPoint> sender[] = {
        {"联系人", {120, 60}}, {"公司名称", {120, 100}}, {"公司地址", {120, 140}}, {"电话", {520, 60}}};
    r.setSlotCount(Side::Sender, int(std::size(sender)));
    for (int k = 1; k <= int(std::size(sender)); ++k) {
        r.setSlotColumn(Side::Sender, k, QString::fromUtf8(sender[k - 1].first));
        r.setSlotPos(Side::Sender, k, sender[k - 1].second);
        r.setSlotFont(Side::Sender, k, font);
    }
    r.setPostalColumn(Side::Recipient, QStringLiteral("邮政编码"));
    r.setPostalPos(Side::Recipient, QPoint(120, 420));
    r.setPostalFont(Side::Recipient, {QStringLiteral("宋体"), 16, QColor(Qt::black)});
    r.setPostalSpacing(Side::Recipient, Tenths(70));
    r.setNoteCount(1);
    r.setNotePos(1, QPoint(560, 400));
    r.setNoteSize(1, QSize(250, 60));
    r.setNoteFont(1, font);
    QString error;
    r.writeFile(folder.layouts() + QStringLiteral("快递标签.cs"), &error);
    app::writeListFile(folder.layouts() + QStringLiteral("快递标签-1.留言"), {QStringLiteral("易碎物品 小心轻放")});
    app::writeListFile(folder.settings() + QStringLiteral("xinfeng_TreeView.List"), {QStringLiteral("快递标签")});
}

void writeRecords(const QString &path, int count)
{
    QJsonArray rows;
    for (int i = 1; i <= count; ++i)
        rows.append(QJsonObject{{"联系人", QStringLiteral("王先生%1").arg(i)},
                                {"公司名称", QStringLiteral("上海第%1贸易有限公司").arg(i)},
                                {"公司地址", QStringLiteral("浦东新区世纪大道%1号").arg(i % 2000)},
                                {"手机", QStringLiteral("139%1").arg(i, 8, 10, QChar(u'0'))},
                                {"省市", QStringLiteral("上海市")},
                                {"县市", QStringLiteral("浦东新区")},
                                {"邮政编码", QStringLiteral("200120")}});
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(rows).toJson(QJsonDocument::Compact));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString homeDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    const app::ProgramFolder folder(homeDir);
    folder.ensure();
    writeLayout(folder);
    QFile sender(folder.path("sender.json"));
    sender.open(QIODevice::WriteOnly);
    sender.write(QJsonDocument(QJsonObject{{"联系人", "李经理"}, {"公司名称", "北京维尔博科技有限公司"},
                                           {"公司地址", "海淀区中关村大街1号"}, {"电话", "010-12345678"}})
                     .toJson());
    sender.close();

    std::printf("| waybills | seconds | waybills per second | peak memory (MB) |\n|---:|---:|---:|---:|\n");
    for (int count : {1, 1000, 10000}) {
        const QString records = folder.path(QStringLiteral("records-%1.json").arg(count));
        writeRecords(records, count);
        const QString pdf = count == 1 ? folder.path("sample.pdf") : folder.path(QStringLiteral("out-%1.pdf").arg(count));
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(QStringLiteral(VELBOR_PRINT_PATH), QStringList{"--home", homeDir, "--layout", "快递标签", "--records", records,
                                                    "--sender", folder.path("sender.json"), "--pdf", pdf});
        p.waitForFinished(-1);
        const double seconds = timer.nsecsElapsed() / 1e9;
        // ru_maxrss of the children waited for so far: the largest run is the last.
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
            return 1;
        }
        if (count > 1)
            std::printf("| %d | %.2f | %.0f | %.1f |\n", count, seconds, count / seconds, usage.ru_maxrss / 1024.0);
        std::fflush(stdout);
    }
    return 0;
}
