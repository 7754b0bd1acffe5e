#pragma once
// Opening, counting and paging the current table or the user's working copy in the directory
// dataset `khzl`, with the page-turning rule of its after-scroll event.

#include "app/main_state.h"
#include "data/data_module.h"

#include <QObject>

namespace browse {

class TableBrowser : public QObject {
    Q_OBJECT
public:
    TableBrowser(data::TDataModule1 &dm, app::MainState &state, data::WorkingCopyLists &lists,
                 QObject *parent = nullptr);

    const QStringList &tables() const { return tables_; }
    int currentPage() const { return page_; }
    int pageCount() const { return pageCount_; }
    // The query the grid shows: its select line, then its condition lines.
    QStringList currentQueryText;
    // What pages are cut from: the current table, or "#" + user in working-copy mode.
    QString source() const;

    // Reloads the table list from the server; its first table becomes current (not opened).
    void get_Data_Tables();
    // A click on a table in the list: back to table mode and open that table.
    void lbTablesClick(const QString &table);
    void Open_Khzl_Data();
    void count_Khzl1_Data();
    // Loads the page named by the page number into the directory dataset.
    void ShoWTableData();
    // The page box changed: reloads that page.
    void setPage(int page);
    void firstPage();
    void priorPage();
    void nextPage();
    void lastPage();
    // "刷新": the page again from the server, unsaved changes dropped.
    void refreshData();
    // Sets the total and the page controls after a count (page 1, no reload).
    void setTotal(qint64 total);
    // "(page − 1) × page size + record number/total".
    QString gridPosition() const;

Q_SIGNALS:
    void tablesChanged(const QStringList &tables, const QString &current);
    void pagesChanged(int page, int pageCount); // the page box and "共" follow this
    void statusText(const QString &text);       // status panel 1
    void positionText(const QString &text);     // status panel 3
    // A table was opened (or failed to): apply the default search field, tree and grid layout.
    void tableOpened(const QString &table, const QStringList &fields);
    void workingCopyEnded();                    // saving back no longer applies

private:
    void loadPage();
    void turnPage(data::ClientDataSet &dataSet);
    void showPosition();

    data::TDataModule1 &dm_;
    app::MainState &state_;
    data::WorkingCopyLists &lists_;
    QStringList tables_;
    int page_ = 1;
    int pageCount_ = 0;
};

} // namespace browse
