#include "dataset_helpers.h"

namespace admin {

QStringList columnTexts(const data::ClientDataSet &d, const QString &field)
{
    QStringList texts;
    const int column = d.isActive() ? d.fieldIndex(field) : -1;
    if (column < 0)
        return texts;
    for (int i = 0; i < d.recordCount(); ++i)
        texts << d.row(i)[size_t(column)].toString();
    return texts;
}

int findRow(const data::ClientDataSet &d, const QString &field, const QString &text)
{
    return int(columnTexts(d, field).indexOf(text));
}

bool isTrue(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool ? value.toBool() : value.toLongLong() != 0;
}

QString positionOf(const data::ClientDataSet &d)
{
    return QStringLiteral("%1/%2").arg(d.recNo()).arg(d.recordCount());
}

bool guarded(data::TDataModule1 &dm, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const data::Abort &) {
    } catch (const data::ServerError &e) {
        dm.ShowMessage_jd(e.message());
    }
    return false;
}

} // namespace admin
