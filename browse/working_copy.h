#pragma once
// The user's working copy ("#" + user): made by every search, paged like a table, edited in the
// grid, and saved back to the current table with three set-based statements.

#include "table_browser.h"

#include <QObject>

namespace browse {

class WorkingCopy : public QObject {
    Q_OBJECT
public:
    WorkingCopy(data::TDataModule1 &dm, app::MainState &state, data::WorkingCopyLists &lists, TableBrowser &browser,
                QObject *parent = nullptr);

    QString name() const { return QStringLiteral("#") + state_.loginUser; }
    // The columns of the current table, ID included, in table order (the search field list).
    QStringList tableFields;

    // Drops the working copy and empties the three change lists.
    void CreateTempTable();
    // Counts the copy, sets the boundary ID and the page controls (page 1, no reload). Throws on a
    // copy the server cannot count (a search it rejected).
    void count_temp_Data();
    void ShoWTempTable();
    // Offers to save back a modified working copy.
    void checkSave();
    // Forgets the changes of the previous copy.
    void Init_save();
    // Saves the directory dataset's change set; false after a failure (notice shown).
    bool Save_Data_Windows_1();
    // Saves back the working copy's changes to the current table.
    void BitBtn2Click();
    // Deletes the rows at the given bookmarks, asking once, without the per-row rules.
    void deleteRows(const QList<data::ClientDataSet::Bookmark> &bookmarks);
    // The menu's "删除当前记录数据".
    void del_Current_RecordClick();

Q_SIGNALS:
    void savingBackEnabled(bool enabled);

private:
    bool execute(const QString &sql);
    qint64 scalar(const QString &sql);

    data::TDataModule1 &dm_;
    app::MainState &state_;
    data::WorkingCopyLists &lists_;
    TableBrowser &browser_;
};

} // namespace browse
