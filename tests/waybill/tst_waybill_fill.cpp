#include "waybill/waybill_fill.h"

#include "app/list_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>
#include <memory>

using namespace waybill;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(7, 8, 9));

} // namespace

class TestWaybillFill : public QObject {
    Q_OBJECT

private slots:
    void init();
    void postalCodes_data();
    void postalCodes();
    void recipientSlot_data();
    void recipientSlot();
    void rightAlignedSlot2EndsAtStoredEdge();
    void photo_data();
    void photo();
    void failuresStopTheFill_data();
    void failuresStopTheFill();
    void amountBoxes_data();
    void amountBoxes();
    void recipientWrap_data();
    void recipientWrap();
    void senderWrap_data();
    void senderWrap();

private:
    // Writes the layout's record and opens it from the tree.
    void open(const QString &name, const std::function<void(LayoutRecord &)> &edit, const QByteArray &base = {});
    std::optional<QString> fill(const QVariantMap &khzl, const QVariantMap &me = {}, const QStringList &memo = {});
    QString digits(Side side) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<app::ProgramFolder> folder_;
    std::unique_ptr<WaybillLayout> layout_;
};

void TestWaybillFill::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    folder_ = std::make_unique<app::ProgramFolder>(dir_->path());
    QVERIFY(folder_->ensure());
    layout_ = std::make_unique<WaybillLayout>(*folder_);
}

void TestWaybillFill::open(const QString &name, const std::function<void(LayoutRecord &)> &edit, const QByteArray &base)
{
    QString error;
    LayoutRecord record = base.isEmpty() ? LayoutRecord() : *LayoutRecord::fromBytes(base, &error);
    record.setLength(Tenths(2100)); // 420 × 200 canvas pixels at scale 2.0
    record.setHeight(Tenths(1000));
    edit(record);
    QVERIFY(record.writeFile(folder_->layouts() + name + u".cs"_s, &error));
    const QStringList names = LayoutTree::builtInNames();
    layout_->TreeView3Click(int(names.indexOf(name)));
    QCOMPARE(layout_->name(), name);
}

std::optional<QString> TestWaybillFill::fill(const QVariantMap &khzl, const QVariantMap &me, const QStringList &memo)
{
    const MapRecord recipient(khzl, memo);
    const MapRecord sender(me);
    return SetKhZl_To_TongXunDanJu(
        *layout_, FillInput{&recipient, me.isEmpty() ? nullptr : &sender, recipient.fieldNames(), kNow});
}

QString TestWaybillFill::digits(Side side) const
{
    const std::array<QString, 6> &boxes = layout_->postal(side)->digits;
    return QStringList(boxes.begin(), boxes.end()).join(QString());
}

void TestWaybillFill::postalCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("pad");
    QTest::addColumn<QString>("recipient"); // the six boxes joined; empty when emptied
    QTest::addColumn<QString>("sender");

    QTest::newRow("six digits") << u"100080"_s << false << u"100080"_s << u"100080"_s;
    QTest::newRow("five padded") << u"10008"_s << true << u"010008"_s << QString();
    QTest::newRow("five unpadded") << u"10008"_s << false << QString() << QString();
    QTest::newRow("three padded") << u"100"_s << true << u"000100"_s << QString();
    QTest::newRow("two not padded") << u"12"_s << true << QString() << QString();
    QTest::newRow("seven") << u"1000080"_s << true << QString() << QString();
}

void TestWaybillFill::postalCodes()
{
    QFETCH(QString, code);
    QFETCH(bool, pad);
    QFETCH(QString, recipient);
    QFETCH(QString, sender);

    open(u"特快专递"_s, [](LayoutRecord &r) {
        r.setPostalColumn(Side::Recipient, u"邮政编码"_s);
        r.setPostalColumn(Side::Sender, u"邮编"_s);
        r.setPostalSpacing(Side::Recipient, Tenths(80));
    });
    layout_->setPostalAutoPad(pad);
    QCOMPARE(layout_->record().postalAutoPad(), pad);
    QCOMPARE(layout_->postal(Side::Recipient)->digitPos[5].x(), 80); // round(5 × 80 × 2.0 / 10)
    QVERIFY(!fill({{u"邮政编码"_s, code}}, {{u"邮编"_s, code}}));

    QCOMPARE(digits(Side::Recipient), recipient);
    QCOMPARE(digits(Side::Sender), sender);

    // A table without the column leaves the recipient boxes as they are.
    QVERIFY(!fill({{u"姓名"_s, u"张三"_s}}, {{u"邮编"_s, code}}));
    QCOMPARE(digits(Side::Recipient), recipient);
}

