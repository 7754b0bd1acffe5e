#include "waybill/layout_record.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>

using namespace waybill;
using namespace Qt::StringLiterals;

namespace {

using Reader = std::function<QVariant(const LayoutRecord &)>;

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder(text);
}

// Every byte non-zero, so that a field read at a wrong offset or a reserved byte lost shows.
QByteArray patterned()
{
    QByteArray bytes(LayoutRecord::kSize, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x80 | (i % 97));
    return bytes;
}

void putInt(QByteArray &bytes, int offset, qint32 value) { qToLittleEndian(value, bytes.data() + offset); }

void putString(QByteArray &bytes, int offset, const QString &text)
{
    const QByteArray encoded = gbk(text);
    bytes[offset] = char(encoded.size());
    bytes.replace(offset + 1, encoded.size(), encoded);
}

const QMap<QString, Reader> &readers()
{
    const auto R = Side::Recipient;
    const auto S = Side::Sender;
    static const QMap<QString, Reader> map{
        {u"recipient 1 x"_s, [=](const LayoutRecord &r) { return r.slotPos(R, 1).x(); }},
        {u"recipient 60 y"_s, [=](const LayoutRecord &r) { return r.slotPos(R, 60).y(); }},
        {u"recipient 1 column"_s, [=](const LayoutRecord &r) { return r.slotColumn(R, 1); }},
        {u"recipient 60 column"_s, [=](const LayoutRecord &r) { return r.slotColumn(R, 60); }},
        {u"recipient count"_s, [=](const LayoutRecord &r) { return r.slotCount(R); }},
        {u"sender 3 y"_s, [=](const LayoutRecord &r) { return r.slotPos(S, 3).y(); }},
        {u"sender 2 column"_s, [=](const LayoutRecord &r) { return r.slotColumn(S, 2); }},
        {u"sender count"_s, [=](const LayoutRecord &r) { return r.slotCount(S); }},
        {u"recipient 1 font name"_s, [=](const LayoutRecord &r) { return r.slotFont(R, 1).name; }},
        {u"recipient 2 font size"_s, [=](const LayoutRecord &r) { return r.slotFont(R, 2).pointSize; }},
        {u"recipient 2 font red"_s, [=](const LayoutRecord &r) { return r.slotFont(R, 2).colour.red(); }},
        {u"sender 60 font blue"_s, [=](const LayoutRecord &r) { return r.slotFont(S, 60).colour.blue(); }},
        {u"offset x"_s, [](const LayoutRecord &r) { return r.offsetX().value(); }},
        {u"offset y"_s, [](const LayoutRecord &r) { return r.offsetY().value(); }},
        {u"icon shown"_s, [](const LayoutRecord &r) { return r.iconShown(); }},
        {u"length"_s, [](const LayoutRecord &r) { return r.length().value(); }},
        {u"height"_s, [](const LayoutRecord &r) { return r.height().value(); }},
        {u"feed"_s, [](const LayoutRecord &r) { return int(r.feed()); }},
        {u"recipient postal x"_s, [=](const LayoutRecord &r) { return r.postalPos(R).x(); }},
        {u"recipient postal column"_s, [=](const LayoutRecord &r) { return r.postalColumn(R); }},
        {u"recipient postal font size"_s, [=](const LayoutRecord &r) { return r.postalFont(R).pointSize; }},
        {u"sender postal y"_s, [=](const LayoutRecord &r) { return r.postalPos(S).y(); }},
        {u"sender postal column"_s, [=](const LayoutRecord &r) { return r.postalColumn(S); }},
        {u"sender postal font green"_s, [=](const LayoutRecord &r) { return r.postalFont(S).colour.green(); }},
        {u"recipient postal spacing"_s, [=](const LayoutRecord &r) { return r.postalSpacing(R).value(); }},
        {u"sender postal spacing"_s, [=](const LayoutRecord &r) { return r.postalSpacing(S).value(); }},
        {u"amount spacing"_s, [](const LayoutRecord &r) { return r.amountSpacing().value(); }},
        {u"amount y"_s, [](const LayoutRecord &r) { return r.amountPos().y(); }},
        {u"icon height"_s, [](const LayoutRecord &r) { return r.iconRect().height(); }},
        {u"icon x"_s, [](const LayoutRecord &r) { return r.iconRect().x(); }},
        {u"extra items"_s, [](const LayoutRecord &r) { return r.extraItemCount(); }},
        {u"auto printer setup"_s, [](const LayoutRecord &r) { return r.autoPrinterSetup(); }},
        {u"note 30 font size"_s, [](const LayoutRecord &r) { return r.noteFont(30).pointSize; }},
        {u"note 1 font name"_s, [](const LayoutRecord &r) { return r.noteFont(1).name; }},
        {u"amount font name"_s, [](const LayoutRecord &r) { return r.amountFont().name; }},
        {u"amount font size"_s, [](const LayoutRecord &r) { return r.amountFont().pointSize; }},
        {u"note 5 x"_s, [](const LayoutRecord &r) { return r.notePos(5).x(); }},
        {u"note 30 height"_s, [](const LayoutRecord &r) { return r.noteSize(30).height(); }},
        {u"note count"_s, [](const LayoutRecord &r) { return r.noteCount(); }},
        {u"frames shown"_s, [](const LayoutRecord &r) { return r.postalFramesShown(); }},
        {u"auto pad"_s, [](const LayoutRecord &r) { return r.postalAutoPad(); }},
        {u"recipient 7 wrap"_s, [=](const LayoutRecord &r) { return r.wrap(R, 7).position.value(); }},
        {u"recipient 7 gap"_s, [=](const LayoutRecord &r) { return r.wrap(R, 7).lineGap; }},
        {u"sender 1 gap"_s, [=](const LayoutRecord &r) { return r.wrap(S, 1).lineGap; }},
        {u"alignment 2"_s, [](const LayoutRecord &r) { return int(r.alignment(2)); }},
        {u"alignment 3"_s, [](const LayoutRecord &r) { return int(r.alignment(3)); }},
    };
    return map;
}

} // namespace

