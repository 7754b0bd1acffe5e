#include "app/main_controller.h"

#include "admin/qxglw.h"
#include "admin/searchfwjlw.h"
#include "admin/setdataqxw.h"
#include "browse/grid_layout.h"
#include "data/dataset_model.h"
#include "data/db_controls.h"
#include "print/layout_canvas.h"
#include "print/print_job.h"
#include "search/search_one_field_dialog.h"
#include "waybill/waybill_fill.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace app {

MainController::MainController(Tmain &window, data::TDataModule1 &dm, MainState &state, data::WorkingCopyLists &lists,
                               LoginController &login, ProgramFolder folder)
    : QObject(&window), browser(dm, state, lists), workingCopy(dm, state, lists, browser),
      search(dm, state, browser, workingCopy, folder), layout(folder), w_(window), dm_(dm), state_(state), lists_(lists),
      login_(login), folder_(std::move(folder))
{
    connectTables();
    connectPaging();
    connectGrid();
    connectSearch();
    connectEditing();
    connectWaybill();

    connect(w_.khgl, &QAction::triggered, this, [this] { login_.reconnect(); });
    connect(&browser, &browse::TableBrowser::statusText, &w_, &Tmain::showStatus);
    connect(&search, &search::SingleFieldSearch::statusText, &w_, &Tmain::showStatus);
    connect(&browser, &browse::TableBrowser::positionText, this,
            [this](const QString &text) { w_.StatusBar1->setText(3, text); });
    connect(&search, &search::SingleFieldSearch::captionChanged, &w_, &QWidget::setWindowTitle);
    connect(&w_, &Tmain::directoryViewShown, this, [this] {
        Load_DBGrid();
        if (!dm_.khzl.isActive()) {
            browser.Open_Khzl_Data();
            Load_DBGrid();
        }
    });
    connect(&w_, &Tmain::tabSwitched, this, [this](int tab) {
        search.activeTab = tab;
        showRememberedField(tab);
        SetKhZl_To_TongXunDanJu();
    });
}

void MainController::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const data::Abort &) {
    } catch (const wire::ServerError &e) {
        dm_.ShowMessage_jd(e.message());
    }
}

void MainController::enable(const QString &caption, const std::function<void()> &handler)
{
    QAction *action = w_.action(caption);
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, [this, handler] { guarded(handler); });
}

QString MainController::gridLayoutFile() const { return folder_.settings() + dm_.currentTable + "DBGrid1.dat"; }

QString MainController::sharedGridLayoutFile() const { return folder_.settings() + "DBGrid1.dat"; }

void MainController::Save_DBGrid()
{
    if (dm_.khzl.isActive())
        browse::writeGridLayout(gridLayoutFile(), browse::captureLayout(*w_.DBGrid1, *w_.khzlModel));
}

void MainController::Load_DBGrid()
{
    const auto layout = browse::readGridLayout(gridLayoutFile());
    if (layout)
        browse::applyLayout(*w_.DBGrid1, *w_.khzlModel, *layout);
    else
        browse::resetLayout(*w_.DBGrid1, *w_.khzlModel);
}

void MainController::connectTables()
{
    connect(&browser, &browse::TableBrowser::tablesChanged, this,
            [this](const QStringList &tables, const QString &current) {
                w_.lbTables->clear();
                w_.lbTables->addItems(tables);
                w_.lbTables->setCurrentRow(tables.indexOf(current));
            });
    connect(w_.lbTables, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { guarded([&] { browser.lbTablesClick(item->text()); }); });
    connect(&browser, &browse::TableBrowser::tableOpened, this, [this](const QString &, const QStringList &fields) {
        w_.SearchField->clear();
        w_.SearchField->addItems(fields);
        const QString remembered = search.rememberedField(search.directoryDefaultFieldFile(), fields);
        if (!remembered.isEmpty())
            w_.SearchField->setCurrentText(remembered);
        w_.TreeView1->clear(); // the search tree of the table
        Load_DBGrid();
    });
}

