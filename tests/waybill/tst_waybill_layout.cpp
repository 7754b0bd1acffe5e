#include "waybill/waybill_layout.h"

#include "app/list_file.h"
#include "app/prompt_service.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace waybill;
using namespace Qt::StringLiterals;

class TestWaybillLayout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void units_data();
    void units();
    void scaleAndCanvas_data();
    void scaleAndCanvas();
    void slotsClampedAtLoad_data();
    void slotsClampedAtLoad();
    void rightAlignedSlot2SavesRightEdge_data();
    void rightAlignedSlot2SavesRightEdge();
    void noteFiles_data();
    void noteFiles();
    void refusedRecordKeepsLoadedLayout_data();
    void refusedRecordKeepsLoadedLayout();
    void saveNeedsNumericOffsets_data();
    void saveNeedsNumericOffsets();
    void newLayoutSavesCopyOfShown();
    void duplicateDefaultNameLoadsLast();
    void feedAtLoad_data();
    void feedAtLoad();
    void treeFile_data();
    void treeFile();
    void addAndDeleteNodes();

private:
    void writeRecord(const QString &name, const std::function<void(LayoutRecord &)> &edit);
    int nodeOf(const QString &name) const;
    QByteArray bytesOf(const QString &path) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<app::ProgramFolder> folder_;
    std::unique_ptr<WaybillLayout> layout_;
};

void TestWaybillLayout::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    folder_ = std::make_unique<app::ProgramFolder>(dir_->path());
    QVERIFY(folder_->ensure());
    layout_ = std::make_unique<WaybillLayout>(*folder_);
}

void TestWaybillLayout::writeRecord(const QString &name, const std::function<void(LayoutRecord &)> &edit)
{
    LayoutRecord record;
    record.setLength(Tenths(2100));
    record.setHeight(Tenths(1000));
    edit(record);
    QString error;
    QVERIFY2(record.writeFile(folder_->layouts() + name + u".cs"_s, &error), qPrintable(error));
}

int TestWaybillLayout::nodeOf(const QString &name) const
{
    const QList<TreeNode> &nodes = layout_->tree().nodes();
    for (int i = 0; i < nodes.size(); ++i) {
        if (nodes[i].text == name)
            return i;
    }
    return -1;
}

QByteArray TestWaybillLayout::bytesOf(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestWaybillLayout::units_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("offset");
    QTest::addColumn<double>("mm");
    QTest::addColumn<int>("dots"); // at 600 dpi

    QTest::newRow("100 px at 2.0") << 2.0 << 100 << 0 << 50.0 << 1183;
    QTest::newRow("100 px at 3.78") << 3.78 << 100 << 0 << 26.455 << 626;
    QTest::newRow("378 px at 3.78") << 3.78 << 378 << 0 << 100.0 << 2367;
    QTest::newRow("offset 1.5 mm left") << 3.78 << 378 << -15 << 100.0 << 2331;
}

void TestWaybillLayout::units()
{
    QFETCH(double, scale);
    QFETCH(int, pixels);
    QFETCH(int, offset);
    QFETCH(double, mm);
    QFETCH(int, dots);

    const Millimetres onPaper = DesignerScale(scale).toMm(CanvasPx(pixels));
    QVERIFY(qAbs(onPaper.value() - mm) < 0.001);
    // dpi ÷ 180 × 7.1 dots per millimetre, not dpi ÷ 25.4.
    QCOMPARE(PrinterScale::forDpi(600).toDots(onPaper + Tenths(offset).mm()), dots);
}

void TestWaybillLayout::scaleAndCanvas_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<int>("length");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("width");

    QTest::newRow("plain") << u"国内DL信封"_s << false << 2100 << 2.0 << 420;
    QTest::newRow("label name") << u"标签14"_s << false << 2100 << 3.78 << 794;
    QTest::newRow("picture") << u"国内DL信封"_s << true << 2100 << 3.78 << 794;
    QTest::newRow("below the box's range") << u"国内DL信封"_s << false << 0 << 2.0 << 20;
    QTest::newRow("above the box's range") << u"国内DL信封"_s << false << 20000 << 2.0 << 2000;
}

