#include "waybill/waybill_layout.h"

#include "app/list_file.h"
#include "app/prompt_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QSaveFile>

namespace waybill {
namespace {

const QString kTreeFile = QStringLiteral("xinfeng_TreeView.List");
const QString kDefaultFile = QStringLiteral("moren_xinfeng");
const QString kIconFile = QStringLiteral("tubiaoName");
const QString kNoteSuffix = QStringLiteral(".留言");

// Items loaded outside the canvas come back inside it: before the start to 0, past the end to 8
// pixels inside it.
int clampIntoCanvas(int value, int extent)
{
    if (value < 0)
        return 0;
    return value > extent ? extent - 8 : value;
}

} // namespace

WaybillLayout::WaybillLayout(app::ProgramFolder folder) : folder_(std::move(folder)), tree_(LayoutTree::builtIn())
{
    canvas_ = QSize(scale_.toCanvas(length_).value(), scale_.toCanvas(height_).value());
}

QString WaybillLayout::name() const
{
    return tree_.selected() < 0 ? QString() : tree_.text(tree_.selected());
}

QString WaybillLayout::layoutFile(const QString &suffix) const { return folder_.layouts() + name() + suffix; }

void WaybillLayout::setPostalAutoPad(bool on)
{
    postalAutoPad_ = on;
    record_.setPostalAutoPad(on);
}

void WaybillLayout::chooseFeed(Feed feed)
{
    if (feed == feed_)
        return;
    feed_ = feed;
    record_.setFeed(feed);
    record_.setAutoPrinterSetup(true);
}

QFont WaybillLayout::canvasFont(const FontEntry &font) const
{
    QFont canvas(font.name);
    canvas.setPixelSize(qMax(1, canvasFontPixels(scale_.canvasPoints(font.pointSize))));
    return canvas;
}

QSize WaybillLayout::labelSize(const QString &text, const FontEntry &font) const
{
    const QFontMetrics metrics(canvasFont(font));
    return {metrics.horizontalAdvance(text), metrics.height()};
}

bool WaybillLayout::OpenXinFeng_CanShu_File()
{
    const QString layout = name();
    if (layout.isEmpty())
        return false;
    QString error;
    std::optional<LayoutRecord> read = LayoutRecord::readFile(layoutFile(QStringLiteral(".cs")), &error);
    if (!error.isEmpty()) {
        app::prompts().notice(error);
        return false;
    }
    // Without a file the record stays the previous layout's: a new layout starts as its copy.
    if (read)
        record_ = *read;

    length_ = Tenths(qBound(kMinLength, record_.length().value(), kMaxLength));
    height_ = Tenths(qBound(kMinLength, record_.height().value(), kMaxLength));
    const QString picture = layoutFile(QStringLiteral(".jpg"));
    const bool hasPicture = QFileInfo::exists(picture);
    background_ = hasPicture ? QImageReader(picture).read() : QImage();
    scale_ = DesignerScale::forLayout(layout, hasPicture);
    canvas_ = QSize(scale_.toCanvas(length_).value(), scale_.toCanvas(height_).value());

    icon_.rect = record_.iconRect();
    icon_.shown = record_.iconShown();
    postalAutoPad_ = record_.postalAutoPad();
    if (icon_.shown)
        loadTuBiaoFile();
    buildSlots(Side::Sender);
    buildSlots(Side::Recipient);
    chooseFeed(record_.feed());
    buildNotes();
    resetAmountBoxes();
    SetJinEJianJu();
    return true;
}

void WaybillLayout::buildSlots(Side side)
{
    QList<SlotItem> &items = slotItems(side);
    items.clear();
    for (int k = 1; k <= record_.slotCount(side); ++k) {
        SlotItem item;
        item.column = record_.slotColumn(side, k);
        item.font = record_.slotFont(side, k);
        const QPoint stored = record_.slotPos(side, k);
        item.pos = QPoint(clampIntoCanvas(stored.x(), canvas_.width()), clampIntoCanvas(stored.y(), canvas_.height()));
        item.text = item.column;
        item.continuationPos = item.pos + QPoint(0, labelSize(item.text, item.font).height());
        if (side == Side::Sender)
            item.continuationText = item.column;
        items.append(item);
    }

    std::optional<PostalItem> &postalItem = postal(side);
    postalItem.reset();
    if (record_.postalColumn(side).isEmpty())
        return;
    PostalItem digits{record_.postalColumn(side), record_.postalFont(side), {}, {}};
    const QPoint first = record_.postalPos(side);
    for (int i = 0; i < 6; ++i) {
        const int step = scale_.toCanvas(Tenths(record_.postalSpacing(side).value() * i)).value();
        digits.digitPos[i] = first + QPoint(step, 0);
        digits.digits[i] = QString::number(i + 1);
    }
    postalItem = digits;
}

void WaybillLayout::buildNotes()
{
    notes_.clear();
    for (int n = 1; n <= record_.noteCount(); ++n) {
        NoteArea note;
        const QSize stored = record_.noteSize(n);
        note.size = QSize(qMax(stored.width(), 30), qMax(stored.height(), 20));
        const QPoint pos = record_.notePos(n);
        note.pos = QPoint(pos.x() < 0 || pos.x() > canvas_.width() ? 0 : pos.x(), qMax(pos.y(), 0));
        note.font = record_.noteFont(n);
        note.lines = QStringList{QStringLiteral("留言%1").arg(n)};
        notes_.append(note);
    }
    Load_LiuYan();
}

void WaybillLayout::Load_LiuYan()
{
    // The older place in set/ first, so that the file in danju/ wins.
    for (const QString &folder : {folder_.settings(), folder_.layouts()}) {
        for (int n = 1; n <= notes_.size(); ++n) {
            const QString file = folder + QStringLiteral("%1-%2").arg(name()).arg(n) + kNoteSuffix;
            if (QFileInfo::exists(file))
                notes_[n - 1].lines = app::readListFile(file);
        }
    }
}

void WaybillLayout::loadTuBiaoFile()
{
    const std::optional<QString> picture = app::readFirstLine(folder_.settings() + kIconFile);
    if (picture && QFileInfo::exists(*picture))
        icon_.picture = *picture;
}

void WaybillLayout::LabelToXincs()
{
    for (Side side : {Side::Recipient, Side::Sender}) {
        const QList<SlotItem> &items = slotItems(side);
        for (int k = 1; k <= items.size(); ++k) {
            const SlotItem &item = items[k - 1];
            QPoint pos = item.pos;
            // Slot 2 aligned right keeps its right edge.
            if (side == Side::Recipient && k == 2 && record_.alignment(2) == Alignment::Right)
                pos.rx() += labelSize(item.text, item.font).width();
            record_.setSlotPos(side, k, pos);
            record_.setSlotColour(side, k, item.font.colour);
        }
        record_.setSlotCount(side, int(items.size()));
        if (const std::optional<PostalItem> &digits = postal(side)) {
            record_.setPostalPos(side, digits->digitPos[0]);
            record_.setPostalColour(side, digits->font.colour);
        }
    }
    record_.setIconRect(icon_.rect);
}

bool WaybillLayout::save(const QString &offsetX, const QString &offsetY)
{
    if (name().isEmpty())
        return false;
    bool xIsNumber = false;
    bool yIsNumber = false;
    const int x = offsetX.trimmed().toInt(&xIsNumber);
    const int y = offsetY.trimmed().toInt(&yIsNumber);
    if (!xIsNumber || !yIsNumber) {
        app::prompts().notice(QStringLiteral("位置校正应该填写数字!"));
        return false;
    }
    record_.setOffsetX(Tenths(x));
    record_.setOffsetY(Tenths(y));
    LabelToXincs();
    return SaveDanJu_CanShu() && Save_LiuYan() && saveTree();
}

bool WaybillLayout::SaveDanJu_CanShu()
{
    QString error;
    QDir().mkpath(folder_.layouts());
    if (record_.writeFile(layoutFile(QStringLiteral(".cs")), &error))
        return true;
    app::prompts().notice(error);
    return false;
}

bool WaybillLayout::Save_LiuYan()
{
    for (int n = 1; n <= notes_.size(); ++n) {
        const QString file = layoutFile(QStringLiteral("-%1").arg(n) + kNoteSuffix);
        if (!app::writeListFile(file, notes_[n - 1].lines)) {
            app::prompts().notice(QStringLiteral("不能写入留言文件“%1”！").arg(file));
            return false;
        }
    }
    return true;
}

bool WaybillLayout::saveTree()
{
    const QString file = folder_.settings() + kTreeFile;
    if (app::writeListFile(file, tree_.toLines()))
        return true;
    app::prompts().notice(QStringLiteral("不能写入单据列表文件“%1”！").arg(file));
    return false;
}

void WaybillLayout::resetAmountBoxes()
{
    const FontEntry stored = record_.amountFont();
    amountFont_ = FontEntry{stored.name, stored.pointSize, QColor(0, 0, 0)};
    const QPoint first = record_.amountPos();
    for (AmountBox &box : amountBoxes_)
        box = AmountBox{QPoint(box.pos.x(), first.y()), QString(), false};
    amountBoxes_[kAmountBoxes - 1].pos = first;
}

void WaybillLayout::SetJinEJianJu()
{
    if (!name().contains(QStringLiteral("汇款单")))
        return;
    const int step = scale_.toCanvas(record_.amountSpacing()).value();
    const int left = amountBoxes_[kAmountBoxes - 1].pos.x();
    for (int n = 1; n <= kAmountBoxes; ++n)
        amountBoxes_[n - 1].pos.setX(left + (kAmountBoxes - n) * step);
}

void WaybillLayout::Load_TreeView_List()
{
    const QString file = folder_.settings() + kTreeFile;
    tree_ = QFileInfo::exists(file) ? LayoutTree::fromLines(app::readListFile(file)) : LayoutTree::builtIn();
}

void WaybillLayout::TreeView3Click(int node)
{
    const int previous = tree_.selected();
    tree_.select(node);
    if (!tree_.isTopLevel(node))
        return;
    // A refused parameter file leaves the layout shown before selected and loaded.
    if (!OpenXinFeng_CanShu_File()) {
        tree_.select(previous);
        return;
    }
    app::writeSingleValue(folder_.settings() + kDefaultFile, name());
    saveTree();
}

bool WaybillLayout::openByName(const QString &layout)
{
    Load_TreeView_List();
    for (int node = 0; node < tree_.size(); ++node) {
        if (tree_.isTopLevel(node) && tree_.text(node) == layout) {
            tree_.select(node);
            return OpenXinFeng_CanShu_File();
        }
    }
    return false;
}

void WaybillLayout::Open_MoRen_Xinfeng_Name()
{
    const std::optional<QString> layout = app::readFirstLine(folder_.settings() + kDefaultFile);
    if (!layout)
        return;
    // Every node of that name is opened in turn: with duplicates the last one stays loaded.
    for (int node = 0; node < tree_.size(); ++node) {
        if (tree_.text(node) == *layout)
            TreeView3Click(node);
    }
}

int WaybillLayout::addLayout() { return tree_.add(QStringLiteral("新单据")); }

void WaybillLayout::deleteSelectedLayout()
{
    if (tree_.selected() >= 0)
        tree_.remove(tree_.selected());
}

void WaybillLayout::chooseBackground(const QString &picture)
{
    const int node = tree_.selected();
    if (node < 0)
        return;
    // A failed copy is not reported; the old picture then stays.
    QFile source(picture);
    QDir().mkpath(folder_.layouts());
    QSaveFile target(layoutFile(QStringLiteral(".jpg")));
    if (source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly)) {
        target.write(source.readAll());
        target.commit();
    }
    TreeView3Click(node);
}

} // namespace waybill