void MainController::connectPaging()
{
    connect(&browser, &browse::TableBrowser::pagesChanged, this, [this](int page, int pages) {
        const QSignalBlocker blocker(w_.CurrentPage);
        w_.CurrentPage->setMaximum(std::max(1, pages));
        w_.CurrentPage->setValue(page);
        w_.Edit6->setText(QString::number(pages));
    });
    connect(w_.CurrentPage, &QSpinBox::valueChanged, this, [this](int page) { browser.setPage(page); });
    // On the sender tab the page buttons move through the senders instead.
    auto pageButton = [this](QToolButton *button, void (browse::TableBrowser::*pageMove)(),
                             void (data::ClientDataSet::*rowMove)()) {
        button->setEnabled(true);
        connect(button, &QToolButton::clicked, this, [this, pageMove, rowMove] {
            guarded([&] {
                const int tab = w_.PageControl1->currentIndex();
                if (tab <= Tmain::WaybillTab)
                    (browser.*pageMove)();
                else if (tab == Tmain::SenderTab && dm_.me.isActive())
                    (dm_.me.*rowMove)();
            });
            SetKhZl_To_TongXunDanJu();
        });
    };
    pageButton(w_.BitBtn32, &browse::TableBrowser::firstPage, &data::ClientDataSet::first);
    pageButton(w_.BitBtn33, &browse::TableBrowser::priorPage, &data::ClientDataSet::prior);
    pageButton(w_.BitBtn34, &browse::TableBrowser::nextPage, &data::ClientDataSet::next);
    pageButton(w_.BitBtn35, &browse::TableBrowser::lastPage, &data::ClientDataSet::last);

    w_.refreshdata->setEnabled(true);
    connect(w_.refreshdata, &QAction::triggered, this, [this] {
        if (dm_.viewNumber == 1)
            browser.refreshData();
    });
}

void MainController::connectGrid()
{
    gridCursor_ = new browse::GridCursor(w_.DBGrid1, w_.khzlModel);
    enable(QStringLiteral("调整表格列宽"), [this] { browse::capColumnWidths(*w_.DBGrid1); });
    enable(QStringLiteral("初始化显示栏"), [this] {
        QFile::remove(sharedGridLayoutFile());
        browse::resetLayout(*w_.DBGrid1, *w_.khzlModel);
    });
    const std::pair<QAction *, Qt::Alignment> alignments[] = {
        {w_.left_qi, Qt::AlignLeft}, {w_.center_qi, Qt::AlignHCenter}, {w_.right_qi, Qt::AlignRight}};
    for (const auto &[button, alignment] : alignments) {
        button->setEnabled(true);
        connect(button, &QAction::triggered, this, [this, alignment] {
            if (dm_.viewNumber == 1)
                browse::alignCurrentColumn(*w_.DBGrid1, *w_.khzlModel, alignment);
        });
    }
}

void MainController::showRememberedField(int tab)
{
    QString file;
    if (tab <= Tmain::WaybillTab)
        file = search.directoryDefaultFieldFile();
    else if (tab == Tmain::SenderTab)
        file = search.senderDefaultFieldFile();
    if (file.isEmpty())
        return;
    const data::ClientDataSet *dataSet = w_.tabDataSet(tab);
    const QStringList fields = dataSet && dataSet->isActive() ? dataSet->fieldNames() : QStringList();
    const QString remembered = search.rememberedField(file, fields);
    if (!remembered.isEmpty())
        w_.SearchField->setCurrentText(remembered);
}

void MainController::connectSearch()
{
    connect(w_.SearchOperator, &QComboBox::currentIndexChanged, this, [this](int op) { search.operatorIndex = op; });
    connect(w_.SearchValue, &QLineEdit::returnPressed, this, [this] {
        guarded([&] { search.mainRowEnter(w_.SearchField->currentText(), searchFields(), w_.SearchValue->text()); });
    });
    connect(&search, &search::SingleFieldSearch::workingCopyShown, this, &MainController::Load_DBGrid);
    enable(QStringLiteral("单个字段查询"), [this] {
        if (!search.mayOpenDialog())
            return;
        search::Tsearch_one_Fieldw dialog(search, searchFields(), &w_);
        dialog.exec();
    });

    const std::tuple<Tmain::LookupSearchRow *, void (search::SingleFieldSearch::*)(const QString &, int, const QString &),
                     void (search::SingleFieldSearch::*)(), data::ClientDataSet *>
        lookups[] = {{&w_.industrySearch, &search::SingleFieldSearch::search_hydm_Data,
                      &search::SingleFieldSearch::saveHydm, &dm_.hydm},
                     {&w_.postalSearch, &search::SingleFieldSearch::search_post_Data,
                      &search::SingleFieldSearch::savePost, &dm_.post}};
    for (const auto &[row, find, save, dataSet] : lookups) {
        connect(dataSet, &data::ClientDataSet::reset, this, [row = row, dataSet = dataSet] {
            if (dataSet->isActive() && row->field->count() == 0)
                row->field->addItems(dataSet->fieldNames());
        });
        connect(row->value, &QLineEdit::returnPressed, this, [this, row = row, find = find] {
            guarded([&] { (search.*find)(row->field->currentText(), row->op->currentIndex(), row->value->text()); });
        });
        connect(row->save, &QPushButton::clicked, this, [this, save = save] { guarded([&] { (search.*save)(); }); });
    }
}

