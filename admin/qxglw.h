#pragma once
// "组权限管理窗口": groups with their rights and table rights, and the accounts of each group.

#include "group_rights.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTreeWidget;

namespace data {
class DBComboBox;
class DBLineEdit;
class DBNavigator;
} // namespace data

namespace admin {

class Tqxglw : public QDialog {
    Q_OBJECT
public:
    Tqxglw(data::TDataModule1 &dm, QWidget *parent = nullptr);

    GroupRights rights;

    QPushButton *refreshButton;
    QPushButton *saveButton;
    QPushButton *returnButton;
    QGroupBox *groupTreeBox;
    QTreeWidget *groupTree;
    QGroupBox *accountTreeBox;
    QTreeWidget *accountTree;
    data::DBLineEdit *groupName;
    QCheckBox *administrator;
    data::DBNavigator *groupNavigator;
    QLabel *groupPosition;
    QTabWidget *tabs;
    QList<QCheckBox *> rightBoxes; // captioned with their right's column name
    QSpinBox *secrecy;
    QListWidget *allTables;
    QListWidget *accessibleTables;
    QPushButton *saveTableRightsButton;
    data::DBLineEdit *userName;
    data::DBLineEdit *password;
    data::DBComboBox *userGroup;
    data::DBNavigator *accountNavigator;
    QTableView *accountGrid;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QWidget *rightsTab();
    QWidget *tablesTab();
    void showGroup();
    void fillGroupTree();
    void fillAccountTree();
    void fillAccessibleTables();

    data::TDataModule1 &dm_;
    bool activated_ = false;
};

// "权限管理": the window, modally, for an administrator only.
void runGroupRights(data::TDataModule1 &dm, QWidget *parent);

} // namespace admin
