#include "waybill/layout_record.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

namespace waybill {
namespace {

// Field offsets of the record.
constexpr int kPosSize = 8;
constexpr int kSlotColumnSize = 31;
constexpr int kFontSize = 44;
constexpr int kAlignmentSize = 21;

constexpr int kRecipientPos = 0;
constexpr int kRecipientColumn = 480;
constexpr int kRecipientCount = 2340;
constexpr int kSenderPos = 2344;
constexpr int kSenderColumn = 2824;
constexpr int kSenderCount = 4684;
constexpr int kRecipientFont = 4688;
constexpr int kSenderFont = 7328;
constexpr int kOffsetX = 10000;
constexpr int kOffsetY = 10004;
constexpr int kIconShown = 10096;
constexpr int kLength = 10128;
constexpr int kHeight = 10132;
constexpr int kFeed = 10344;
constexpr int kRecipientPostalPos = 10348;
constexpr int kRecipientPostalColumn = 10356;
constexpr int kRecipientPostalFont = 10380;
constexpr int kSenderPostalPos = 10424;
constexpr int kSenderPostalColumn = 10432;
constexpr int kSenderPostalFont = 10456;
constexpr int kRecipientPostalSpacing = 10500;
constexpr int kSenderPostalSpacing = 10512;
constexpr int kAmountSpacing = 10516;
constexpr int kAmountPos = 10536;
constexpr int kIconRect = 10552;
constexpr int kExtraItemCount = 10568;
constexpr int kAutoPrinterSetup = 13686;
constexpr int kNoteFont = 13688;
constexpr int kAmountFont = 15008;
constexpr int kNotePos = 15480;
constexpr int kNoteSize = 15720;
constexpr int kNoteCount = 15960;
constexpr int kPostalFramesShown = 15964;
constexpr int kPostalAutoPad = 15965;
constexpr int kRecipientWrap = 15968;
constexpr int kSenderWrap = 16448;
constexpr int kAlignment = 16928;

// Within a font entry.
constexpr int kFontNameCapacity = 20;
constexpr int kFontPointSize = 24;
constexpr int kFontRed = 32;
constexpr int kFontGreen = 36;
constexpr int kFontBlue = 40;

constexpr int kSlotColumnCapacity = 30;
constexpr int kPostalColumnCapacity = 20;
constexpr int kAlignmentCapacity = 20;

const char *const kCodePage = "GBK";

int slotIndex(int slot)
{
    Q_ASSERT(slot >= 1 && slot <= LayoutRecord::kMaxSlots);
    return slot - 1;
}

int noteIndex(int note)
{
    Q_ASSERT(note >= 1 && note <= LayoutRecord::kMaxNotes);
    return note - 1;
}

bool recipient(Side side) { return side == Side::Recipient; }

// The longest prefix of text whose GBK form fits in capacity bytes; never half a character.
QByteArray encodeFitting(const QString &text, int capacity)
{
    QStringEncoder gbk(kCodePage);
    QByteArray bytes;
    for (int i = 0; i < text.size();) {
        const int units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = gbk(QStringView(text).mid(i, units));
        if (bytes.size() + character.size() > capacity)
            break;
        bytes += character;
        i += units;
    }
    return bytes;
}

const QString kLeft = QStringLiteral("左齐");
const QString kCentre = QStringLiteral("居中");
const QString kRight = QStringLiteral("右齐");

} // namespace

LayoutRecord::LayoutRecord() : bytes_(kSize, '\0') {}

LayoutRecord::LayoutRecord(QByteArray bytes) : bytes_(std::move(bytes)) {}

std::optional<LayoutRecord> LayoutRecord::fromBytes(const QByteArray &bytes, QString *error)
{
    if (bytes.size() != kSize) {
        *error = QStringLiteral("单据参数文件有%1字节，应为%2字节，不能读取！").arg(bytes.size()).arg(kSize);
        return std::nullopt;
    }
    error->clear();
    return LayoutRecord(bytes);
}

std::optional<LayoutRecord> LayoutRecord::readFile(const QString &path, QString *error)
{
    error->clear();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("不能读取单据参数文件“%1”！").arg(path);
        return std::nullopt;
    }
    std::optional<LayoutRecord> record = fromBytes(file.readAll(), error);
    if (!record)
        *error = QStringLiteral("“%1”：%2").arg(path, *error);
    return record;
}

bool LayoutRecord::writeFile(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes_) != bytes_.size() || !file.commit()) {
        *error = QStringLiteral("不能写入单据参数文件“%1”！").arg(path);
        return false;
    }
    error->clear();
    return true;
}

qint32 LayoutRecord::int32At(int offset) const { return qFromLittleEndian<qint32>(bytes_.constData() + offset); }

void LayoutRecord::setInt32At(int offset, qint32 value) { qToLittleEndian(value, bytes_.data() + offset); }

bool LayoutRecord::flagAt(int offset) const { return bytes_.at(offset) != 0; }

void LayoutRecord::setFlagAt(int offset, bool on) { bytes_[offset] = on ? 1 : 0; }