void MainController::SaveButtonClick()
{
    switch (w_.PageControl1->currentIndex()) {
    case Tmain::CustomerTab:
        Save_DBGrid();
        workingCopy.Save_Data_Windows_1();
        Save_DBGrid();
        if (w_.khzlModel->columnCount() > 0)
            browse::writeGridLayout(sharedGridLayoutFile(), browse::captureLayout(*w_.DBGrid1, *w_.khzlModel));
        break;
    case Tmain::WaybillTab:
        if (layout.save(w_.Edit1->text(), w_.Edit2->text()))
            fillLayoutTree();
        break;
    case Tmain::SenderTab:
        if (dm_.me.isActive()) {
            dm_.me.post();
            if (dm_.me.applyUpdates() > 0)
                dm_.ShowMessage_jd(QStringLiteral("保存数据失败！"));
        }
        break;
    default:
        break;
    }
}

void MainController::connectEditing()
{
    w_.SaveButton->setEnabled(true);
    connect(w_.SaveButton, &QAction::triggered, this, [this] { guarded([this] { SaveButtonClick(); }); });
    w_.SaveRowButton->setEnabled(true);
    connect(w_.SaveRowButton, &QPushButton::clicked, this, [this] { guarded([this] { SaveButtonClick(); }); });
    enable(QStringLiteral("保存所有数据"), [this] {
        workingCopy.Save_Data_Windows_1();
        Save_DBGrid();
    });
    enable(QStringLiteral("权限管理"), [this] { admin::runGroupRights(dm_, &w_); });
    enable(QStringLiteral("设置数据查看权限"), [this] { admin::runDataViewRights(dm_, browser, &w_); });
    enable(QStringLiteral("查询访问记录"), [this] { admin::runAccessRecordViewer(dm_, &w_); });
    enable(QStringLiteral("删除当前记录数据"), [this] { workingCopy.del_Current_RecordClick(); });
    enable(QStringLiteral("删除选中的多条记录"), [this] {
        QList<data::ClientDataSet::Bookmark> marks;
        for (const QModelIndex &index : w_.DBGrid1->selectionModel()->selectedRows())
            if (index.row() < dm_.khzl.recordCount())
                marks << dm_.khzl.bookmarkAt(index.row());
        if (marks.isEmpty())
            return;
        workingCopy.deleteRows(marks);
        w_.DBGrid1->clearSelection();
    });

    auto tabDataSet = [this]() -> data::ClientDataSet * {
        const int tab = w_.PageControl1->currentIndex();
        if (tab == Tmain::CustomerTab)
            return &dm_.khzl;
        if (tab == Tmain::SenderTab)
            return &dm_.me;
        return nullptr;
    };
    w_.AddButton->setEnabled(true);
    connect(w_.AddButton, &QPushButton::clicked, this, [this, tabDataSet] {
        if (data::ClientDataSet *d = tabDataSet(); d && d->isActive())
            guarded([d] { d->append(); });
    });
    w_.DeleteButton->setEnabled(true);
    connect(w_.DeleteButton, &QPushButton::clicked, this, [this, tabDataSet] {
        if (data::ClientDataSet *d = tabDataSet(); d && d->isActive())
            guarded([d] { d->remove(); });
    });
}

void MainController::activate()
{
    guarded([this] { dm_.Get_Date_Time(); });
    state_.loginCompleted = true;
    dm_.suppressEntryForms = false;
    guarded([this] { search.Open_hydm_Data(); });
    browser.get_Data_Tables();
    guarded([this] {
        dm_.me.close();
        dm_.me.setCommandText(QStringLiteral("Select * from 用户基本资料"));
        dm_.me.open();
    });
    guarded([this] { search.Open_post_Data(); });
    w_.LeftPanel->hide();
    layout.Load_TreeView_List();
    fillLayoutTree();
    layout.Open_MoRen_Xinfeng_Name();
    showLayout();
    guarded([this] { dm_.openAccessRecord(); });
    w_.setLoggedInCaption();
    w_.setRightsVisibility();
    w_.kh_windowsClick();
    w_.showInformationPage();
}

QStringList MainController::searchFields() const
{
    QStringList fields;
    for (int i = 0; i < w_.SearchField->count(); ++i)
        fields << w_.SearchField->itemText(i);
    return fields;
}

void MainController::fillLayoutTree()
{
    w_.TreeView3->clear();
    QList<QTreeWidgetItem *> parents;
    const waybill::LayoutTree &tree = layout.tree();
    for (int node = 0; node < tree.size(); ++node) {
        const int level = tree.nodes()[node].level;
        parents.resize(level);
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(w_.TreeView3) : new QTreeWidgetItem(parents.last());
        item->setText(0, tree.text(node));
        item->setData(0, Qt::UserRole, node);
        parents.append(item);
        if (node == tree.selected())
            w_.TreeView3->setCurrentItem(item);
    }
    w_.TreeView3->expandAll();
}