void TestWaybillLayout::scaleAndCanvas()
{
    QFETCH(QString, name);
    QFETCH(bool, picture);
    QFETCH(int, length);
    QFETCH(double, scale);
    QFETCH(int, width);

    writeRecord(name, [&](LayoutRecord &r) { r.setLength(Tenths(length)); });
    layout_->TreeView3Click(nodeOf(name));
    QCOMPARE(layout_->name(), name);
    if (picture) {
        const QString source = dir_->filePath(u"scan.jpg"_s);
        QImage scan(40, 30, QImage::Format_RGB32);
        scan.fill(Qt::gray);
        QVERIFY(scan.save(source, "JPG"));
        layout_->chooseBackground(source);
        QVERIFY(QFile::exists(folder_->layouts() + name + u".jpg"_s));
    }

    QCOMPARE(layout_->scale().pixelsPerMm(), scale);
    QCOMPARE(layout_->canvasSize(), QSize(width, layout_->scale().toCanvas(Tenths(1000)).value()));
    QCOMPARE(layout_->background().size(), picture ? QSize(40, 30) : QSize(0, 0));
    QCOMPARE(app::readFirstLine(folder_->settings() + u"moren_xinfeng"_s), std::optional<QString>(name));
}

void TestWaybillLayout::slotsClampedAtLoad_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("shown");

    // Canvas 420 × 200 pixels.
    QTest::newRow("inside") << QPoint(100, 50) << QPoint(100, 50);
    QTest::newRow("left of the canvas") << QPoint(-5, 50) << QPoint(0, 50);
    QTest::newRow("past the right edge") << QPoint(421, 50) << QPoint(412, 50);
    QTest::newRow("on the right edge") << QPoint(420, 50) << QPoint(420, 50);
    QTest::newRow("above and below") << QPoint(10, -1) << QPoint(10, 0);
    QTest::newRow("below the canvas") << QPoint(10, 900) << QPoint(10, 192);
}

void TestWaybillLayout::slotsClampedAtLoad()
{
    QFETCH(QPoint, stored);
    QFETCH(QPoint, shown);

    writeRecord(u"特快专递"_s, [&](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 1);
        r.setSlotColumn(Side::Recipient, 1, u"姓名"_s);
        r.setSlotPos(Side::Recipient, 1, stored);
        r.setSlotCount(Side::Sender, 1);
        r.setSlotPos(Side::Sender, 1, stored);
    });
    layout_->TreeView3Click(nodeOf(u"特快专递"_s));

    for (Side side : {Side::Recipient, Side::Sender}) {
        const SlotItem &item = layout_->slotItems(side).at(0);
        QCOMPARE(item.pos, shown);
        QCOMPARE(item.continuationPos.x(), shown.x());
        QVERIFY(item.continuationPos.y() > shown.y());
        QVERIFY(!item.continuationVisible);
    }
    QCOMPARE(layout_->slotItems(Side::Recipient).at(0).text, u"姓名"_s);
    // The stored place changes only when the layout is saved.
    QCOMPARE(layout_->record().slotPos(Side::Recipient, 1), stored);
    QVERIFY(layout_->save(u"0"_s, u"0"_s));
    QCOMPARE(layout_->record().slotPos(Side::Recipient, 1), shown);
}

void TestWaybillLayout::rightAlignedSlot2SavesRightEdge_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("rightEdge");

    QTest::newRow("slot 2 right") << 2 << int(Alignment::Right) << true;
    QTest::newRow("slot 2 centred") << 2 << int(Alignment::Centre) << false;
    QTest::newRow("slot 3 right") << 3 << int(Alignment::Right) << false;
}

