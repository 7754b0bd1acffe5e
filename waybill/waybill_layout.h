#pragma once
// The loaded waybill layout as plain data, apart from any widget: the parameter record, the
// items built from it for the canvas (slot labels with their continuation lines, postal-code
// digits, note areas, amount boxes, icon), the layout tree and the layout's files. The designer
// shows and edits these items, filling writes their texts and the print engine draws them.

#include "app/program_folder.h"
#include "waybill/layout_record.h"
#include "waybill/layout_tree.h"
#include "waybill/units.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QStringList>

#include <array>
#include <optional>

namespace waybill {

// One slot on the canvas: the main label and, below it, the continuation label that shows the
// second line of a wrapped value. Positions are canvas pixels.
struct SlotItem {
    QString column;
    FontEntry font; // size as stored; the canvas shows it scaled (canvasFont)
    QPoint pos;
    QString text;
    bool visible = true;
    QString continuationText;
    QPoint continuationPos;
    bool continuationVisible = false;
};

// A side's six postal-code digit boxes; box 1 is at the stored position.
struct PostalItem {
    QString column;
    FontEntry font;
    std::array<QPoint, 6> digitPos;
    std::array<QString, 6> digits;
};

struct NoteArea {
    QPoint pos;
    QSize size;
    FontEntry font; // shown at the stored size
    QStringList lines;
};

struct AmountBox {
    QPoint pos;
    QString text;
    bool visible = false;
};

struct IconItem {
    bool shown = false;
    QRect rect;
    QString picture; // the file shown; empty while there is none
};

class WaybillLayout {
public:
    static constexpr int kMinLength = 100; // the designer's length and height boxes
    static constexpr int kMaxLength = 9999;
    static constexpr int kAmountBoxes = 9;

    explicit WaybillLayout(app::ProgramFolder folder);

    const app::ProgramFolder &folder() const { return folder_; }
    LayoutTree &tree() { return tree_; }
    const LayoutTree &tree() const { return tree_; }
    // The selected node's text: the layout saved, and the name filling tests for "汇款单".
    QString name() const;

    LayoutRecord &record() { return record_; }
    const LayoutRecord &record() const { return record_; }

    DesignerScale scale() const { return scale_; }
    // The designer's length and height: the record's, bounded to 100..9999.
    Tenths length() const { return length_; }
    Tenths height() const { return height_; }
    QSize canvasSize() const { return canvas_; }
    // Null when the layout has no picture or it cannot be decoded.
    const QImage &background() const { return background_; }

    QList<SlotItem> &slotItems(Side side) { return side == Side::Recipient ? recipients_ : senders_; }
    const QList<SlotItem> &slotItems(Side side) const { return side == Side::Recipient ? recipients_ : senders_; }
    std::optional<PostalItem> &postal(Side side) { return side == Side::Recipient ? recipientPostal_ : senderPostal_; }
    const std::optional<PostalItem> &postal(Side side) const
    {
        return side == Side::Recipient ? recipientPostal_ : senderPostal_;
    }
    QList<NoteArea> &notes() { return notes_; }
    const QList<NoteArea> &notes() const { return notes_; }
    // [0] is hknumber1 (hundredths, rightmost), [8] is hknumber9.
    std::array<AmountBox, kAmountBoxes> &amountBoxes() { return amountBoxes_; }
    const std::array<AmountBox, kAmountBoxes> &amountBoxes() const { return amountBoxes_; }
    const FontEntry &amountFont() const { return amountFont_; }
    IconItem &icon() { return icon_; }
    const IconItem &icon() const { return icon_; }

    // The check mark of "邮编自动补0"; setting it sets the record's flag too.
    bool postalAutoPad() const { return postalAutoPad_; }
    void setPostalAutoPad(bool on);
    bool postalFramesVisible() const { return record_.postalFramesShown(); }
    // The checked feed button. Choosing the other one switches automatic printer setup on.
    Feed feed() const { return feed_; }
    void chooseFeed(Feed feed);

    // A slot or postal-code font as the canvas shows it: scaled, at 96 dpi.
    QFont canvasFont(const FontEntry &font) const;
    // An auto-sized canvas label's size.
    QSize labelSize(const QString &text, const FontEntry &font) const;

    // Loads the selected layout into the items. False, after a notice, when its parameter file
    // is refused; the layout shown before then stays loaded as it was.
    bool OpenXinFeng_CanShu_File();
    // Recreates one side's labels and postal digits, or the note areas, from the record.
    void buildSlots(Side side);
    void buildNotes();
    void loadTuBiaoFile();
    void Load_LiuYan();
    // Positions and colours of the items back into the record.
    void LabelToXincs();
    // The designer's save, with the offsets as typed in "左边距" and "上边距".
    bool save(const QString &offsetX, const QString &offsetY);
    // Each writes one file; a failure shows a notice and returns false.
    bool SaveDanJu_CanShu();
    bool Save_LiuYan();
    bool saveTree();

    // Amount boxes emptied, hidden and placed on hknumber9's row with the amount font.
    void resetAmountBoxes();
    // The amount boxes spaced from hknumber9, for "汇款单" layouts only.
    void SetJinEJianJu();

    void Load_TreeView_List();
    // Opens a top-level node: loads it and remembers it as the default layout.
    void TreeView3Click(int node);
    void Open_MoRen_Xinfeng_Name();
    // Opens the top-level layout of that name without touching the default-layout or tree files,
    // for printing from scripts. False when the tree has no such layout or its file is refused.
    bool openByName(const QString &layout);
    // "增加单据": returns the new node "新单据".
    int addLayout();
    // "删除当前单据": the node only; its files stay.
    void deleteSelectedLayout();
    // "选择背景图片": copies the picture to danju/<layout>.jpg and opens the layout again.
    void chooseBackground(const QString &picture);

private:
    QString layoutFile(const QString &suffix) const;

    app::ProgramFolder folder_;
    LayoutTree tree_;
    LayoutRecord record_;
    DesignerScale scale_{DesignerScale::kPlain};
    Tenths length_{kMinLength};
    Tenths height_{kMinLength};
    QSize canvas_;
    QImage background_;
    QList<SlotItem> recipients_;
    QList<SlotItem> senders_;
    std::optional<PostalItem> recipientPostal_;
    std::optional<PostalItem> senderPostal_;
    QList<NoteArea> notes_;
    std::array<AmountBox, kAmountBoxes> amountBoxes_;
    FontEntry amountFont_;
    IconItem icon_;
    bool postalAutoPad_ = false;
    Feed feed_ = Feed::Horizontal;
};

} // namespace waybill
