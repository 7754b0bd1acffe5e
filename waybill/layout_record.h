#pragma once
// The layout parameter record: the whole content of danju/<layout>.cs, one binary block of
// 19,448 bytes, little-endian. The block is kept as read and every field is read and written
// in place, so the bytes this system does not interpret survive a round trip unchanged.

#include "waybill/units.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace waybill {

enum class Side { Recipient, Sender };
enum class Feed { Horizontal = 0, Vertical = 1 };
// Stored as the words "左齐", "居中", "右齐"; anything else reads as left.
enum class Alignment { Left, Centre, Right };

// A 44-byte font entry: the name (at most 20 GBK bytes), the size in points and the colour.
// Style and character set are not part of the file.
struct FontEntry {
    QString name;
    int pointSize = 0;
    QColor colour = QColor(0, 0, 0);
    bool operator==(const FontEntry &) const = default;
};

struct WrapSetting {
    Tenths position{0}; // distance of the wrap from the layout's right edge
    int lineGap = 0;    // canvas pixels added above the continuation line
};

class LayoutRecord {
public:
    static constexpr int kSize = 19448;
    static constexpr int kMaxSlots = 60;
    static constexpr int kMaxNotes = 30;

    // A record never read: all zeros.
    LayoutRecord();

    // Refuses any block that is not exactly one record, with the reason in *error.
    static std::optional<LayoutRecord> fromBytes(const QByteArray &bytes, QString *error);
    // nullopt with an empty *error when the file does not exist.
    static std::optional<LayoutRecord> readFile(const QString &path, QString *error);
    bool writeFile(const QString &path, QString *error) const;
    const QByteArray &bytes() const { return bytes_; }

    // Slots are numbered 1 to 60 on each side; positions are canvas pixels.
    QPoint slotPos(Side side, int slot) const;
    void setSlotPos(Side side, int slot, QPoint pos);
    QString slotColumn(Side side, int slot) const;
    void setSlotColumn(Side side, int slot, const QString &column);
    int slotCount(Side side) const; // bounded to 0..60
    void setSlotCount(Side side, int count);
    FontEntry slotFont(Side side, int slot) const;
    void setSlotFont(Side side, int slot, const FontEntry &font);
    // Only the colour; the name bytes stay exactly as read.
    void setSlotColour(Side side, int slot, const QColor &colour);
    WrapSetting wrap(Side side, int slot) const;
    void setWrap(Side side, int slot, const WrapSetting &wrap);
    // Recipient slots only; the sender side has no alignment.
    Alignment alignment(int slot) const;
    void setAlignment(int slot, Alignment alignment);

    Tenths offsetX() const;
    void setOffsetX(Tenths offset);
    Tenths offsetY() const;
    void setOffsetY(Tenths offset);
    Tenths length() const;
    void setLength(Tenths length);
    Tenths height() const;
    void setHeight(Tenths height);
    Feed feed() const;
    void setFeed(Feed feed);
    bool autoPrinterSetup() const;
    void setAutoPrinterSetup(bool on);

    // An empty postal-code column means the side has no digit boxes.
    QPoint postalPos(Side side) const;
    void setPostalPos(Side side, QPoint pos);
    QString postalColumn(Side side) const;
    void setPostalColumn(Side side, const QString &column);
    FontEntry postalFont(Side side) const;
    void setPostalFont(Side side, const FontEntry &font);
    void setPostalColour(Side side, const QColor &colour);
    Tenths postalSpacing(Side side) const;
    void setPostalSpacing(Side side, Tenths spacing);
    bool postalAutoPad() const;
    void setPostalAutoPad(bool on);
    // Never written by this system.
    bool postalFramesShown() const;

    Tenths amountSpacing() const;
    void setAmountSpacing(Tenths spacing);
    // Position of hknumber9 and the amount font: never written by this system.
    QPoint amountPos() const;
    FontEntry amountFont() const;

    bool iconShown() const;
    void setIconShown(bool shown);
    QRect iconRect() const;
    void setIconRect(const QRect &rect);

    // Read by the envelope preview only; never set.
    int extraItemCount() const;

    // Notes are numbered 1 to 30.
    int noteCount() const; // bounded to 0..30
    void setNoteCount(int count);
    QPoint notePos(int note) const;
    void setNotePos(int note, QPoint pos);
    QSize noteSize(int note) const;
    void setNoteSize(int note, QSize size);
    FontEntry noteFont(int note) const;
    void setNoteFont(int note, const FontEntry &font);

    bool operator==(const LayoutRecord &) const = default;

private:
    explicit LayoutRecord(QByteArray bytes);

    qint32 int32At(int offset) const;
    void setInt32At(int offset, qint32 value);
    bool flagAt(int offset) const;
    void setFlagAt(int offset, bool on);
    QString stringAt(int offset, int capacity) const;
    void setStringAt(int offset, int capacity, const QString &text);
    QPoint pointAt(int offset) const;
    void setPointAt(int offset, QPoint pos);
    FontEntry fontAt(int offset) const;
    void setFontAt(int offset, const FontEntry &font);
    void setColourAt(int offset, const QColor &colour);

    QByteArray bytes_;
};

} // namespace waybill
