#pragma once
// Keeps a grid's current row and its dataset's cursor together, and lets the arrow keys try to
// move past either end of the rows, which the page-turning rule listens for.

#include "data/dataset_model.h"

#include <QObject>
#include <QPointer>

class QTableView;

namespace browse {

class GridCursor : public QObject {
    Q_OBJECT
public:
    GridCursor(QTableView *view, data::DataSetModel *model);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followDataSet();

    QTableView *view_;
    data::DataSetModel *model_;
    bool following_ = false;
};

} // namespace browse