class TestLayoutRecord : public QObject {
    Q_OBJECT

private slots:
    void fieldOffsets_data();
    void fieldOffsets();
    void roundTripKeepsEveryByte();
    void settersTouchOnlyTheirField_data();
    void settersTouchOnlyTheirField();
    void otherSizesRefused_data();
    void otherSizesRefused();
    void missingFileIsNoError();
};

void TestLayoutRecord::fieldOffsets_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QVariant>("stored"); // int: 32-bit integer; bool: one byte; string: GBK string
    QTest::addColumn<QVariant>("expected");

    const auto row = [](const QString &reader, int offset, const QVariant &stored, const QVariant &expected) {
        QTest::addRow("%s", qPrintable(reader)) << reader << offset << stored << expected;
    };
    const auto same = [&](const QString &field, int offset, const QVariant &value) { row(field, offset, value, value); };

    same(u"recipient 1 x"_s, 0, -5);
    same(u"recipient 60 y"_s, 476, 321);
    same(u"recipient 1 column"_s, 480, u"姓名"_s);
    same(u"recipient 60 column"_s, 480 + 59 * 31, u"单位地址"_s);
    same(u"recipient count"_s, 2340, 12);
    QTest::newRow("recipient count bounded") << u"recipient count"_s << 2340 << QVariant(500) << QVariant(60);
    same(u"sender 3 y"_s, 2344 + 16 + 4, 77);
    same(u"sender 2 column"_s, 2824 + 31, u"电话"_s);
    same(u"sender count"_s, 4684, 7);
    same(u"recipient 1 font name"_s, 4688, u"宋体"_s);
    same(u"recipient 2 font size"_s, 4688 + 44 + 24, 14);
    same(u"recipient 2 font red"_s, 4688 + 44 + 32, 200);
    same(u"sender 60 font blue"_s, 7328 + 59 * 44 + 40, 99);
    same(u"offset x"_s, 10000, -15);
    same(u"offset y"_s, 10004, 25);
    same(u"icon shown"_s, 10096, true);
    same(u"length"_s, 10128, 2100);
    same(u"height"_s, 10132, 1400);
    same(u"feed"_s, 10344, 1);
    same(u"recipient postal x"_s, 10348, 150);
    same(u"recipient postal column"_s, 10356, u"邮政编码"_s);
    same(u"recipient postal font size"_s, 10380 + 24, 16);
    same(u"sender postal y"_s, 10428, 410);
    same(u"sender postal column"_s, 10432, u"邮编"_s);
    same(u"sender postal font green"_s, 10456 + 36, 128);
    same(u"recipient postal spacing"_s, 10500, 80);
    same(u"sender postal spacing"_s, 10512, 70);
    same(u"amount spacing"_s, 10516, 45);
    same(u"amount y"_s, 10540, 260);
    same(u"icon x"_s, 10552, 600);
    same(u"icon height"_s, 10564, 90);
    same(u"extra items"_s, 10568, 3);
    same(u"auto printer setup"_s, 13686, true);
    same(u"note 1 font name"_s, 13688, u"黑体"_s);
    same(u"note 30 font size"_s, 13688 + 29 * 44 + 24, 9);
    same(u"amount font name"_s, 15008, u"Arial"_s);
    same(u"amount font size"_s, 15008 + 24, 18);
    same(u"note 5 x"_s, 15480 + 32, 333);
    same(u"note 30 height"_s, 15720 + 29 * 8 + 4, 44);
    same(u"note count"_s, 15960, 30);
    same(u"frames shown"_s, 15964, true);
    same(u"auto pad"_s, 15965, true);
    same(u"recipient 7 wrap"_s, 15968 + 48, 150);
    same(u"recipient 7 gap"_s, 15968 + 52, 4);
    same(u"sender 1 gap"_s, 16448 + 4, 6);
    row(u"alignment 2"_s, 16928 + 21, u"右齐"_s, int(Alignment::Right));
    row(u"alignment 3"_s, 16928 + 42, u"居中"_s, int(Alignment::Centre));
}