void MainController::showLayout()
{
    w_.Panel_xf->setLayout(&layout);
    w_.Edit1->setText(QString::number(layout.record().offsetX().value()));
    w_.Edit2->setText(QString::number(layout.record().offsetY().value()));
    w_.action(QStringLiteral("自动设置打印机"))->setChecked(layout.record().autoPrinterSetup());
    w_.action(QStringLiteral("邮编自动补0"))->setChecked(layout.postalAutoPad());
}

void MainController::SetKhZl_To_TongXunDanJu()
{
    if (!dm_.khzl.isActive() || !dm_.me.isActive() || layout.name().isEmpty())
        return;
    const std::optional<QString> failure = waybill::SetKhZl_To_TongXunDanJu(layout, dm_.khzl, dm_.me, searchFields());
    w_.Panel_xf->layoutChanged();
    if (failure)
        dm_.ShowMessage_jd(*failure);
}

void MainController::N38Click()
{
    if (!dm_.right(QStringLiteral("打印信封"))) {
        dm_.ShowMessage_jd(QStringLiteral("无权打印信封！"));
        return;
    }
    bool xOk = false, yOk = false;
    const int offsetX = w_.Edit1->text().toInt(&xOk);
    const int offsetY = w_.Edit2->text().toInt(&yOk);
    if (!xOk || !yOk) {
        dm_.ShowMessage_jd(QStringLiteral("位置校正应该填写数字!"));
        return;
    }
    if (const std::optional<QString> failure =
            waybill::SetKhZl_To_TongXunDanJu(layout, dm_.khzl, dm_.me, searchFields())) {
        dm_.ShowMessage_jd(*failure);
        return;
    }
    w_.Panel_xf->layoutChanged();
    QPrinter printer(QPrinter::HighResolution);
    if (w_.action(QStringLiteral("自动设置打印机"))->isChecked()) {
        if (!print::setPrinter1(printer, print::paperFor(layout))) {
            dm_.ShowMessage_jd(QStringLiteral("不能正确设置打印机！"));
            return;
        }
    } else {
        QPrintDialog dialog(&printer, &w_);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    const print::DeviceGeometry geometry =
        print::printfblvp(printer, waybill::Tenths(offsetX), waybill::Tenths(offsetY));
    const print::JobResult result =
        print::printWaybills(printer, layout, searchFields(), geometry, 1, [](int) { return std::nullopt; });
    if (!result.error.isEmpty())
        dm_.ShowMessage_jd(result.error);
}

void MainController::connectWaybill()
{
    connect(w_.TreeView3, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        layout.TreeView3Click(item->data(0, Qt::UserRole).toInt());
        showLayout();
        SetKhZl_To_TongXunDanJu();
    });
    connect(w_.layoutTreeAction(QStringLiteral("增加单据")), &QAction::triggered, this, [this] {
        layout.addLayout();
        fillLayoutTree();
    });
    connect(w_.layoutTreeAction(QStringLiteral("删除当前单据")), &QAction::triggered, this, [this] {
        layout.deleteSelectedLayout();
        fillLayoutTree();
    });
    connect(w_.layoutTreeAction(QStringLiteral("选择背景图片")), &QAction::triggered, this, [this] {
        const QString picture = QFileDialog::getOpenFileName(&w_, QStringLiteral("选择背景图片"), folder_.layouts(),
                                                             QStringLiteral("JPEG 图片 (*.jpg *.jpeg)"));
        if (picture.isEmpty())
            return;
        layout.chooseBackground(picture);
        showLayout();
    });
    connect(w_.DBNavigator1, &data::DBNavigator::clicked, this, [this] { SetKhZl_To_TongXunDanJu(); });
    connect(w_.DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { SetKhZl_To_TongXunDanJu(); });
    enable(QStringLiteral("打印当前快递单"), [this] { N38Click(); });
    w_.PrintButton->setEnabled(true);
    connect(w_.PrintButton, &QPushButton::clicked, this, [this] { guarded([this] { N38Click(); }); });
    enable(QStringLiteral("自动设置打印机"),
           [this] { layout.record().setAutoPrinterSetup(w_.action(QStringLiteral("自动设置打印机"))->isChecked()); });
    enable(QStringLiteral("邮编自动补0"), [this] {
        layout.setPostalAutoPad(w_.action(QStringLiteral("邮编自动补0"))->isChecked());
        SetKhZl_To_TongXunDanJu();
    });
}

} // namespace app