QString LayoutRecord::stringAt(int offset, int capacity) const
{
    const int length = qMin(int(quint8(bytes_.at(offset))), capacity);
    QStringDecoder gbk(kCodePage);
    return gbk(QByteArrayView(bytes_.constData() + offset + 1, length));
}

void LayoutRecord::setStringAt(int offset, int capacity, const QString &text)
{
    const QByteArray encoded = encodeFitting(text, capacity);
    bytes_[offset] = char(encoded.size());
    bytes_.replace(offset + 1, capacity, encoded + QByteArray(capacity - encoded.size(), '\0'));
}

QPoint LayoutRecord::pointAt(int offset) const { return {int32At(offset), int32At(offset + 4)}; }

void LayoutRecord::setPointAt(int offset, QPoint pos)
{
    setInt32At(offset, pos.x());
    setInt32At(offset + 4, pos.y());
}

FontEntry LayoutRecord::fontAt(int offset) const
{
    const auto channel = [&](int at) { return qBound(0, int32At(offset + at), 255); };
    return {stringAt(offset, kFontNameCapacity), int32At(offset + kFontPointSize),
            QColor(channel(kFontRed), channel(kFontGreen), channel(kFontBlue))};
}

void LayoutRecord::setFontAt(int offset, const FontEntry &font)
{
    setStringAt(offset, kFontNameCapacity, font.name);
    setInt32At(offset + kFontPointSize, font.pointSize);
    setColourAt(offset, font.colour);
}

void LayoutRecord::setColourAt(int offset, const QColor &colour)
{
    setInt32At(offset + kFontRed, colour.red());
    setInt32At(offset + kFontGreen, colour.green());
    setInt32At(offset + kFontBlue, colour.blue());
}

QPoint LayoutRecord::slotPos(Side side, int slot) const
{
    return pointAt((recipient(side) ? kRecipientPos : kSenderPos) + slotIndex(slot) * kPosSize);
}

void LayoutRecord::setSlotPos(Side side, int slot, QPoint pos)
{
    setPointAt((recipient(side) ? kRecipientPos : kSenderPos) + slotIndex(slot) * kPosSize, pos);
}

QString LayoutRecord::slotColumn(Side side, int slot) const
{
    return stringAt((recipient(side) ? kRecipientColumn : kSenderColumn) + slotIndex(slot) * kSlotColumnSize,
                    kSlotColumnCapacity);
}

void LayoutRecord::setSlotColumn(Side side, int slot, const QString &column)
{
    setStringAt((recipient(side) ? kRecipientColumn : kSenderColumn) + slotIndex(slot) * kSlotColumnSize,
                kSlotColumnCapacity, column);
}

int LayoutRecord::slotCount(Side side) const
{
    return qBound(0, int32At(recipient(side) ? kRecipientCount : kSenderCount), kMaxSlots);
}

void LayoutRecord::setSlotCount(Side side, int count)
{
    setInt32At(recipient(side) ? kRecipientCount : kSenderCount, qBound(0, count, kMaxSlots));
}

FontEntry LayoutRecord::slotFont(Side side, int slot) const
{
    return fontAt((recipient(side) ? kRecipientFont : kSenderFont) + slotIndex(slot) * kFontSize);
}

void LayoutRecord::setSlotFont(Side side, int slot, const FontEntry &font)
{
    setFontAt((recipient(side) ? kRecipientFont : kSenderFont) + slotIndex(slot) * kFontSize, font);
}

void LayoutRecord::setSlotColour(Side side, int slot, const QColor &colour)
{
    setColourAt((recipient(side) ? kRecipientFont : kSenderFont) + slotIndex(slot) * kFontSize, colour);
}

WrapSetting LayoutRecord::wrap(Side side, int slot) const
{
    const QPoint pair = pointAt((recipient(side) ? kRecipientWrap : kSenderWrap) + slotIndex(slot) * kPosSize);
    return {Tenths(pair.x()), pair.y()};
}

void LayoutRecord::setWrap(Side side, int slot, const WrapSetting &wrap)
{
    setPointAt((recipient(side) ? kRecipientWrap : kSenderWrap) + slotIndex(slot) * kPosSize,
               QPoint(wrap.position.value(), wrap.lineGap));
}

Alignment LayoutRecord::alignment(int slot) const
{
    const QString word = stringAt(kAlignment + slotIndex(slot) * kAlignmentSize, kAlignmentCapacity);
    if (word == kRight)
        return Alignment::Right;
    return word == kCentre ? Alignment::Centre : Alignment::Left;
}

void LayoutRecord::setAlignment(int slot, Alignment alignment)
{
    const QString &word = alignment == Alignment::Right ? kRight : alignment == Alignment::Centre ? kCentre : kLeft;
    setStringAt(kAlignment + slotIndex(slot) * kAlignmentSize, kAlignmentCapacity, word);
}

