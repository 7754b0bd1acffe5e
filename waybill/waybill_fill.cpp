#include "waybill/waybill_fill.h"

#include "app/list_file.h"
#include "data/client_dataset.h"

#include <QFileInfo>
#include <QTextLayout>

#include <cmath>

namespace waybill {
namespace {

const QString kPhoto = QStringLiteral("照片路径");
const QString kMemo = QStringLiteral("备注");
const QString kReceive = QStringLiteral("收");
const QString kLabelNumber = QStringLiteral("标签序号");
const QString kAmount = QStringLiteral("金额小写");
const QString kBlankEntry = QStringLiteral("空格");

QString unknownField(const QString &field) { return QStringLiteral("字段“%1”不存在！").arg(field); }

QString datePart(const QString &column, const QDateTime &now)
{
    if (column == QStringLiteral("年"))
        return QString::number(now.date().year());
    if (column == QStringLiteral("月"))
        return QStringLiteral("%1").arg(now.date().month(), 2, 10, QLatin1Char('0'));
    if (column == QStringLiteral("日"))
        return QStringLiteral("%1").arg(now.date().day(), 2, 10, QLatin1Char('0'));
    if (column == QStringLiteral("时"))
        return QString::number(now.time().hour());
    if (column == QStringLiteral("分"))
        return QString::number(now.time().minute());
    return {};
}

bool isDatePart(const QString &column)
{
    static const QStringList parts{QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                                   QStringLiteral("时"), QStringLiteral("分")};
    return parts.contains(column);
}

// Exactly six characters fill the six boxes; anything else empties them.
void showPostalCode(PostalItem &item, const QString &code)
{
    for (int i = 0; i < 6; ++i)
        item.digits[i] = code.size() == 6 ? code.mid(i, 1) : QString();
}

QStringList memoLines(QString text)
{
    if (text.isEmpty())
        return {};
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.split(QLatin1Char('\n'));
}

// 连续1 to 连续3: the label is rebuilt from set/连续n.dat. 连续1 is emptied even without its file.
std::optional<QString> fillComposite(SlotItem &item, int number, const RecordSource &khzl,
                                     const app::ProgramFolder &folder)
{
    const QString file = folder.settings() + QStringLiteral("连续%1.dat").arg(number);
    const bool exists = QFileInfo::exists(file);
    if (number == 1 || exists)
        item.text.clear();
    if (!exists)
        return std::nullopt;
    for (const QString &entry : app::readListFile(file)) {
        if (entry == kBlankEntry) {
            item.text += QLatin1Char(' ');
        } else if (khzl.has(entry)) {
            item.text += khzl.text(entry);
        } else {
            return unknownField(entry);
        }
    }
    return std::nullopt;
}

int compositeNumber(const QString &column)
{
    for (int n = 1; n <= 3; ++n) {
        if (column == QStringLiteral("连续%1").arg(n))
            return n;
    }
    return 0;
}

std::optional<QString> fillRecipientSlot(WaybillLayout &layout, int k, const FillInput &input)
{
    SlotItem &item = layout.slotItems(Side::Recipient)[k - 1];
    const RecordSource &khzl = *input.khzl;
    const QString &column = item.column;
    if (!khzl.has(column))
        return std::nullopt;

    item.text = khzl.text(column);
    if (column == kPhoto) {
        item.text.clear();
        QString picture = khzl.text(column);
        if (!QFileInfo::exists(picture))
            picture = layout.folder().path(QStringLiteral("tbkong.jpg"));
        if (!QFileInfo::exists(picture))
            return QStringLiteral("找不到图片文件“%1”！").arg(picture);
        layout.icon().picture = picture;
    }
    if (isDatePart(column))
        item.text = datePart(column, input.now);
    if (column == kMemo && khzl.isMemo(column) && !layout.notes().isEmpty()) {
        layout.notes().first().lines = memoLines(item.text);
        item.text.clear();
    }
    // The stored x of slot 2 aligned right is its right edge.
    if (k == 2 && layout.record().alignment(2) == Alignment::Right)
        item.pos.setX(layout.record().slotPos(Side::Recipient, 2).x() - layout.labelSize(item.text, item.font).width());
    if (column == kReceive && item.text.isEmpty())
        item.text = kReceive;
    if (column == kLabelNumber)
        item.text = QStringLiteral("01");
    if (const int number = compositeNumber(column))
        return fillComposite(item, number, khzl, layout.folder());
    return std::nullopt;
}

std::optional<QString> fillSender(WaybillLayout &layout, const RecordSource &me)
{
    if (std::optional<PostalItem> &postal = layout.postal(Side::Sender)) {
        if (!me.has(postal->column))
            return unknownField(postal->column);
        showPostalCode(*postal, me.text(postal->column));
    }
    for (SlotItem &item : layout.slotItems(Side::Sender)) {
        if (!me.has(item.column))
            return unknownField(item.column);
        item.text = me.text(item.column);
    }
    return std::nullopt;
}

// The first line stays in the label, the second goes to the continuation label below it.
void wrapSlot(WaybillLayout &layout, SlotItem &item, const QString &text, int wrapAt, int lineGap, bool alignRight)
{
    const QStringList lines = breakLines(text, layout.canvasFont(item.font), wrapAt - item.pos.x());
    item.text = lines.value(0);
    if (lines.size() < 2)
        return;
    item.continuationText = lines.at(1);
    item.continuationVisible = true;
    const QSize label = layout.labelSize(item.text, item.font);
    int x = item.pos.x();
    if (alignRight)
        x += label.width() - layout.labelSize(item.continuationText, item.font).width();
    item.continuationPos = QPoint(x, item.pos.y() + label.height() + lineGap);
}

} // namespace

QStringList breakLines(const QString &text, const QFont &font, int width)
{
    QString paragraph = text;
    paragraph.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    paragraph.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        // A box narrower than one character still shows one character per line.
        line.setLineWidth(qMax(width, 1));
        QString piece = paragraph.mid(line.textStart(), line.textLength());
        if (piece.endsWith(QChar::LineSeparator))
            piece.chop(1);
        lines << piece;
    }
    layout.endLayout();
    return lines;
}