void TestWaybillLayout::rightAlignedSlot2SavesRightEdge()
{
    QFETCH(int, slot);
    QFETCH(int, alignment);
    QFETCH(bool, rightEdge);

    writeRecord(u"京城快递"_s, [&](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 3);
        r.setSlotPos(Side::Recipient, slot, QPoint(200, 40));
        r.setSlotFont(Side::Recipient, slot, {u"宋体"_s, 12, QColor(0, 0, 0)});
        r.setAlignment(slot, Alignment(alignment));
    });
    layout_->TreeView3Click(nodeOf(u"京城快递"_s));
    SlotItem &item = layout_->slotItems(Side::Recipient)[slot - 1];
    item.text = u"北京市海淀区"_s;
    item.font.colour = QColor(1, 2, 3);
    const int width = layout_->labelSize(item.text, item.font).width();
    QVERIFY(width > 0);

    QVERIFY(layout_->save(u"0"_s, u"0"_s));
    QString error;
    const LayoutRecord saved = *LayoutRecord::readFile(folder_->layouts() + u"京城快递.cs"_s, &error);
    QCOMPARE(saved.slotPos(Side::Recipient, slot), QPoint(rightEdge ? 200 + width : 200, 40));
    QCOMPARE(saved.slotFont(Side::Recipient, slot).colour, QColor(1, 2, 3));
}

void TestWaybillLayout::noteFiles_data()
{
    QTest::addColumn<QStringList>("inSet");
    QTest::addColumn<QStringList>("inDanju");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("no file") << QStringList() << QStringList() << QStringList{u"留言2"_s};
    QTest::newRow("older place only") << QStringList{u"旧"_s} << QStringList() << QStringList{u"旧"_s};
    QTest::newRow("layout folder only") << QStringList() << QStringList{u"新"_s, u"二"_s}
                                        << QStringList{u"新"_s, u"二"_s};
    QTest::newRow("both: layout folder wins") << QStringList{u"旧"_s} << QStringList{u"新"_s} << QStringList{u"新"_s};
}

void TestWaybillLayout::noteFiles()
{
    QFETCH(QStringList, inSet);
    QFETCH(QStringList, inDanju);
    QFETCH(QStringList, shown);

    writeRecord(u"包裹单新"_s, [](LayoutRecord &r) {
        r.setNoteCount(2);
        r.setNotePos(2, QPoint(-7, -2));
        r.setNoteSize(2, QSize(10, 100));
    });
    if (!inSet.isEmpty())
        QVERIFY(app::writeListFile(folder_->settings() + u"包裹单新-2.留言"_s, inSet));
    if (!inDanju.isEmpty())
        QVERIFY(app::writeListFile(folder_->layouts() + u"包裹单新-2.留言"_s, inDanju));
    layout_->TreeView3Click(nodeOf(u"包裹单新"_s));

    QCOMPARE(layout_->notes().size(), 2);
    QCOMPARE(layout_->notes().at(0).lines, QStringList{u"留言1"_s});
    const NoteArea &note = layout_->notes().at(1);
    QCOMPARE(note.lines, shown);
    QCOMPARE(note.pos, QPoint(0, 0));
    QCOMPARE(note.size, QSize(30, 100));

    // Saving writes every note to the layout folder only.
    QVERIFY(layout_->save(u"0"_s, u"0"_s));
    QCOMPARE(app::readListFile(folder_->layouts() + u"包裹单新-2.留言"_s), shown);
    QCOMPARE(app::readListFile(folder_->settings() + u"包裹单新-2.留言"_s), inSet);
}

void TestWaybillLayout::refusedRecordKeepsLoadedLayout_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("truncated") << 19000;
    QTest::newRow("oversized") << LayoutRecord::kSize + 4;
}