void TestWaybillFill::recipientSlot_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariantMap>("record");
    QTest::addColumn<QStringList>("memo");
    QTest::addColumn<QStringList>("composite"); // set/<column>.dat when not empty
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("note");

    const QStringList untouched{u"留言1"_s};
    QTest::newRow("plain value") << u"姓名"_s << QVariantMap{{u"姓名"_s, u"张三"_s}} << QStringList() << QStringList()
                                 << u"张三"_s << untouched;
    QTest::newRow("column missing keeps caption") << u"姓名"_s << QVariantMap{{u"单位"_s, u"x"_s}} << QStringList()
                                                  << QStringList() << u"姓名"_s << untouched;
    QTest::newRow("收 empty") << u"收"_s << QVariantMap{{u"收"_s, QString()}} << QStringList() << QStringList()
                             << u"收"_s << untouched;
    QTest::newRow("收 filled") << u"收"_s << QVariantMap{{u"收"_s, u"李四收"_s}} << QStringList() << QStringList()
                              << u"李四收"_s << untouched;
    QTest::newRow("标签序号") << u"标签序号"_s << QVariantMap{{u"标签序号"_s, u"7"_s}} << QStringList() << QStringList()
                           << u"01"_s << untouched;
    QTest::newRow("年") << u"年"_s << QVariantMap{{u"年"_s, u"x"_s}} << QStringList() << QStringList() << u"2024"_s
                       << untouched;
    QTest::newRow("月") << u"月"_s << QVariantMap{{u"月"_s, u"x"_s}} << QStringList() << QStringList() << u"03"_s
                       << untouched;
    QTest::newRow("日") << u"日"_s << QVariantMap{{u"日"_s, u"x"_s}} << QStringList() << QStringList() << u"05"_s
                       << untouched;
    QTest::newRow("时") << u"时"_s << QVariantMap{{u"时"_s, u"x"_s}} << QStringList() << QStringList() << u"7"_s
                       << untouched;
    QTest::newRow("分") << u"分"_s << QVariantMap{{u"分"_s, u"x"_s}} << QStringList() << QStringList() << u"8"_s
                       << untouched;
    QTest::newRow("备注 memo into note 1")
        << u"备注"_s << QVariantMap{{u"备注"_s, u"易碎\r\n轻放"_s}} << QStringList{u"备注"_s} << QStringList()
        << QString() << QStringList{u"易碎"_s, u"轻放"_s};
    QTest::newRow("备注 not a memo") << u"备注"_s << QVariantMap{{u"备注"_s, u"易碎"_s}} << QStringList() << QStringList()
                                   << u"易碎"_s << untouched;
    const QVariantMap place{{u"连续1"_s, u"v"_s}, {u"连续2"_s, u"v"_s}, {u"省份"_s, u"北京"_s}, {u"城市"_s, u"海淀"_s}};
    QTest::newRow("连续1 file") << u"连续1"_s << place << QStringList()
                              << QStringList{u"省份"_s, u"空格"_s, u"城市"_s} << u"北京 海淀"_s << untouched;
    QTest::newRow("连续1 no file") << u"连续1"_s << place << QStringList() << QStringList() << QString() << untouched;
    QTest::newRow("连续2 no file") << u"连续2"_s << place << QStringList() << QStringList() << u"v"_s << untouched;
    QTest::newRow("连续2 file") << u"连续2"_s << place << QStringList() << QStringList{u"城市"_s, u"城市"_s}
                              << u"海淀海淀"_s << untouched;
}

