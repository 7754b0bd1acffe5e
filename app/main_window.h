#pragma once
// Tmain: the frame of the main window — menu, tool bar, left panel, directory panel with its five
// tabs and the status bar. Commands are enabled one by one as their behaviour is connected.

#include "app/main_state.h"
#include "app/status_panels.h"

#include <QHash>
#include <QKeySequence>
#include <QMainWindow>
#include <QStringList>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace data {
class ClientDataSet;
class DataSetModel;
class DBNavigator;
class TDataModule1;
} // namespace data

namespace print {
class LayoutCanvas;
}

namespace app {

class Tmain : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the whole frame without contacting the server.
    Tmain(MainState &state, data::TDataModule1 &dm, QWidget *parent = nullptr);
    ~Tmain() override;

    enum Tab { CustomerTab, WaybillTab, SenderTab, IndustryTab, PostalTab };

    // A menu item by its caption ("退出[&X]" included); nullptr for an unknown caption.
    QAction *action(const QString &caption) const;

    // Tool bar (hidden until the directory view is shown).
    QToolBar *ToolBar1 = nullptr;
    QAction *DinDan_windows = nullptr, *SaveButton = nullptr, *refreshdata = nullptr, *left_qi = nullptr,
            *center_qi = nullptr, *right_qi = nullptr, *Email_kh = nullptr, *web_kh = nullptr, *khgl = nullptr;

    // Left panel beside the directory panel (hidden until the directory view is shown).
    QSplitter *Splitter1 = nullptr;
    QWidget *LeftPanel = nullptr;
    QPushButton *BitBtn7 = nullptr, *BitBtn8 = nullptr;
    QListWidget *lbTables = nullptr;
    QTreeWidget *TreeView1 = nullptr;

    // Directory panel: search and paging row, button row, tabs.
    QWidget *khzl_Panel = nullptr;
    QComboBox *SearchField = nullptr, *SearchOperator = nullptr;
    QLineEdit *SearchValue = nullptr;
    QToolButton *BitBtn32 = nullptr, *BitBtn33 = nullptr, *BitBtn34 = nullptr, *BitBtn35 = nullptr;
    QSpinBox *CurrentPage = nullptr; // page numbers count from 1
    QLineEdit *Edit6 = nullptr;      // total pages, read-only
    QPushButton *AddButton = nullptr, *DeleteButton = nullptr, *EditButton = nullptr, *SaveRowButton = nullptr,
                *PrintButton = nullptr, *SearchAllButton = nullptr;
    data::DBNavigator *DBNavigator1 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QTextBrowser *webgd02 = nullptr;
    QScrollArea *ScrollBox2 = nullptr;
    print::LayoutCanvas *Panel_xf = nullptr; // the waybill canvas
    QTreeWidget *TreeView3 = nullptr;        // the layout tree, with its pop-up menu
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr; // whole-print offsets "左边距", "上边距", 0.1 mm
    QAction *layoutTreeAction(const QString &caption) const { return layoutTreeActions_.value(caption); }
    QTableView *meGrid = nullptr, *hydmGrid = nullptr, *postGrid = nullptr;
    data::DataSetModel *khzlModel = nullptr, *meModel = nullptr, *hydmModel = nullptr, *postModel = nullptr;

    // The in-place search rows of the industry-code and postal-code tabs.
    struct LookupSearchRow {
        QComboBox *field = nullptr, *op = nullptr;
        QLineEdit *value = nullptr;
        QPushButton *save = nullptr;
        data::DBNavigator *navigator = nullptr;
    };
    LookupSearchRow industrySearch, postalSearch; // ComboBox4/5, Edit7, BitBtn5; ComboBox6/7, Edit9, BitBtn6

    StatusPanels *StatusBar1 = nullptr;
    // The full download: one step per tick while "显示所有数据" runs.
    QTimer *Timer1 = nullptr;

    // Status panel 1.
    void showStatus(const QString &text);
    int currentPageNumber() const;
    // The dataset the navigator and the search field list follow on a tab.
    data::ClientDataSet *tabDataSet(int tab) const;

    // The confirmation box; the answer (1 or 0) is left in the data module.
    void Show_Tishi_windows2(const QString &question);
    // Shows the left panel, directory panel and tool bar once (view number 1).
    void kh_windowsClick();
    // Shows the commands the logged-in group's rights grant.
    void setRightsVisibility();
    void setLoggedInCaption();
    // The local welcome page below the directory grid.
    void showInformationPage();
    // "显示所有数据": starts the full download of the directory dataset.
    void Show_All_dataClick();
    // One step of the full download.
    void Timer1Timer();
    void PageControl1Change(int index);

Q_SIGNALS:
    // The directory view has just been shown: open the table and apply its grid layout.
    void directoryViewShown();
    // The navigator, the search field list and the grid position follow the new tab;
    // the default search field and the waybill refill follow this signal.
    void tabSwitched(int index);

private:
    void createMenus();
    void createToolBar();
    QWidget *createLeftPanel();
    QWidget *createDirectoryPanel();
    QTableView *createGrid(data::ClientDataSet &dataSet, data::DataSetModel *&model, QWidget *parent);
    QWidget *createLookupTab(data::ClientDataSet &dataSet, data::DataSetModel *&model, QTableView *&grid,
                             LookupSearchRow &row, const QString &saveCaption);
    QAction *addItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut = {});
    void showAboutBox();

    MainState &state_;
    data::TDataModule1 &dm_;
    QHash<QString, QAction *> actions_;
    QHash<QString, QAction *> layoutTreeActions_;
};

} // namespace app
