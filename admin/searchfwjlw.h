#pragma once
// "查询访问记录": the newest entries of the access record, by user or by a text in a field,
// one panel per entry or as a grid; nothing in it can change an entry.

#include "access_record_viewer.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;

namespace data {
class DBNavigator;
}

namespace admin {

class Tsearchfwjlw : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize PanelSize{673, 173};

    Tsearchfwjlw(data::TDataModule1 &dm, QWidget *parent = nullptr);

    AccessRecordViewer viewer;

    QTreeWidget *userTree;
    data::DBNavigator *navigator;
    QComboBox *ComboBox1; // the field list
    QLineEdit *Edit1;     // the value
    QPushButton *returnButton;
    QTabWidget *tabs;
    QTableView *panels; // "单独显示": one entry per panel
    QTableView *grid;   // "列表显示"
    QLabel *message;
    QLabel *position;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void showPosition();

    bool activated_ = false;
};

// "查询访问记录": the viewer, modally, for an administrator only.
void runAccessRecordViewer(data::TDataModule1 &dm, QWidget *parent);

} // namespace admin