void TestWaybillFill::recipientSlot()
{
    QFETCH(QString, column);
    QFETCH(QVariantMap, record);
    QFETCH(QStringList, memo);
    QFETCH(QStringList, composite);
    QFETCH(QString, label);
    QFETCH(QStringList, note);

    if (!composite.isEmpty())
        QVERIFY(app::writeListFile(folder_->settings() + column + u".dat"_s, composite));
    open(u"特快专递"_s, [&](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 1);
        r.setSlotColumn(Side::Recipient, 1, column);
        r.setSlotPos(Side::Recipient, 1, QPoint(10, 10));
        r.setNoteCount(1);
    });
    QVERIFY(!fill(record, {}, memo));
    QCOMPARE(layout_->slotItems(Side::Recipient).at(0).text, label);
    QCOMPARE(layout_->notes().at(0).lines, note);
}

void TestWaybillFill::rightAlignedSlot2EndsAtStoredEdge()
{
    open(u"特快专递"_s, [](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 2);
        r.setSlotColumn(Side::Recipient, 2, u"姓名"_s);
        r.setSlotPos(Side::Recipient, 2, QPoint(280, 40));
        r.setAlignment(2, Alignment::Right);
    });
    QVERIFY(!fill({{u"姓名"_s, u"欧阳修"_s}}));
    const SlotItem &item = layout_->slotItems(Side::Recipient).at(1);
    QCOMPARE(item.pos, QPoint(280 - layout_->labelSize(u"欧阳修"_s, item.font).width(), 40));
}

void TestWaybillFill::photo_data()
{
    QTest::addColumn<bool>("photoExists");
    QTest::addColumn<bool>("blankExists");
    QTest::addColumn<QString>("shown"); // file name in the temporary folder; empty when the fill fails

    QTest::newRow("photo") << true << false << u"photo.jpg"_s;
    QTest::newRow("blank picture instead") << false << true << u"tbkong.jpg"_s;
    QTest::newRow("neither") << false << false << QString();
}

void TestWaybillFill::photo()
{
    QFETCH(bool, photoExists);
    QFETCH(bool, blankExists);
    QFETCH(QString, shown);

    const QString photo = dir_->filePath(u"photo.jpg"_s);
    const std::pair<QString, bool> files[] = {{photo, photoExists}, {dir_->filePath(u"tbkong.jpg"_s), blankExists}};
    for (const auto &[path, wanted] : files) {
        QFile file(path);
        QVERIFY(!wanted || file.open(QIODevice::WriteOnly));
    }
    open(u"特快专递"_s, [](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 1);
        r.setSlotColumn(Side::Recipient, 1, u"照片路径"_s);
    });

    const std::optional<QString> failure = fill({{u"照片路径"_s, photo}});
    QCOMPARE(failure.has_value(), shown.isEmpty());
    if (failure)
        QVERIFY(failure->contains(u"tbkong.jpg"_s));
    else
        QCOMPARE(layout_->icon().picture, dir_->filePath(shown));
    QCOMPARE(layout_->slotItems(Side::Recipient).at(0).text, QString());
}

void TestWaybillFill::failuresStopTheFill_data()
{
    QTest::addColumn<QVariantMap>("me");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("composite");
    QTest::addColumn<QStringList>("senders");

    const QVariantMap sender{{u"寄件人"_s, u"王五"_s}, {u"电话"_s, u"123"_s}};
    QTest::newRow("complete") << sender << QString() << u"北京"_s << QStringList{u"王五"_s, u"123"_s};
    QTest::newRow("unknown sender field") << QVariantMap{{u"寄件人"_s, u"王五"_s}} << u"电话"_s << u"北京"_s
                                          << QStringList{u"王五"_s, u"电话"_s};
}

