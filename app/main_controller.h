#pragma once
// Connects the main window's frame to the directory subsystems: table list and paging, grid
// layout, working copy, single-field search, login and reconnect, and runs the activation sequence.

#include "app/login_controller.h"
#include "app/main_window.h"
#include "browse/grid_cursor.h"
#include "search/single_field_search.h"
#include "waybill/waybill_layout.h"

#include <QObject>

namespace app {

class MainController : public QObject {
    Q_OBJECT
public:
    MainController(Tmain &window, data::TDataModule1 &dm, MainState &state, data::WorkingCopyLists &lists,
                   LoginController &login, ProgramFolder folder);

    // The first activation after a completed login.
    void activate();

    browse::TableBrowser browser;
    browse::WorkingCopy workingCopy;
    search::SingleFieldSearch search;
    waybill::WaybillLayout layout;

    // The grid layout files of the current table.
    QString gridLayoutFile() const;
    QString sharedGridLayoutFile() const;
    void Save_DBGrid();
    void Load_DBGrid();
    // Fills the loaded layout from the current records and shows it.
    void SetKhZl_To_TongXunDanJu();
    // "打印当前快递单".
    void N38Click();

private:
    void connectTables();
    void connectPaging();
    void connectGrid();
    void connectSearch();
    void connectEditing();
    void connectWaybill();
    void showLayout();
    void fillLayoutTree();
    QStringList searchFields() const;
    void SaveButtonClick();
    void enable(const QString &caption, const std::function<void()> &handler);
    void showRememberedField(int tab);
    // Runs a command, showing what the server refused instead of letting it escape.
    void guarded(const std::function<void()> &command);

    Tmain &w_;
    data::TDataModule1 &dm_;
    MainState &state_;
    data::WorkingCopyLists &lists_;
    LoginController &login_;
    ProgramFolder folder_;
    browse::GridCursor *gridCursor_ = nullptr;
};

} // namespace app