void TestLayoutRecord::fieldOffsets()
{
    QFETCH(QString, reader);
    QFETCH(int, offset);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, expected);

    QByteArray bytes = patterned();
    if (stored.typeId() == QMetaType::Bool)
        bytes[offset] = stored.toBool() ? 1 : 0;
    else if (stored.typeId() == QMetaType::QString)
        putString(bytes, offset, stored.toString());
    else
        putInt(bytes, offset, stored.toInt());

    QString error;
    const std::optional<LayoutRecord> record = LayoutRecord::fromBytes(bytes, &error);
    QVERIFY2(record, qPrintable(error));
    QVERIFY(readers().contains(reader));
    QCOMPARE(readers()[reader](*record), expected);
}

void TestLayoutRecord::roundTripKeepsEveryByte()
{
    const QByteArray bytes = patterned();
    QString error;
    const std::optional<LayoutRecord> record = LayoutRecord::fromBytes(bytes, &error);
    QVERIFY(record);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"单据.cs"_s);
    QVERIFY(record->writeFile(path, &error));
    const std::optional<LayoutRecord> again = LayoutRecord::readFile(path, &error);
    QVERIFY2(again, qPrintable(error));
    QCOMPARE(again->bytes(), bytes);
}

void TestLayoutRecord::settersTouchOnlyTheirField_data()
{
    QTest::addColumn<int>("setter");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<int>("fieldEnd"); // a shortened string clears the rest of its field

    QByteArray pos(8, '\0');
    putInt(pos, 0, 280);
    putInt(pos, 4, -3);
    QTest::newRow("slot 2 position") << 0 << 8 << pos << 16;
    // 16 ideographs are 32 GBK bytes: string[30] keeps 15 whole ones.
    QTest::newRow("column truncated whole")
        << 1 << 480 << (QByteArray(1, char(30)) + gbk(u"甲"_s.repeated(15))) << 480 + 31;
    QTest::newRow("alignment") << 2 << 16928 + 21 << (QByteArray(1, char(4)) + gbk(u"右齐"_s)) << 16928 + 42;
    QByteArray colour(12, '\0');
    putInt(colour, 0, 10);
    putInt(colour, 4, 20);
    putInt(colour, 8, 30);
    QTest::newRow("colour only") << 3 << 4688 + 44 + 32 << colour << 4688 + 88;
    QTest::newRow("auto pad") << 4 << 15965 << QByteArray(1, char(1)) << 15966;
}

void TestLayoutRecord::settersTouchOnlyTheirField()
{
    QFETCH(int, setter);
    QFETCH(int, offset);
    QFETCH(QByteArray, written);
    QFETCH(int, fieldEnd);

    const std::function<void(LayoutRecord &)> setters[] = {
        [](LayoutRecord &r) { r.setSlotPos(Side::Recipient, 2, QPoint(280, -3)); },
        [](LayoutRecord &r) { r.setSlotColumn(Side::Recipient, 1, u"甲"_s.repeated(16)); },
        [](LayoutRecord &r) { r.setAlignment(2, Alignment::Right); },
        [](LayoutRecord &r) { r.setSlotColour(Side::Recipient, 2, QColor(10, 20, 30)); },
        [](LayoutRecord &r) { r.setPostalAutoPad(true); },
    };
    QByteArray expected = patterned();
    QString error;
    LayoutRecord record = *LayoutRecord::fromBytes(expected, &error);
    setters[setter](record);

    expected.replace(offset, written.size(), written);
    QCOMPARE(record.bytes().size(), LayoutRecord::kSize);
    QCOMPARE(record.bytes().left(offset + written.size()), expected.left(offset + written.size()));
    QCOMPARE(record.bytes().mid(fieldEnd), expected.mid(fieldEnd));
}

void TestLayoutRecord::otherSizesRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one short") << LayoutRecord::kSize - 1;
    QTest::newRow("one over") << LayoutRecord::kSize + 1;
    QTest::newRow("two records") << 2 * LayoutRecord::kSize;
}

void TestLayoutRecord::otherSizesRefused()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"坏.cs"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    file.close();

    QString error;
    QVERIFY(!LayoutRecord::readFile(path, &error));
    QVERIFY(error.contains(path));
    QVERIFY(error.contains(u"19448"_s));
}

void TestLayoutRecord::missingFileIsNoError()
{
    QString error = u"left over"_s;
    QVERIFY(!LayoutRecord::readFile(u"/nonexistent/x.cs"_s, &error));
    QVERIFY(error.isEmpty());
    QVERIFY(LayoutRecord().bytes() == QByteArray(LayoutRecord::kSize, '\0'));
}

QTEST_MAIN(TestLayoutRecord)
#include "tst_layout_record.moc"