QString formatAmount(double value)
{
    QString text = QString::number(value, 'f', 2);
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QStringLiteral("-0.")))
        text.remove(1, 1);
    return text;
}

void SetHKDNumber(WaybillLayout &layout, const RecordSource &khzl, const QStringList &searchFields)
{
    layout.resetAmountBoxes();
    layout.SetJinEJianJu();
    if (!searchFields.contains(kAmount, Qt::CaseInsensitive) || !layout.name().contains(QStringLiteral("汇款单")))
        return;
    bool isNumber = false;
    const double amount = khzl.text(kAmount).trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(amount))
        return;
    const QString digits = formatAmount(amount);
    auto &boxes = layout.amountBoxes();
    // From the right: hundredths into hknumber1, the decimal point skipped.
    size_t box = 0;
    for (qsizetype i = digits.size() - 1; i >= 0 && box < boxes.size(); --i) {
        if (digits.at(i) == QLatin1Char('.'))
            continue;
        boxes[box].text = digits.at(i);
        boxes[box].visible = true;
        ++box;
    }
    for (size_t sign = 2; sign < boxes.size(); ++sign) {
        if (boxes[sign].text.isEmpty()) {
            boxes[sign].text = QStringLiteral("￥");
            boxes[sign].pos.rx() -= 3;
            boxes[sign].visible = true;
            break;
        }
    }
}

void zhe_hang(WaybillLayout &layout, const RecordSource *me, const QStringList &searchFields)
{
    const int canvasWidth = layout.canvasSize().width();
    const LayoutRecord &record = layout.record();
    QList<SlotItem> &recipients = layout.slotItems(Side::Recipient);
    for (int k = 1; k <= recipients.size(); ++k) {
        SlotItem &item = recipients[k - 1];
        item.continuationVisible = false;
        if (!searchFields.contains(item.column, Qt::CaseInsensitive))
            continue;
        const WrapSetting wrap = record.wrap(Side::Recipient, k);
        wrapSlot(layout, item, item.text, canvasWidth - layout.scale().toCanvas(wrap.position).value(), wrap.lineGap,
                 record.alignment(k) == Alignment::Right);
    }

    QList<SlotItem> &senders = layout.slotItems(Side::Sender);
    for (int k = 1; k <= senders.size(); ++k) {
        SlotItem &item = senders[k - 1];
        item.continuationVisible = false;
        const WrapSetting wrap = record.wrap(Side::Sender, k);
        const int room = canvasWidth - layout.labelSize(item.text, item.font).width() - item.pos.x();
        // Only a label that reaches closer than the wrap position to the right edge is broken.
        if (!me || wrap.position.mm().value() <= layout.scale().toMm(CanvasPx(room)).value())
            continue;
        wrapSlot(layout, item, me->text(item.column), canvasWidth - layout.scale().toCanvas(wrap.position).value(),
                 wrap.lineGap, false);
    }
}

void zhe_hang_Visible(WaybillLayout &layout)
{
    for (Side side : {Side::Recipient, Side::Sender}) {
        for (SlotItem &item : layout.slotItems(side)) {
            if (item.continuationText == QStringLiteral(" "))
                item.continuationVisible = false;
        }
    }
}

std::optional<QString> SetKhZl_To_TongXunDanJu(WaybillLayout &layout, const FillInput &input)
{
    if (!input.khzl)
        return std::nullopt;
    const RecordSource &khzl = *input.khzl;

    if (std::optional<PostalItem> &postal = layout.postal(Side::Recipient); postal && khzl.has(postal->column)) {
        QString code = khzl.text(postal->column);
        if (layout.postalAutoPad() && code.size() >= 3 && code.size() <= 5)
            code = code.rightJustified(6, QLatin1Char('0'));
        showPostalCode(*postal, code);
    }
    for (int k = 1; k <= layout.slotItems(Side::Recipient).size(); ++k) {
        if (std::optional<QString> failure = fillRecipientSlot(layout, k, input))
            return failure;
    }
    SetHKDNumber(layout, khzl, input.searchFields);
    if (input.me) {
        if (std::optional<QString> failure = fillSender(layout, *input.me))
            return failure;
    }
    zhe_hang(layout, input.me, input.searchFields);
    zhe_hang_Visible(layout);
    return std::nullopt;
}

std::optional<QString> SetKhZl_To_TongXunDanJu(WaybillLayout &layout, const data::ClientDataSet &khzl,
                                               const data::ClientDataSet &me, const QStringList &searchFields)
{
    const DataSetRecord recipient(khzl);
    const DataSetRecord sender(me);
    return SetKhZl_To_TongXunDanJu(layout, FillInput{khzl.isActive() ? &recipient : nullptr,
                                                     me.isActive() ? &sender : nullptr, searchFields,
                                                     QDateTime::currentDateTime()});
}

} // namespace waybill
