#include "searchfwjlw.h"

#include "account_rules.h"
#include "app/prompt_service.h"
#include "browse/grid_cursor.h"
#include "data/dataset_model.h"
#include "data/db_controls.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

namespace admin {

namespace {

// Paints a whole entry as a panel of labelled, read-only fields.
class EntryPanel : public QStyledItemDelegate {
public:
    EntryPanel(data::ClientDataSet *entries, QObject *parent) : QStyledItemDelegate(parent), entries_(entries) {}

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return Tsearchfwjlw::PanelSize;
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.row() >= entries_->recordCount())
            return;
        const wire::Row &row = entries_->row(index.row());
        auto text = [&](const QString &field) {
            const int column = entries_->fieldIndex(field);
            return column < 0 ? QString() : row[size_t(column)].toString();
        };
        p->save();
        const QRect panel = option.rect.adjusted(2, 2, -2, -2);
        const bool current = option.state & QStyle::State_Selected;
        p->fillRect(panel, option.palette.button());
        p->setPen(current ? option.palette.highlight().color() : option.palette.mid().color());
        p->drawRect(panel.adjusted(0, 0, -1, -1));
        const int line = option.fontMetrics.height() + 8;
        // A label, then its value in a box filling the rest of `cell`.
        auto field = [&](const QRect &cell, const QString &label, const QString &value, int flags) {
            const int labelWidth = option.fontMetrics.horizontalAdvance(label) + 6;
            p->setPen(option.palette.buttonText().color());
            p->drawText(QRect(cell.left(), cell.top(), labelWidth, line), Qt::AlignVCenter | Qt::AlignLeft, label);
            const QRect box = cell.adjusted(labelWidth, 0, 0, 0);
            p->fillRect(box, option.palette.base());
            p->setPen(option.palette.mid().color());
            p->drawRect(box.adjusted(0, 0, -1, -1));
            p->setPen(option.palette.text().color());
            p->drawText(box.adjusted(4, 2, -4, -2), flags, value);
        };
        const int oneLine = Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine;
        const QRect inner = panel.adjusted(8, 6, -8, -6);
        const int third = inner.width() / 3;
        int top = inner.top();
        const char *const heads[] = {"访问人", "访问日期", "访问时间"};
        for (int i = 0; i < 3; ++i) {
            const QString name = QString::fromUtf8(heads[i]);
            field(QRect(inner.left() + i * third, top, third - 10, line), name, text(name), oneLine);
        }
        top += line + 4;
        field(QRect(inner.left(), top, inner.width(), line), QStringLiteral("访问内容"),
              text(QStringLiteral("访问内容")), oneLine);
        top += line + 4;
        field(QRect(inner.left(), top, inner.width(), inner.bottom() - top), QStringLiteral("SQL语句"),
              text(QStringLiteral("sql语句")), Qt::AlignTop | Qt::AlignLeft | Qt::TextWrapAnywhere);
        p->restore();
    }

private:
    data::ClientDataSet *entries_;
};

QTableView *newView(data::DataSetModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    new browse::GridCursor(view, model);
    return view;
}

} // namespace

Tsearchfwjlw::Tsearchfwjlw(data::TDataModule1 &dm, QWidget *parent) : QDialog(parent), viewer(dm)
{
    setWindowTitle(QStringLiteral("查询访问记录"));
    QFont big = font();
    big.setPointSize(14);
    setFont(big);

    userTree = new QTreeWidget(this);
    userTree->setHeaderHidden(true);
    userTree->setRootIsDecorated(false);
    userTree->setFixedWidth(140); // the rest is for the entry panels
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("账号列表"), this));
    left->addWidget(userTree);

    navigator = new data::DBNavigator(this);
    navigator->setDataSet(&viewer.entries());
    navigator->setVisibleButtons(
        {data::DBNavigator::First, data::DBNavigator::Prior, data::DBNavigator::Next, data::DBNavigator::Last});
    ComboBox1 = new QComboBox(this);
    Edit1 = new QLineEdit(this);
    returnButton = new QPushButton(QStringLiteral("返回"), this);
    returnButton->setAutoDefault(false); // Enter in the value box filters, it does not close
    auto *top = new QHBoxLayout;
    top->addWidget(navigator);
    top->addWidget(new QLabel(QStringLiteral("查"), this));
    top->addWidget(ComboBox1);
    top->addWidget(Edit1, 1);
    top->addWidget(returnButton);

    auto *model = new data::DataSetModel(&viewer.entries(), this);
    panels = newView(model, this);
    panels->horizontalHeader()->hide();
    panels->verticalHeader()->hide();
    panels->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    panels->verticalHeader()->setDefaultSectionSize(PanelSize.height());
    panels->setShowGrid(false);
    panels->setItemDelegateForColumn(0, new EntryPanel(&viewer.entries(), panels));
    grid = newView(model, this);
    tabs = new QTabWidget(this);
    tabs->addTab(panels, QStringLiteral("单独显示"));
    tabs->addTab(grid, QStringLiteral("列表显示"));
    auto showOnePanelColumn = [this, model] {
        for (int c = 0; c < model->columnCount(); ++c)
            panels->setColumnHidden(c, c != 0);
        panels->setColumnWidth(0, PanelSize.width());
    };
    connect(model, &QAbstractItemModel::modelReset, this, showOnePanelColumn);

    message = new QLabel(this);
    position = new QLabel(this);
    position->setMinimumWidth(140);
    auto *status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    status->addWidget(new QLabel(QStringLiteral("提示"), status));
    status->addWidget(message, 1);
    status->addWidget(new QLabel(QStringLiteral("记录/总数"), status));
    status->addWidget(position);

    auto *right = new QVBoxLayout;
    right->addLayout(top);
    right->addWidget(tabs, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *root = new QVBoxLayout(this);
    root->addLayout(body, 1);
    root->addWidget(status);

    setFixedSize(862, 606);
    app::centreOnScreen(this);

    connect(userTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (!item->parent())
            viewer.showUser(item->text(0));
    });
    connect(Edit1, &QLineEdit::returnPressed, this,
            [this] { viewer.filter(ComboBox1->currentText(), Edit1->text()); });
    connect(returnButton, &QPushButton::clicked, this, &QDialog::accept);
    data::ClientDataSet *entries = &viewer.entries();
    connect(entries, &data::ClientDataSet::reset, this, &Tsearchfwjlw::showPosition);
    connect(entries, &data::ClientDataSet::currentChanged, this, &Tsearchfwjlw::showPosition);
    showOnePanelColumn();
}

void Tsearchfwjlw::showPosition()
{
    position->setText(viewer.position());
    message->setText(viewer.condition());
}

void Tsearchfwjlw::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    viewer.activate();
    userTree->clear();
    for (const QString &user : viewer.users())
        new QTreeWidgetItem(userTree, {user});
    ComboBox1->clear();
    ComboBox1->addItems(viewer.fields());
    ComboBox1->setCurrentIndex(0);
    Edit1->clear();
    showPosition();
}

void Tsearchfwjlw::done(int result)
{
    viewer.finish();
    QDialog::done(result);
}

void runAccessRecordViewer(data::TDataModule1 &dm, QWidget *parent)
{
    if (!dm.right(AdministratorRight))
        return;
    Tsearchfwjlw window(dm, parent);
    window.exec();
}

} // namespace admin