void TestWaybillFill::failuresStopTheFill()
{
    QFETCH(QVariantMap, me);
    QFETCH(QString, failure);
    QFETCH(QString, composite);
    QFETCH(QStringList, senders);

    QVERIFY(app::writeListFile(folder_->settings() + u"连续3.dat"_s, {u"省份"_s}));
    open(u"特快专递"_s, [](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 1);
        r.setSlotColumn(Side::Recipient, 1, u"连续3"_s);
        r.setSlotCount(Side::Sender, 2);
        r.setSlotColumn(Side::Sender, 1, u"寄件人"_s);
        r.setSlotColumn(Side::Sender, 2, u"电话"_s);
    });
    const std::optional<QString> result = fill({{u"连续3"_s, u""_s}, {u"省份"_s, u"北京"_s}}, me);
    QCOMPARE(result.has_value(), !failure.isEmpty());
    if (result)
        QVERIFY(result->contains(failure));
    QCOMPARE(layout_->slotItems(Side::Recipient).at(0).text, composite);
    QStringList texts;
    for (const SlotItem &item : layout_->slotItems(Side::Sender))
        texts << item.text;
    QCOMPARE(texts, senders);

    // A composite file naming a column the table lacks: stopped, the slot keeps what was appended.
    QVERIFY(app::writeListFile(folder_->settings() + u"连续3.dat"_s, {u"省份"_s, u"空格"_s, u"区县"_s}));
    const std::optional<QString> missing = fill({{u"连续3"_s, u""_s}, {u"省份"_s, u"北京"_s}}, me);
    QVERIFY(missing && missing->contains(u"区县"_s));
    QCOMPARE(layout_->slotItems(Side::Recipient).at(0).text, u"北京 "_s);
}

void TestWaybillFill::amountBoxes_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QVariantMap>("record");
    QTest::addColumn<QStringList>("boxes"); // hknumber9 … hknumber1; empty for hidden

    const QString money = u"汇款单新"_s;
    const auto amount = [](const QString &value) { return QVariantMap{{u"金额小写"_s, value}}; };
    QTest::newRow("1234.5") << money << amount(u"1234.5"_s)
                            << QStringList{"", "", u"￥"_s, "1", "2", "3", "4", "5", "0"};
    QTest::newRow("0.5") << money << amount(u"0.5"_s) << QStringList{"", "", "", "", "", "", u"￥"_s, "5", "0"};
    QTest::newRow("1234567.89") << money << amount(u"1234567.89"_s)
                                << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QTest::newRow("12345678 loses its first digit")
        << money << amount(u"12345678"_s) << QStringList{"2", "3", "4", "5", "6", "7", "8", "0", "0"};
    QTest::newRow("-12.5") << money << amount(u"-12.5"_s) << QStringList{"", "", "", u"￥"_s, "-", "1", "2", "5", "0"};
    QTest::newRow("empty") << money << amount(QString()) << QStringList(9, QString());
    QTest::newRow("not a number") << money << amount(u"一百"_s) << QStringList(9, QString());
    QTest::newRow("no amount column") << money << QVariantMap{{u"姓名"_s, u"张三"_s}} << QStringList(9, QString());
    QTest::newRow("not a money order") << u"特快专递"_s << amount(u"5"_s) << QStringList(9, QString());
}

void TestWaybillFill::amountBoxes()
{
    QFETCH(QString, layout);
    QFETCH(QVariantMap, record);
    QFETCH(QStringList, boxes);

    // The amount position and font are never written by the system: put them in the bytes.
    QByteArray base = LayoutRecord().bytes();
    qToLittleEndian<qint32>(100, base.data() + 10536);
    qToLittleEndian<qint32>(50, base.data() + 10540);
    qToLittleEndian<qint32>(12, base.data() + 15008 + 24);
    open(layout, [](LayoutRecord &r) { r.setAmountSpacing(Tenths(45)); }, base);
    QVERIFY(!fill(record));

    const auto &shown = layout_->amountBoxes();
    const bool money = layout.contains(u"汇款单"_s);
    for (int n = 9; n >= 1; --n) {
        const AmountBox &box = shown[size_t(n - 1)];
        const QString expected = boxes.at(9 - n);
        QCOMPARE(box.text, expected);
        QCOMPARE(box.visible, !expected.isEmpty());
        QCOMPARE(box.pos.y(), 50);
        // round(45 × 2.0 / 10) = 9 pixels apart from hknumber9; the sign sits 3 pixels further left.
        if (money)
            QCOMPARE(box.pos.x(), 100 + (9 - n) * 9 - (expected == u"￥"_s ? 3 : 0));
    }
    QCOMPARE(layout_->amountFont().pointSize, 12);
}

