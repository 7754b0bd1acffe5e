#include "protocol.h"

#include <QCborArray>
#include <QtEndian>

namespace wire {

namespace {
const char *const typeNames[] = {"string", "memo", "integer", "float", "boolean", "datetime"};
}

QString fieldTypeName(FieldType type) { return QString::fromLatin1(typeNames[int(type)]); }

std::optional<FieldType> fieldTypeFromName(const QString &name)
{
    for (int i = 0; i < int(std::size(typeNames)); ++i)
        if (name == QLatin1StringView(typeNames[i]))
            return FieldType(i);
    return std::nullopt;
}

QCborArray columnsToCbor(const std::vector<Column> &columns)
{
    QCborArray array;
    for (const Column &c : columns)
        array.append(QCborArray{c.name, fieldTypeName(c.type), c.size});
    return array;
}

std::vector<Column> columnsFromCbor(const QCborArray &array)
{
    std::vector<Column> columns;
    columns.reserve(array.size());
    for (const QCborValue &v : array) {
        const QCborArray a = v.toArray();
        columns.push_back({a.at(0).toString(), fieldTypeFromName(a.at(1).toString()).value_or(FieldType::String),
                           int(a.at(2).toInteger())});
    }
    return columns;
}

bool isKnownProvider(const QString &name)
{
    static const QStringList providers{"khzl_dp",   "me_dp",      "s1_dp",   "s2_dp",   "s3_dp",
                                       "s4_dp",     "zh_dp",      "zidian_dp", "ygqx_dp", "zqx_dp",
                                       "runsql_dp", "fwjl_dp",    "hydm_dp", "Table_set_dp", "post_dp"};
    return providers.contains(name);
}

QByteArray encodeFrame(const QCborMap &body)
{
    const QByteArray payload = body.toCborValue().toCbor();
    QByteArray frame(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(payload.size()), frame.data());
    frame.append(payload);
    return frame;
}

FrameReader::Status FrameReader::next(QByteArray &frame)
{
    const qsizetype available = buffer_.size() - offset_;
    if (available < 4)
        return Status::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(buffer_.constData() + offset_);
    if (length > MaxFrameSize)
        return Status::TooLarge;
    if (available < qsizetype(4 + length))
        return Status::NeedMore;
    frame = buffer_.mid(offset_ + 4, length);
    offset_ += 4 + length;
    if (offset_ == buffer_.size()) {
        buffer_.clear();
        offset_ = 0;
    } else if (offset_ > (1 << 20)) {
        buffer_.remove(0, offset_);
        offset_ = 0;
    }
    return Status::Frame;
}

QCborValue valueToCbor(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QCborValue(QCborValue::Null);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QCborValue(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        return QCborValue(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QCborValue(value.toDouble());
    default:
        return QCborValue(value.toString());
    }
}

QVariant valueFromCbor(const QCborValue &value)
{
    switch (value.type()) {
    case QCborValue::Integer:
        return value.toInteger();
    case QCborValue::Double:
        return value.toDouble();
    case QCborValue::True:
    case QCborValue::False:
        return value.toBool();
    case QCborValue::String:
        return value.toString();
    case QCborValue::ByteArray:
        return value.toByteArray();
    default:
        return QVariant();
    }
}

} // namespace wire
