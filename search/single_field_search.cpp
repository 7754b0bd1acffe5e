#include "single_field_search.h"

#include "app/list_file.h"
#include "data/sql_text.h"

namespace search {

const QStringList &operators()
{
    static const QStringList list{"包含", "不包含", "前缀", "后缀", "等于", "不等于", "大于", "大于等于", "小于", "小于等于"};
    return list;
}

QString conditionLine(int op, const QString &field, const QString &value)
{
    const QString v = data::sqlValue(value);
    const QString where = QStringLiteral("where ") + field;
    switch (op) {
    case 0: return where + QStringLiteral(" like '%") + v + QStringLiteral("%'");
    case 1: return where + QStringLiteral(" not like  '%") + v + QStringLiteral("%'");
    case 2: return where + QStringLiteral(" like '") + v + QStringLiteral("%'");
    case 3: return where + QStringLiteral(" like '%") + v + QStringLiteral("'");
    case 4: return where + QStringLiteral(" = '") + v + QStringLiteral("'");
    case 5: return where + QStringLiteral(" <>  '") + v + QStringLiteral("'");
    case 6: return where + QStringLiteral(" > '") + v + QStringLiteral("'");
    case 7: return where + QStringLiteral(" >= '") + v + QStringLiteral("'");
    case 8: return where + QStringLiteral(" < '") + v + QStringLiteral("'");
    case 9: return where + QStringLiteral(" <= '") + v + QStringLiteral("'");
    default: return where + QStringLiteral(" like '%") + v + QStringLiteral("%'");
    }
}

SingleFieldSearch::SingleFieldSearch(data::TDataModule1 &dm, app::MainState &state, browse::TableBrowser &browser,
                                     browse::WorkingCopy &workingCopy, app::ProgramFolder folder, QObject *parent)
    : QObject(parent), dm_(dm), state_(state), browser_(browser), workingCopy_(workingCopy), folder_(std::move(folder))
{
}

QString SingleFieldSearch::directoryDefaultFieldFile() const
{
    return folder_.settings() + QStringLiteral("morensearch_one_field") + state_.loginUser +
           QString::number(dm_.viewNumber);
}

QString SingleFieldSearch::senderDefaultFieldFile() const
{
    return folder_.settings() + QStringLiteral("morensearch_fxrone_field") + state_.loginUser +
           QString::number(dm_.viewNumber);
}

QString SingleFieldSearch::rememberedField(const QString &file, const QStringList &fields) const
{
    const std::optional<QString> field = app::readFirstLine(file);
    return field && fields.contains(*field) ? *field : QString();
}

bool SingleFieldSearch::discardUnsavedChanges()
{
    if (dm_.khzl.isActive() && dm_.khzl.changeCount() > 0)
        return dm_.confirm(QStringLiteral("执行查询会丢失未保存的数据,继续吗?"));
    return true;
}

void SingleFieldSearch::mainRowEnter(const QString &field, const QStringList &fieldList, const QString &value)
{
    if (!discardUnsavedChanges())
        return;
    if (!fieldList.contains(field) || value.isEmpty()) {
        dm_.ShowMessage_jd(QStringLiteral("查询条件未设置正确！"));
        return;
    }
    Search_One_Field(field, value);
}

bool SingleFieldSearch::mayOpenDialog()
{
    if (!discardUnsavedChanges())
        return false;
    if (dm_.viewNumber == 1 && dm_.khzl.isActive() && dm_.khzl.changeCount() > 0) {
        dm_.ShowMessage_jd(QStringLiteral("查询数据前请先保存数据！"));
        return false;
    }
    return true;
}

void SingleFieldSearch::Search_One_Field(const QString &field, const QString &value)
{
    Q_EMIT statusText(QStringLiteral("正在查询数据....."));
    if (activeTab == Directory || activeTab == Designer) {
        const QString table = dm_.currentTable;
        const QString copy = workingCopy_.name();
        workingCopy_.checkSave();
        workingCopy_.Init_save();
        state_.multiTableResult = false;
        state_.workingCopyMode = true;
        workingCopy_.CreateTempTable();
        Q_EMIT captionChanged(state_.programTitle + QStringLiteral("[当前用户：") + state_.loginUser +
                              QStringLiteral("]") + QStringLiteral(" [数据查询状态] "));
        browser_.currentQueryText = {QStringLiteral("select * from  ") + table, conditionLine(operatorIndex, field, value)};
        data::SqlText sql{QStringLiteral("select  *  into ") + copy + QStringLiteral(" from"),
                          QStringLiteral(" (select * from  ") + table};
        for (qsizetype i = 1; i < browser_.currentQueryText.size(); ++i)
            sql.add(browser_.currentQueryText[i]);
        sql.add(QStringLiteral(") as t")).add(QStringLiteral("create index ID索引 on ") + copy + QStringLiteral("(ID)"));
        try {
            dm_.runsql.close();
            dm_.runsql.setCommandText(sql.text());
            dm_.runsql.execute();
        } catch (const wire::ServerError &) {
            // A rejected search leaves no working copy; counting it reports the server's text.
        }
        try {
            dm_.boundaryId = 0;
            workingCopy_.count_temp_Data();
            workingCopy_.ShoWTempTable();
        } catch (const wire::ServerError &e) {
            dm_.ShowMessage_jd(e.message());
            Q_EMIT statusText(QStringLiteral("完成"));
            return;
        }
        Q_EMIT workingCopyShown();
        try {
            dm_.writeAccessRecord(QStringLiteral("查询数据表文件:") + table,
                                  data::SqlText{browser_.currentQueryText.value(0), browser_.currentQueryText.value(1)}
                                      .text());
        } catch (const wire::ServerError &e) {
            dm_.ShowMessage_jd(e.message());
        }
        app::writeSingleValue(directoryDefaultFieldFile(), field);
    } else if (activeTab == Sender) {
        try {
            dm_.me.close();
            dm_.me.setCommandText(data::SqlText{QStringLiteral("Select  * from 用户基本资料"),
                                                QStringLiteral("where ") + field + QStringLiteral(" like '%") +
                                                    data::sqlValue(value) + QStringLiteral("%'")}
                                      .text());
            dm_.me.open();
            app::writeSingleValue(senderDefaultFieldFile(), field);
        } catch (const wire::ServerError &e) {
            dm_.ShowMessage_jd(e.message());
        }
    }
    Q_EMIT statusText(QStringLiteral("完成"));
}

void SingleFieldSearch::searchInPlace(data::ClientDataSet &dataSet, const QString &table, const QString &field, int op,
                                      const QString &value)
{
    if (value.isEmpty())
        return;
    try {
        dataSet.close();
        dataSet.setCommandText(
            data::SqlText{QStringLiteral("select * from  ") + table, conditionLine(op, field, value)}.text());
        dataSet.open();
    } catch (const wire::ServerError &e) {
        dm_.ShowMessage_jd(e.message());
    }
}

void SingleFieldSearch::search_hydm_Data(const QString &field, int op, const QString &value)
{
    searchInPlace(dm_.hydm, QStringLiteral("行业代码"), field, op, value);
}

void SingleFieldSearch::search_post_Data(const QString &field, int op, const QString &value)
{
    searchInPlace(dm_.post, QStringLiteral("邮政编码"), field, op, value);
}

void SingleFieldSearch::saveInPlace(data::ClientDataSet &dataSet)
{
    if (!dataSet.isActive())
        return;
    try {
        dataSet.post();
        if (dataSet.changeCount() == 0)
            return;
        if (dataSet.applyUpdates() > 0)
            throw wire::ServerError(QStringLiteral("sql"), dataSet.lastApplyErrors().join(u'\n'));
        dataSet.refresh();
    } catch (const data::Abort &) {
    } catch (const wire::ServerError &) {
        dm_.ShowMessage_jd(QStringLiteral("数据保存失败!"));
    }
}

void SingleFieldSearch::saveHydm()
{
    if (dm_.right(QStringLiteral("修改行业代码")))
        saveInPlace(dm_.hydm);
}

void SingleFieldSearch::savePost() { saveInPlace(dm_.post); }

void SingleFieldSearch::Open_hydm_Data()
{
    dm_.hydm.close();
    dm_.hydm.setCommandText(QStringLiteral("select * from 行业代码"));
    dm_.hydm.open();
}

void SingleFieldSearch::Open_post_Data()
{
    dm_.post.close();
    dm_.post.setCommandText(QStringLiteral("select * from 邮政编码"));
    dm_.post.open();
}

} // namespace search