void TestWaybillFill::recipientWrap_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("fits"); // the text that just fits the slot's width
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("continuation"); // empty when hidden

    QTest::newRow("one line") << u"甲乙丙"_s << u"甲乙丙丁"_s << false << u"甲乙丙"_s << QString();
    QTest::newRow("two lines") << u"甲乙丙丁戊己"_s << u"甲乙丙丁"_s << false << u"甲乙丙丁"_s << u"戊己"_s;
    QTest::newRow("third line lost") << u"甲乙丙丁戊己庚辛壬癸"_s << u"甲乙丙丁"_s << false << u"甲乙丙丁"_s
                                     << u"戊己庚辛"_s;
    QTest::newRow("at a blank") << u"ab cd ef"_s << u"ab cd"_s << false << u"ab cd "_s << u"ef"_s;
    QTest::newRow("long word broken") << u"abcdefgh"_s << u"abcd"_s << false << u"abcd"_s << u"efgh"_s;
    QTest::newRow("aligned right") << u"甲乙丙丁戊"_s << u"甲乙丙丁"_s << true << u"甲乙丙丁"_s << u"戊"_s;
    QTest::newRow("single blank hidden") << u"甲乙\r\n "_s << u"甲乙丙丁"_s << false << u"甲乙"_s << QString();
}

void TestWaybillFill::recipientWrap()
{
    QFETCH(QString, value);
    QFETCH(QString, fits);
    QFETCH(bool, right);
    QFETCH(QString, label);
    QFETCH(QString, continuation);

    open(u"特快专递"_s, [&](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 3);
        r.setSlotColumn(Side::Recipient, 3, u"地址"_s);
        r.setSlotFont(Side::Recipient, 3, {u"宋体"_s, 20, QColor(0, 0, 0)});
        r.setWrap(Side::Recipient, 3, {Tenths(100), 3}); // 20 pixels from the right edge
        r.setAlignment(3, right ? Alignment::Right : Alignment::Left);
    });
    SlotItem &item = layout_->slotItems(Side::Recipient)[2];
    const int room = layout_->labelSize(fits, item.font).width() + 1;
    item.pos = QPoint(420 - 20 - room, 30);

    QVERIFY(!fill({{u"地址"_s, value}}));
    QCOMPARE(item.text, label);
    QCOMPARE(item.continuationVisible, !continuation.isEmpty());
    if (continuation.isEmpty())
        return;
    QCOMPARE(item.continuationText, continuation);
    const QSize size = layout_->labelSize(label, item.font);
    const int rightEdge = item.pos.x() + size.width();
    const int x = right ? rightEdge - layout_->labelSize(continuation, item.font).width() : item.pos.x();
    QCOMPARE(item.continuationPos, QPoint(x, 30 + size.height() + 3));
}

void TestWaybillFill::senderWrap_data()
{
    QTest::addColumn<int>("wrapAt");
    QTest::addColumn<bool>("wrapped");

    // The label ends 20 mm from the right edge.
    QTest::newRow("15 mm") << 150 << false;
    QTest::newRow("25 mm") << 250 << true;
}

void TestWaybillFill::senderWrap()
{
    QFETCH(int, wrapAt);
    QFETCH(bool, wrapped);

    const QString value = u"北京市海淀区中关村大街一号"_s;
    open(u"特快专递"_s, [&](LayoutRecord &r) {
        r.setSlotCount(Side::Sender, 1);
        r.setSlotColumn(Side::Sender, 1, u"地址"_s);
        r.setSlotFont(Side::Sender, 1, {u"宋体"_s, 20, QColor(0, 0, 0)});
        r.setWrap(Side::Sender, 1, {Tenths(wrapAt), 5});
    });
    SlotItem &item = layout_->slotItems(Side::Sender)[0];
    const QSize size = layout_->labelSize(value, item.font);
    item.pos = QPoint(420 - 40 - size.width(), 60); // 40 pixels are 20 mm at scale 2.0

    QVERIFY(!fill({{u"姓名"_s, u"张三"_s}}, {{u"地址"_s, value}}));
    QCOMPARE(item.continuationVisible, wrapped);
    if (!wrapped) {
        QCOMPARE(item.text, value);
        return;
    }
    QCOMPARE(item.text + item.continuationText, value);
    QVERIFY(layout_->labelSize(item.text, item.font).width() <= size.width() - 10);
    QCOMPARE(item.continuationPos, QPoint(item.pos.x(), 60 + size.height() + 5));
}

QTEST_MAIN(TestWaybillFill)
#include "tst_waybill_fill.moc"
