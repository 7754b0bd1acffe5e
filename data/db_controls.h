#pragma once
// Editors bound to one field of a ClientDataSet, and the record navigator.

#include "client_dataset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace data {

// Keeps a widget showing one field of the current row and writes user edits back into the row.
class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(QWidget *editor, ClientDataSet *dataSet, QString field);
    ClientDataSet *dataSet() const { return dataSet_; }
    const QString &field() const { return field_; }
    QVariant value() const;
    // Writes a value the user entered; an edit starts when the dataset is browsing.
    void write(const QVariant &value);

Q_SIGNALS:
    void refresh(); // the field's value may have changed: show it again

private:
    QPointer<ClientDataSet> dataSet_;
    QString field_;
    bool writing_ = false;
};

class DBLineEdit : public QLineEdit {
    Q_OBJECT
public:
    DBLineEdit(ClientDataSet *dataSet, const QString &field, QWidget *parent = nullptr);
    FieldLink &link() { return link_; }

private:
    FieldLink link_;
};

class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    DBComboBox(ClientDataSet *dataSet, const QString &field, QWidget *parent = nullptr);
    FieldLink &link() { return link_; }

private:
    FieldLink link_;
};

class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    DBCheckBox(ClientDataSet *dataSet, const QString &field, const QString &caption, QWidget *parent = nullptr);
    FieldLink &link() { return link_; }

private:
    FieldLink link_;
};

// The record navigator: first, prior, next, last, insert, delete, post, cancel, refresh.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Post, Cancel, Refresh };
    explicit DBNavigator(QWidget *parent = nullptr);

    // The navigator can be moved to another dataset, as the main window does per tab.
    void setDataSet(ClientDataSet *dataSet);
    ClientDataSet *dataSet() const { return dataSet_; }
    void setVisibleButtons(std::initializer_list<Button> buttons);
    QToolButton *button(Button which) const { return buttons_[which]; }
    void click(Button which);

Q_SIGNALS:
    // After every click, whatever it did.
    void clicked(DBNavigator::Button button);

private:
    void updateButtons();

    QPointer<ClientDataSet> dataSet_;
    QToolButton *buttons_[Refresh + 1] = {};
    QMetaObject::Connection connections_[3];
};

} // namespace data
