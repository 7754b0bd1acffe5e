#include "waybill/record_source.h"

#include "data/client_dataset.h"

namespace waybill {

QStringList DataSetRecord::fieldNames() const { return dataSet_.fieldNames(); }

bool DataSetRecord::has(const QString &field) const { return dataSet_.hasField(field); }

QString DataSetRecord::text(const QString &field) const { return dataSet_.text(field); }

bool DataSetRecord::isMemo(const QString &field) const
{
    const int index = dataSet_.fieldIndex(field);
    return index >= 0 && dataSet_.fields()[size_t(index)].type == wire::FieldType::Memo;
}

MapRecord::MapRecord(QVariantMap values, QStringList memoFields)
    : values_(std::move(values)), memoFields_(std::move(memoFields))
{
}

} // namespace waybill
