#include "db_controls.h"

#include "app/prompt_service.h"
#include "dataset_model.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace data {

FieldLink::FieldLink(QWidget *editor, ClientDataSet *dataSet, QString field)
    : QObject(editor), dataSet_(dataSet), field_(std::move(field))
{
    auto changed = [this] {
        if (!writing_)
            Q_EMIT refresh();
    };
    connect(dataSet, &ClientDataSet::reset, this, changed);
    connect(dataSet, &ClientDataSet::currentChanged, this, changed);
    connect(dataSet, &ClientDataSet::rowChanged, this, [this, changed](int index) {
        if (dataSet_ && index == dataSet_->recNo() - 1)
            changed();
    });
    connect(dataSet, &ClientDataSet::rowRemoved, this, changed);
    connect(dataSet, &ClientDataSet::stateChanged, this, changed);
}

QVariant FieldLink::value() const
{
    if (!dataSet_ || !dataSet_->isActive() || dataSet_->isEmpty() || !dataSet_->hasField(field_))
        return {};
    return dataSet_->value(field_);
}

void FieldLink::write(const QVariant &value)
{
    if (!dataSet_ || !dataSet_->isActive() || !dataSet_->hasField(field_))
        return;
    writing_ = true;
    try {
        dataSet_->setValue(field_, value);
    } catch (const Abort &) {
    } catch (const ServerError &e) {
        app::prompts().notice(e.message());
    }
    writing_ = false;
}

namespace {
wire::FieldType typeOf(const FieldLink &link)
{
    const ClientDataSet *d = link.dataSet();
    const int column = d ? d->fieldIndex(link.field()) : -1;
    return column < 0 ? wire::FieldType::String : d->fields()[size_t(column)].type;
}
} // namespace

DBLineEdit::DBLineEdit(ClientDataSet *dataSet, const QString &field, QWidget *parent)
    : QLineEdit(parent), link_(this, dataSet, field)
{
    auto show = [this] { setText(data::displayText(link_.value(), typeOf(link_))); };
    connect(&link_, &FieldLink::refresh, this, show);
    connect(this, &QLineEdit::textEdited, this, [this](const QString &text) { link_.write(text); });
    show();
}

DBComboBox::DBComboBox(ClientDataSet *dataSet, const QString &field, QWidget *parent)
    : QComboBox(parent), link_(this, dataSet, field)
{
    setEditable(true);
    auto show = [this] { setEditText(data::displayText(link_.value(), typeOf(link_))); };
    connect(&link_, &FieldLink::refresh, this, show);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) { link_.write(text); });
    connect(this, &QComboBox::activated, this, [this](int index) { link_.write(itemText(index)); });
    show();
}

DBCheckBox::DBCheckBox(ClientDataSet *dataSet, const QString &field, const QString &caption, QWidget *parent)
    : QCheckBox(caption, parent), link_(this, dataSet, field)
{
    auto show = [this] {
        const QVariant v = link_.value();
        setChecked(v.typeId() == QMetaType::Bool ? v.toBool() : v.toLongLong() != 0);
    };
    connect(&link_, &FieldLink::refresh, this, show);
    connect(this, &QCheckBox::clicked, this, [this](bool checked) { link_.write(checked); });
    show();
}

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent)
{
    static const char *const glyphs[] = {"|◀", "◀", "▶", "▶|", "+", "−", "✓", "✗", "↻"};
    static const char *const hints[] = {"第一条记录", "前一条记录", "后一条记录", "最后一条记录", "插入记录",
                                        "删除记录",   "保存修改",   "取消修改",   "刷新数据"};
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = First; i <= Refresh; ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(glyphs[i]));
        b->setToolTip(QString::fromUtf8(hints[i]));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
        layout->addWidget(b);
        buttons_[i] = b;
    }
    updateButtons();
}

void DBNavigator::setDataSet(ClientDataSet *dataSet)
{
    for (auto &c : connections_)
        disconnect(c);
    dataSet_ = dataSet;
    if (dataSet) {
        connections_[0] = connect(dataSet, &ClientDataSet::stateChanged, this, &DBNavigator::updateButtons);
        connections_[1] = connect(dataSet, &ClientDataSet::currentChanged, this, &DBNavigator::updateButtons);
        connections_[2] = connect(dataSet, &ClientDataSet::reset, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setVisibleButtons(std::initializer_list<Button> visible)
{
    for (int i = First; i <= Refresh; ++i)
        buttons_[i]->setVisible(std::find(visible.begin(), visible.end(), Button(i)) != visible.end());
}

void DBNavigator::updateButtons()
{
    const bool active = dataSet_ && dataSet_->isActive();
    const bool editing = active && dataSet_->state() != ClientDataSet::State::Browse;
    for (Button b : {First, Prior, Next, Last, Insert, Delete, Refresh})
        buttons_[b]->setEnabled(active);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
}

void DBNavigator::click(Button which)
{
    if (dataSet_ && dataSet_->isActive()) {
        try {
            switch (which) {
            case First: dataSet_->first(); break;
            case Prior: dataSet_->prior(); break;
            case Next: dataSet_->next(); break;
            case Last: dataSet_->last(); break;
            case Insert: dataSet_->insert(); break;
            case Delete: dataSet_->remove(); break;
            case Post: dataSet_->post(); break;
            case Cancel: dataSet_->cancel(); break;
            case Refresh: dataSet_->refresh(); break;
            }
        } catch (const Abort &) {
        } catch (const ServerError &e) {
            app::prompts().notice(e.message());
        }
    }
    updateButtons();
    Q_EMIT clicked(which);
}

} // namespace data
