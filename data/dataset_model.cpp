#include "dataset_model.h"

namespace data {

QString displayText(const QVariant &value, wire::FieldType type)
{
    if (value.isNull())
        return {};
    switch (type) {
    case wire::FieldType::Boolean:
        return (value.typeId() == QMetaType::Bool ? value.toBool() : value.toLongLong() != 0) ? QStringLiteral("True")
                                                                                               : QStringLiteral("False");
    case wire::FieldType::Float:
        return value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15) : value.toString();
    default:
        return value.toString();
    }
}

DataSetModel::DataSetModel(ClientDataSet *dataSet, QObject *parent) : QAbstractTableModel(parent), dataSet_(dataSet)
{
    connect(dataSet, &ClientDataSet::reset, this, &DataSetModel::rebuild);
    connect(dataSet, &ClientDataSet::rowsAppended, this, [this](int first, int last) {
        beginInsertRows({}, first, last);
        rows_ = last + 1;
        endInsertRows();
    });
    connect(dataSet, &ClientDataSet::rowInserted, this, [this](int index) {
        beginInsertRows({}, index, index);
        ++rows_;
        endInsertRows();
    });
    connect(dataSet, &ClientDataSet::rowRemoved, this, [this](int index) {
        beginRemoveRows({}, index, index);
        --rows_;
        endRemoveRows();
    });
    connect(dataSet, &ClientDataSet::rowChanged, this,
            [this](int index) { Q_EMIT dataChanged(this->index(index, 0), this->index(index, columns_ - 1)); });
    rebuild();
}

void DataSetModel::rebuild()
{
    beginResetModel();
    rows_ = dataSet_ && dataSet_->isActive() ? dataSet_->recordCount() : 0;
    columns_ = dataSet_ && dataSet_->isActive() ? int(dataSet_->fields().size()) : 0;
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int DataSetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_; }

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !dataSet_ || index.row() >= dataSet_->recordCount() || index.column() >= columns_)
        return {};
    const QVariant &value = dataSet_->row(index.row())[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(value, dataSet_->fields()[size_t(index.column())].type);
    case Qt::EditRole:
        return value;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(index.column()));
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!dataSet_ || section >= columns_)
        return {};
    return title(section);
}

QString DataSetModel::fieldKey(int column) const
{
    return dataSet_ && column >= 0 && column < columns_ ? dataSet_->fields()[size_t(column)].name.toLower() : QString();
}

void DataSetModel::setTitle(const QString &field, const QString &title)
{
    looks_[field.toLower()].title = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void DataSetModel::setAlignment(const QString &field, Qt::Alignment alignment)
{
    looks_[field.toLower()].alignment = alignment;
    if (rows_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::TextAlignmentRole});
}

QString DataSetModel::title(int column) const
{
    const auto it = looks_.constFind(fieldKey(column));
    if (it != looks_.cend() && !it->title.isEmpty())
        return it->title;
    return dataSet_ && column < columns_ ? dataSet_->fields()[size_t(column)].name : QString();
}

Qt::Alignment DataSetModel::alignment(int column) const
{
    const auto it = looks_.constFind(fieldKey(column));
    return it != looks_.cend() ? it->alignment : (Qt::AlignLeft | Qt::AlignVCenter);
}

void DataSetModel::clearColumnLooks()
{
    looks_.clear();
    if (columns_ > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (rows_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::TextAlignmentRole});
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!editable_ || role != Qt::EditRole || !index.isValid() || !dataSet_ || !dataSet_->isActive())
        return false;
    try {
        if (dataSet_->recNo() != index.row() + 1)
            dataSet_->setRecNo(index.row() + 1);
        dataSet_->setValue(index.column(), value);
        return true;
    } catch (const Abort &) {
    } catch (const ServerError &) {
    }
    return false;
}

bool DataSetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && dataSet_ && dataSet_->isActive() && !dataSet_->allFetched();
}

void DataSetModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        dataSet_->fetchPacket();
    } catch (const ServerError &) {
        // The view asks again on its next scroll; the rows held stay as they are.
    }
}

} // namespace data
