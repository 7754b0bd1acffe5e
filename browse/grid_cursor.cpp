#include "grid_cursor.h"

#include "app/prompt_service.h"

#include <QKeyEvent>
#include <QTableView>

namespace browse {

GridCursor::GridCursor(QTableView *view, data::DataSetModel *model) : QObject(view), view_(view), model_(model)
{
    view->installEventFilter(this);
    data::ClientDataSet *d = model->dataSet();
    connect(d, &data::ClientDataSet::currentChanged, this, &GridCursor::followDataSet);
    connect(model, &QAbstractItemModel::modelReset, this, &GridCursor::followDataSet);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                data::ClientDataSet *d = model_->dataSet();
                if (following_ || !current.isValid() || !d || !d->isActive() || d->recNo() == current.row() + 1)
                    return;
                try {
                    d->setRecNo(current.row() + 1);
                } catch (const data::Abort &) {
                } catch (const wire::ServerError &e) {
                    app::prompts().notice(e.message());
                }
            });
}

void GridCursor::followDataSet()
{
    data::ClientDataSet *d = model_->dataSet();
    if (!d || !d->isActive() || d->isEmpty() || d->recNo() > model_->rowCount())
        return;
    following_ = true;
    const int column = std::max(0, view_->currentIndex().column());
    const QModelIndex index = model_->index(d->recNo() - 1, column);
    view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(index);
    following_ = false;
}

bool GridCursor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view_ || event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    data::ClientDataSet *d = model_->dataSet();
    if (!d || !d->isActive() || (key != Qt::Key_Down && key != Qt::Key_Up))
        return false;
    const int row = view_->currentIndex().row();
    const bool pastEnd = key == Qt::Key_Down && row == model_->rowCount() - 1;
    const bool beforeStart = key == Qt::Key_Up && row == 0;
    if (!pastEnd && !beforeStart)
        return false;
    try {
        key == Qt::Key_Down ? d->next() : d->prior();
    } catch (const data::Abort &) {
    } catch (const wire::ServerError &e) {
        app::prompts().notice(e.message());
    }
    return true;
}

} // namespace browse