void TestWaybillLayout::refusedRecordKeepsLoadedLayout()
{
    QFETCH(int, size);

    writeRecord(u"中铁快运"_s, [](LayoutRecord &r) {
        r.setSlotCount(Side::Recipient, 2);
        r.setSlotColumn(Side::Recipient, 2, u"地址"_s);
    });
    QFile bad(folder_->layouts() + u"宅急送.cs"_s);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(size, '\x7f'));
    bad.close();

    app::ScopedPrompts prompts;
    layout_->TreeView3Click(nodeOf(u"中铁快运"_s));
    const QByteArray before = layout_->record().bytes();
    layout_->TreeView3Click(nodeOf(u"宅急送"_s));

    QCOMPARE(prompts->notices.size(), 1);
    QVERIFY(prompts->notices.first().contains(u"宅急送.cs"_s));
    QCOMPARE(layout_->record().bytes(), before);
    QCOMPARE(layout_->name(), u"中铁快运"_s);
    QCOMPARE(layout_->slotItems(Side::Recipient).size(), 2);
    QCOMPARE(layout_->slotItems(Side::Recipient).at(1).column, u"地址"_s);
    QCOMPARE(app::readFirstLine(folder_->settings() + u"moren_xinfeng"_s), std::optional<QString>(u"中铁快运"_s));
}

void TestWaybillLayout::saveNeedsNumericOffsets_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<bool>("saved");

    QTest::newRow("integers") << u"-15"_s << u" 25 "_s << true;
    QTest::newRow("letters") << u"abc"_s << u"0"_s << false;
    QTest::newRow("decimal") << u"0"_s << u"1.5"_s << false;
    QTest::newRow("empty") << QString() << u"0"_s << false;
}

void TestWaybillLayout::saveNeedsNumericOffsets()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(bool, saved);

    app::ScopedPrompts prompts;
    layout_->TreeView3Click(nodeOf(u"大田快递"_s));
    QCOMPARE(layout_->save(x, y), saved);

    const QString file = folder_->layouts() + u"大田快递.cs"_s;
    QCOMPARE(QFile::exists(file), saved);
    QCOMPARE(prompts->notices, saved ? QStringList() : QStringList{u"位置校正应该填写数字!"_s});
    if (saved) {
        QCOMPARE(layout_->record().offsetX(), Tenths(-15));
        QCOMPARE(layout_->record().offsetY(), Tenths(25));
        QVERIFY(QFile::exists(folder_->settings() + u"xinfeng_TreeView.List"_s));
    }
}

void TestWaybillLayout::newLayoutSavesCopyOfShown()
{
    writeRecord(u"圆通快递"_s, [](LayoutRecord &r) {
        r.setOffsetX(Tenths(12));
        r.setOffsetY(Tenths(-3));
        r.setSlotCount(Side::Recipient, 1);
        r.setSlotPos(Side::Recipient, 1, QPoint(30, 40));
        r.setIconRect(QRect(5, 6, 70, 80));
        r.setPostalColumn(Side::Sender, u"邮编"_s);
        r.setPostalPos(Side::Sender, QPoint(9, 9));
    });
    layout_->TreeView3Click(nodeOf(u"圆通快递"_s));

    const int added = layout_->addLayout();
    QCOMPARE(layout_->tree().text(added), u"新单据"_s);
    QCOMPARE(added, layout_->tree().size() - 1);
    // The user names the new node in the tree and saves: the shown layout's record under that name.
    layout_->tree().select(added);
    layout_->tree().setText(added, u"顺丰"_s);
    QVERIFY(layout_->save(u"12"_s, u"-3"_s));

    QCOMPARE(bytesOf(folder_->layouts() + u"顺丰.cs"_s), bytesOf(folder_->layouts() + u"圆通快递.cs"_s));
    QCOMPARE(app::readListFile(folder_->settings() + u"xinfeng_TreeView.List"_s).last(), u"顺丰"_s);
}

void TestWaybillLayout::duplicateDefaultNameLoadsLast()
{
    writeRecord(u"汇款单新"_s, [](LayoutRecord &r) { r.setSlotCount(Side::Recipient, 4); });
    QVERIFY(app::writeSingleValue(folder_->settings() + u"moren_xinfeng"_s, u"汇款单新"_s));

    layout_->Load_TreeView_List();
    layout_->Open_MoRen_Xinfeng_Name();

    const QList<TreeNode> &nodes = layout_->tree().nodes();
    QCOMPARE(nodes.at(18).text, u"汇款单新"_s);
    QCOMPARE(nodes.at(20).text, u"汇款单新"_s);
    QCOMPARE(layout_->tree().selected(), 20);
    QCOMPARE(layout_->slotItems(Side::Recipient).size(), 4);
}

