#pragma once
// The directory grid's column layout and its files (<table>DBGrid1.dat, DBGrid1.dat).

#include <QList>
#include <QString>
#include <optional>

class QTableView;
namespace data {
class DataSetModel;
}

namespace browse {

struct GridColumn {
    QString field;
    QString title;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool visible = true;
    bool operator==(const GridColumn &) const = default;
};
using GridLayout = QList<GridColumn>; // in display order

bool writeGridLayout(const QString &path, const GridLayout &layout);
// Nothing when the file is missing or cannot be read as a layout.
std::optional<GridLayout> readGridLayout(const QString &path);

GridLayout captureLayout(const QTableView &view, const data::DataSetModel &model);
// Columns the layout does not name keep their default look, after the named ones.
void applyLayout(QTableView &view, data::DataSetModel &model, const GridLayout &layout);
// Every field in field order, default width, visible, titled by its name, left-aligned.
void resetLayout(QTableView &view, data::DataSetModel &model);
// Narrows every column wider than `maximum` pixels to it.
void capColumnWidths(QTableView &view, int maximum = 200);
// Sets the alignment of the grid's current column; false when no column is current.
bool alignCurrentColumn(QTableView &view, data::DataSetModel &model, Qt::Alignment alignment);

} // namespace browse
