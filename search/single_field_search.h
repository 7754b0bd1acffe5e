#pragma once
// The single-field search: ten operators, one condition line, the result copied into the user's
// working copy; and the in-place searches of the industry-code and postal-code tabs.

#include "app/program_folder.h"
#include "browse/working_copy.h"

#include <QObject>

namespace search {

// The operator list, in order: "包含" … "小于等于".
const QStringList &operators();

// The condition line of operator `op` for field `field` and the value as typed; the value's quotes
// are doubled so that it stays one literal.
QString conditionLine(int op, const QString &field, const QString &value);

class SingleFieldSearch : public QObject {
    Q_OBJECT
public:
    enum Tab { Directory = 0, Designer = 1, Sender = 2, Industry = 3, Postal = 4 };

    SingleFieldSearch(data::TDataModule1 &dm, app::MainState &state, browse::TableBrowser &browser,
                      browse::WorkingCopy &workingCopy, app::ProgramFolder folder, QObject *parent = nullptr);

    int operatorIndex = 0; // the main search row's operator
    int activeTab = Directory;

    // The search routine every entry point ends in; it does not check its arguments.
    void Search_One_Field(const QString &field, const QString &value);
    // Enter in the main search row's value box.
    void mainRowEnter(const QString &field, const QStringList &fieldList, const QString &value);
    // "单个字段查询": true when the dialog may open.
    bool mayOpenDialog();

    int viewNumber() const { return dm_.viewNumber; }
    QString directoryDefaultFieldFile() const;
    QString senderDefaultFieldFile() const;
    // The remembered field when its file exists and names one of `fields`.
    QString rememberedField(const QString &file, const QStringList &fields) const;

    // The industry-code and postal-code tabs filter their own datasets.
    void search_hydm_Data(const QString &field, int op, const QString &value);
    void search_post_Data(const QString &field, int op, const QString &value);
    void saveHydm(); // "保存行业代码", only with the right 修改行业代码
    void savePost(); // "保存邮政编码"
    void Open_hydm_Data();
    void Open_post_Data();

Q_SIGNALS:
    void statusText(const QString &text);
    void captionChanged(const QString &caption);
    void workingCopyShown(); // the grid shows a new working copy: apply the grid layout

private:
    bool discardUnsavedChanges();
    void searchInPlace(data::ClientDataSet &dataSet, const QString &table, const QString &field, int op,
                       const QString &value);
    void saveInPlace(data::ClientDataSet &dataSet);

    data::TDataModule1 &dm_;
    app::MainState &state_;
    browse::TableBrowser &browser_;
    browse::WorkingCopy &workingCopy_;
    app::ProgramFolder folder_;
};

} // namespace search
