#pragma once
// Filling the loaded layout from the current directory record and the sender record: slot
// texts, pseudo-columns, composite fields, postal-code digits, amount boxes and wrapped lines.

#include "waybill/record_source.h"
#include "waybill/waybill_layout.h"

#include <QDateTime>
#include <QFont>

#include <optional>

namespace data {
class ClientDataSet;
}

namespace waybill {

struct FillInput {
    const RecordSource *khzl = nullptr; // the directory record; null while khzl is not open
    const RecordSource *me = nullptr;   // the sender record; null while me is not open
    // The search field list: wrapping and the amount boxes test recipient columns against it.
    QStringList searchFields;
    QDateTime now; // the local clock for 年, 月, 日, 时 and 分
};

// nullopt when the fill ran to its end; otherwise the message of the failure that stopped it
// (an unknown sender or composite field, no photo and no tbkong.jpg), which the caller shows
// before it stops too. Items filled before the failure keep their new texts.
std::optional<QString> SetKhZl_To_TongXunDanJu(WaybillLayout &layout, const FillInput &input);
// The current rows of khzl and me at the local time.
std::optional<QString> SetKhZl_To_TongXunDanJu(WaybillLayout &layout, const data::ClientDataSet &khzl,
                                               const data::ClientDataSet &me, const QStringList &searchFields);

// The amount boxes of "汇款单" layouts from 金额小写.
void SetHKDNumber(WaybillLayout &layout, const RecordSource &khzl, const QStringList &searchFields);
// Long values broken onto the continuation lines; sender values are read again from me.
void zhe_hang(WaybillLayout &layout, const RecordSource *me, const QStringList &searchFields);
// Hides continuation lines that are a single blank.
void zhe_hang_Visible(WaybillLayout &layout);

// The visual lines of a word-wrapping text box of that width and font: breaks at blanks, a
// word longer than the width broken inside, a character never split.
QStringList breakLines(const QString &text, const QFont &font, int width);
// "##.00": two decimals, no leading zero below 1, no thousands separator.
QString formatAmount(double value);

} // namespace waybill