void TestWaybillLayout::feedAtLoad_data()
{
    QTest::addColumn<int>("feed");
    QTest::addColumn<bool>("autoSetup");
    QTest::addColumn<bool>("switchedOn");

    QTest::newRow("same as the checked button") << int(Feed::Horizontal) << false << false;
    QTest::newRow("other than the checked button") << int(Feed::Vertical) << false << true;
    QTest::newRow("already on") << int(Feed::Horizontal) << true << true;
}

void TestWaybillLayout::feedAtLoad()
{
    QFETCH(int, feed);
    QFETCH(bool, autoSetup);
    QFETCH(bool, switchedOn);

    writeRecord(u"快马"_s, [&](LayoutRecord &r) {
        r.setFeed(Feed(feed));
        r.setAutoPrinterSetup(autoSetup);
    });
    layout_->TreeView3Click(nodeOf(u"快马"_s));
    QCOMPARE(int(layout_->feed()), feed);
    QCOMPARE(layout_->record().feed(), Feed(feed));
    QCOMPARE(layout_->record().autoPrinterSetup(), switchedOn);
}

void TestWaybillLayout::treeFile_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("loaded"); // as written back

    QTest::newRow("levels") << QStringList{u"快递"_s, u"\t顺丰"_s, u"\t\t南方"_s, u"信封"_s}
                            << QStringList{u"快递"_s, u"\t顺丰"_s, u"\t\t南方"_s, u"信封"_s};
    QTest::newRow("odd indentation")
        << QStringList{u"\t\t甲"_s, u""_s, u"乙"_s, u"\t\t\t丙"_s, u"  丁"_s, u"\t \t"_s}
        << QStringList{u"甲"_s, u"乙"_s, u"\t丙"_s, u"\t\t丁"_s};
    QTest::newRow("empty file") << QStringList() << QStringList();
}

void TestWaybillLayout::treeFile()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, loaded);

    QVERIFY(app::writeListFile(folder_->settings() + u"xinfeng_TreeView.List"_s, lines));
    layout_->Load_TreeView_List();
    QCOMPARE(layout_->tree().toLines(), loaded);
}

void TestWaybillLayout::addAndDeleteNodes()
{
    // Without the tree file: the built-in names.
    layout_->Load_TreeView_List();
    QCOMPARE(layout_->tree().toLines(), LayoutTree::builtInNames());
    QCOMPARE(layout_->tree().size(), 46);

    LayoutTree tree = LayoutTree::fromLines({u"甲"_s, u"\t子"_s, u"\t丑"_s, u"\t\t孙"_s, u"乙"_s});
    tree.select(1);
    QCOMPARE(tree.add(u"新单据"_s), 4);
    QCOMPARE(tree.toLines(), (QStringList{u"甲"_s, u"\t子"_s, u"\t丑"_s, u"\t\t孙"_s, u"\t新单据"_s, u"乙"_s}));
    tree.select(5);
    tree.remove(2);
    QCOMPARE(tree.toLines(), (QStringList{u"甲"_s, u"\t子"_s, u"\t新单据"_s, u"乙"_s}));
    QCOMPARE(tree.selected(), 3);
    tree.remove(0);
    QCOMPARE(tree.selected(), 0);
    tree.remove(0);
    QCOMPARE(tree.selected(), -1);
    QCOMPARE(tree.size(), 0);

    // A deleted node returns when the tree file was not rewritten in between.
    layout_->tree().select(nodeOf(u"快马"_s));
    layout_->deleteSelectedLayout();
    QCOMPARE(nodeOf(u"快马"_s), -1);
    layout_->Load_TreeView_List();
    QVERIFY(nodeOf(u"快马"_s) >= 0);
}

QTEST_MAIN(TestWaybillLayout)
#include "tst_waybill_layout.moc"
