#pragma once
// One record as filling reads it: field names, values as text, and which fields are memos.
// Adapters for a client dataset's current row and for a map (JSON input of the headless printer).

#include <QStringList>
#include <QVariantMap>

namespace data {
class ClientDataSet;
}

namespace waybill {

class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual QStringList fieldNames() const = 0;
    virtual bool has(const QString &field) const = 0;
    // Empty for a null value.
    virtual QString text(const QString &field) const = 0;
    virtual bool isMemo(const QString &field) const = 0;
};

// The current row of an open dataset; field names ignore letter case, as the dataset does.
class DataSetRecord : public RecordSource {
public:
    explicit DataSetRecord(const data::ClientDataSet &dataSet) : dataSet_(dataSet) {}
    QStringList fieldNames() const override;
    bool has(const QString &field) const override;
    QString text(const QString &field) const override;
    bool isMemo(const QString &field) const override;

private:
    const data::ClientDataSet &dataSet_;
};

class MapRecord : public RecordSource {
public:
    explicit MapRecord(QVariantMap values, QStringList memoFields = {});
    QStringList fieldNames() const override { return values_.keys(); }
    bool has(const QString &field) const override { return values_.contains(field); }
    QString text(const QString &field) const override { return values_.value(field).toString(); }
    bool isMemo(const QString &field) const override { return memoFields_.contains(field); }

private:
    QVariantMap values_;
    QStringList memoFields_;
};

} // namespace waybill
