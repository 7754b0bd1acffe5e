#pragma once
// A table model over a ClientDataSet for grids. The view pulls further packets as it scrolls
// (canFetchMore/fetchMore); the model never fetches on its own.

#include "client_dataset.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace data {

// How a value of a field reads in a grid or an editor.
QString displayText(const QVariant &value, wire::FieldType type);

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(ClientDataSet *dataSet, QObject *parent = nullptr);

    ClientDataSet *dataSet() const { return dataSet_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Edits in an editable grid go to the row as it would be edited in place: the cursor moves to it.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    void setEditable(bool editable) { editable_ = editable; }
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Titles and alignments by field name; they outlive a reopen of the dataset.
    void setTitle(const QString &field, const QString &title);
    void setAlignment(const QString &field, Qt::Alignment alignment);
    QString title(int column) const;
    Qt::Alignment alignment(int column) const;
    void clearColumnLooks();

private:
    struct Look {
        QString title;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };
    QString fieldKey(int column) const;

    void rebuild();

    QPointer<ClientDataSet> dataSet_;
    int rows_ = 0;    // rows the view has been told of
    int columns_ = 0;
    bool editable_ = false;
    QHash<QString, Look> looks_;
};

} // namespace data