Tenths LayoutRecord::offsetX() const { return Tenths(int32At(kOffsetX)); }
void LayoutRecord::setOffsetX(Tenths offset) { setInt32At(kOffsetX, offset.value()); }
Tenths LayoutRecord::offsetY() const { return Tenths(int32At(kOffsetY)); }
void LayoutRecord::setOffsetY(Tenths offset) { setInt32At(kOffsetY, offset.value()); }
Tenths LayoutRecord::length() const { return Tenths(int32At(kLength)); }
void LayoutRecord::setLength(Tenths length) { setInt32At(kLength, length.value()); }
Tenths LayoutRecord::height() const { return Tenths(int32At(kHeight)); }
void LayoutRecord::setHeight(Tenths height) { setInt32At(kHeight, height.value()); }
Feed LayoutRecord::feed() const { return int32At(kFeed) == 1 ? Feed::Vertical : Feed::Horizontal; }
void LayoutRecord::setFeed(Feed feed) { setInt32At(kFeed, int(feed)); }
bool LayoutRecord::autoPrinterSetup() const { return flagAt(kAutoPrinterSetup); }
void LayoutRecord::setAutoPrinterSetup(bool on) { setFlagAt(kAutoPrinterSetup, on); }

QPoint LayoutRecord::postalPos(Side side) const
{
    return pointAt(recipient(side) ? kRecipientPostalPos : kSenderPostalPos);
}

void LayoutRecord::setPostalPos(Side side, QPoint pos)
{
    setPointAt(recipient(side) ? kRecipientPostalPos : kSenderPostalPos, pos);
}

QString LayoutRecord::postalColumn(Side side) const
{
    return stringAt(recipient(side) ? kRecipientPostalColumn : kSenderPostalColumn, kPostalColumnCapacity);
}

void LayoutRecord::setPostalColumn(Side side, const QString &column)
{
    setStringAt(recipient(side) ? kRecipientPostalColumn : kSenderPostalColumn, kPostalColumnCapacity, column);
}

FontEntry LayoutRecord::postalFont(Side side) const
{
    return fontAt(recipient(side) ? kRecipientPostalFont : kSenderPostalFont);
}

void LayoutRecord::setPostalFont(Side side, const FontEntry &font)
{
    setFontAt(recipient(side) ? kRecipientPostalFont : kSenderPostalFont, font);
}

void LayoutRecord::setPostalColour(Side side, const QColor &colour)
{
    setColourAt(recipient(side) ? kRecipientPostalFont : kSenderPostalFont, colour);
}

Tenths LayoutRecord::postalSpacing(Side side) const
{
    return Tenths(int32At(recipient(side) ? kRecipientPostalSpacing : kSenderPostalSpacing));
}

void LayoutRecord::setPostalSpacing(Side side, Tenths spacing)
{
    setInt32At(recipient(side) ? kRecipientPostalSpacing : kSenderPostalSpacing, spacing.value());
}

bool LayoutRecord::postalAutoPad() const { return flagAt(kPostalAutoPad); }
void LayoutRecord::setPostalAutoPad(bool on) { setFlagAt(kPostalAutoPad, on); }
bool LayoutRecord::postalFramesShown() const { return flagAt(kPostalFramesShown); }

Tenths LayoutRecord::amountSpacing() const { return Tenths(int32At(kAmountSpacing)); }
void LayoutRecord::setAmountSpacing(Tenths spacing) { setInt32At(kAmountSpacing, spacing.value()); }
QPoint LayoutRecord::amountPos() const { return pointAt(kAmountPos); }
FontEntry LayoutRecord::amountFont() const { return fontAt(kAmountFont); }

bool LayoutRecord::iconShown() const { return flagAt(kIconShown); }
void LayoutRecord::setIconShown(bool shown) { setFlagAt(kIconShown, shown); }

QRect LayoutRecord::iconRect() const
{
    return {pointAt(kIconRect), QSize(int32At(kIconRect + 8), int32At(kIconRect + 12))};
}

void LayoutRecord::setIconRect(const QRect &rect)
{
    setPointAt(kIconRect, rect.topLeft());
    setPointAt(kIconRect + 8, QPoint(rect.width(), rect.height()));
}

int LayoutRecord::extraItemCount() const { return int32At(kExtraItemCount); }

int LayoutRecord::noteCount() const { return qBound(0, int32At(kNoteCount), kMaxNotes); }
void LayoutRecord::setNoteCount(int count) { setInt32At(kNoteCount, qBound(0, count, kMaxNotes)); }
QPoint LayoutRecord::notePos(int note) const { return pointAt(kNotePos + noteIndex(note) * kPosSize); }
void LayoutRecord::setNotePos(int note, QPoint pos) { setPointAt(kNotePos + noteIndex(note) * kPosSize, pos); }

QSize LayoutRecord::noteSize(int note) const
{
    const QPoint pair = pointAt(kNoteSize + noteIndex(note) * kPosSize);
    return {pair.x(), pair.y()};
}

void LayoutRecord::setNoteSize(int note, QSize size)
{
    setPointAt(kNoteSize + noteIndex(note) * kPosSize, QPoint(size.width(), size.height()));
}

FontEntry LayoutRecord::noteFont(int note) const { return fontAt(kNoteFont + noteIndex(note) * kFontSize); }
void LayoutRecord::setNoteFont(int note, const FontEntry &font)
{
    setFontAt(kNoteFont + noteIndex(note) * kFontSize, font);
}

} // namespace waybill
