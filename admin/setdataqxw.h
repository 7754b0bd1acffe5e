#pragma once
// "设置数据查看权限": which groups may see the current directory row or every row shown.

#include "data_view_rights.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace browse {
class TableBrowser;
}

namespace admin {

class Tsetdataqxw : public QDialog {
    Q_OBJECT
public:
    Tsetdataqxw(data::TDataModule1 &dm, const QStringList &queryText, QWidget *parent = nullptr);

    DataViewRights rights;

    QLineEdit *viewRights; // "查看权限"
    QListWidget *groupList; // "组列表"
    QPushButton *changeAllButton;
    QPushButton *changeCurrentButton;
    QPushButton *returnButton;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool activated_ = false;
};

// "设置数据查看权限": the dialog, modally, for an administrator only, over the grid's query.
void runDataViewRights(data::TDataModule1 &dm, const browse::TableBrowser &browser, QWidget *parent);

} // namespace admin
