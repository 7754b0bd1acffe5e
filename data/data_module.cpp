#include "data_module.h"

#include "app/prompt_service.h"

namespace data {

namespace {
constexpr int All = wire::AllRows;

bool idWithinBoundary(const QVariant &id, qint64 boundary)
{
    return !id.isNull() && !id.toString().isEmpty() && id.toLongLong() <= boundary;
}
} // namespace

TDataModule1::TDataModule1(app::MainState &mainState, WorkingCopyLists &lists, QObject *parent)
    : QObject(parent), khzl("khzl", "khzl_dp", 500), me("me", "me_dp", All), s1("s1", "s1_dp", All),
      s2("s2", "s2_dp", All), s3("s3", "s3_dp", All), s4("s4", "s4_dp", All), zh("zh", "zh_dp", All),
      zidian("zidian", "zidian_dp", All), ygzh("ygzh", "ygqx_dp", All), ygzm("ygzm", "zqx_dp", All),
      runsql("runsql", "runsql_dp", All), fwjl("fwjl", "fwjl_dp", All), hydm("hydm", "hydm_dp", All),
      Set_Table("Set_Table", "Table_set_dp", All), post("post", "post_dp", All), main_(mainState), lists_(lists)
{
    setObjectName(QStringLiteral("DataModule1"));
    khzl.setCommandText(QStringLiteral("select * from 客户基本数据"));
    me.setCommandText(QStringLiteral("Select * from 用户基本资料"));
    fwjl.setCommandText(QStringLiteral("Select top 0 * from 访问记录"));
    for (ClientDataSet *d : datasets())
        d->setConnection(&sk);
    attachEvents();
}

TDataModule1::~TDataModule1()
{
    for (ClientDataSet *d : datasets())
        d->setConnection(nullptr);
}

std::vector<ClientDataSet *> TDataModule1::datasets()
{
    return {&khzl, &me, &s1, &s2, &s3, &s4, &zh, &zidian, &ygzh, &ygzm, &runsql, &fwjl, &hydm, &Set_Table, &post};
}

void TDataModule1::connect() { sk.open(host, port); }

void TDataModule1::disconnect()
{
    for (ClientDataSet *d : datasets())
        d->close();
    sk.close();
}

QCborValue TDataModule1::callServer(const QString &method, const QCborValue &argument)
{
    return sk.call(method, argument);
}

void TDataModule1::Get_Date_Time()
{
    if (!sk.isOpen())
        return;
    const QCborArray now = sk.call(QStringLiteral("getDateTime")).toArray();
    if (now.size() >= 2) {
        serverDate = now.at(0).toString();
        serverTime = now.at(1).toString();
    }
}

void TDataModule1::ShowMessage_jd(const QString &text) { app::prompts().notice(text); }

bool TDataModule1::confirm(const QString &question)
{
    confirmationAnswer = 0;
    confirmationAnswer = app::prompts().confirm(question) ? 1 : 0;
    return confirmationAnswer == 1;
}

bool TDataModule1::right(const QString &column) const
{
    if (!zh.isActive() || zh.isEmpty() || !zh.hasField(column))
        return false;
    const QVariant v = zh.value(column);
    return v.typeId() == QMetaType::Bool ? v.toBool() : v.toLongLong() != 0;
}

QString loginGroup(const TDataModule1 &dm)
{
    return dm.zh.isActive() && dm.zh.hasField(QStringLiteral("组名")) ? dm.zh.text(QStringLiteral("组名")) : QString();
}

void TDataModule1::openAccessRecord()
{
    fwjl.close();
    fwjl.setCommandText(QStringLiteral("Select top 0 * from 访问记录"));
    fwjl.open();
}

void TDataModule1::writeAccessRecord(const QString &content, const QString &sql)
{
    if (!fwjl.isActive())
        openAccessRecord();
    fwjl.append();
    fwjl.setValue(QStringLiteral("访问内容"), content);
    if (!sql.isEmpty())
        fwjl.setValue(QStringLiteral("sql语句"), sql);
    try {
        fwjl.post();
    } catch (const Abort &) {
        return;
    }
    fwjl.applyUpdates();
}

void TDataModule1::showPosition(ClientDataSet &dataSet)
{
    if (showGridPosition)
        showGridPosition(QStringLiteral("%1/%2").arg(dataSet.recNo()).arg(dataSet.recordCount()));
}

void TDataModule1::attachEvents()
{
    // The directory dataset.
    khzl.beforeInsert = [this](ClientDataSet &) {
        if (!right(QStringLiteral("录入数据"))) {
            ShowMessage_jd(QStringLiteral("无权录入新数据！"));
            throw Abort{};
        }
    };
    khzl.afterInsert = [this](ClientDataSet &d) {
        d.setValue(QStringLiteral("录入"), main_.loginUser);
        d.setValue(QStringLiteral("录入组"), loginGroup(*this));
        d.setValue(QStringLiteral("录入日期"), serverDate);
        d.setValue(QStringLiteral("密级"), 0);
        d.setValue(QStringLiteral("对勾"), QStringLiteral("√"));
        if (!suppressEntryForms && openCustomerEntryForm)
            openCustomerEntryForm();
    };
    khzl.beforePost = [this](ClientDataSet &d) {
        if (d.state() == ClientDataSet::State::Edit) {
            if (!right(QStringLiteral("修改他人数据")) && d.text(QStringLiteral("录入")) != main_.loginUser) {
                d.cancel();
                throw Abort{};
            }
            if (!right(QStringLiteral("修改数据"))) {
                d.cancel();
                throw Abort{};
            }
        }
        if (right(QStringLiteral("修改数据"))) {
            d.setValue(QStringLiteral("修改"), main_.loginUser);
            d.setValue(QStringLiteral("修改日期"), serverDate);
        }
        const QVariant id = d.value(QStringLiteral("ID"));
        if (main_.workingCopyMode && idWithinBoundary(id, boundaryId))
            lists_.changedIds << id.toString();
    };
    khzl.afterPost = [this](ClientDataSet &) { main_.unsavedChanges = true; };
    khzl.afterDelete = [this](ClientDataSet &) { main_.unsavedChanges = true; };
    khzl.beforeDelete = [this](ClientDataSet &d) {
        if (!right(QStringLiteral("删除他人数据")) && d.text(QStringLiteral("录入")) != main_.loginUser)
            throw Abort{};
        if (!right(QStringLiteral("删除数据"))) {
            ShowMessage_jd(QStringLiteral("无权删除数据！"));
            throw Abort{};
        }
        if (!confirm(QStringLiteral("删除当前客户数据记录?")))
            throw Abort{};
        writeAccessRecord(QStringLiteral("删除数据记录:") + d.text(QStringLiteral("公司名称")) + QStringLiteral(" ") +
                          d.text(QStringLiteral("联系人")));
        const QVariant id = d.value(QStringLiteral("ID"));
        if (idWithinBoundary(id, boundaryId))
            lists_.pendingDeletions << id.toString();
    };
    // The sender dataset.
    me.afterInsert = [this](ClientDataSet &) {
        if (!suppressEntryForms && openSenderEntryForm)
            openSenderEntryForm();
    };
    me.beforeDelete = [this](ClientDataSet &) {
        if (!confirm(QStringLiteral("删除当前发信人数据记录?")))
            throw Abort{};
    };
    me.afterScroll = [this](ClientDataSet &d) { showPosition(d); };

    hydm.beforeDelete = [this](ClientDataSet &) {
        if (!confirm(QStringLiteral("删除当前行业代码记录?")))
            throw Abort{};
    };
    hydm.afterScroll = [this](ClientDataSet &d) { showPosition(d); };
    post.afterScroll = [this](ClientDataSet &d) { showPosition(d); };

    zidian.afterInsert = [this](ClientDataSet &d) { d.setValue(QStringLiteral("字段名称"), dictionaryField); };

    fwjl.afterInsert = [this](ClientDataSet &d) {
        Get_Date_Time();
        d.setValue(QStringLiteral("访问人"), main_.loginUser);
        d.setValue(QStringLiteral("访问日期"), serverDate);
        d.setValue(QStringLiteral("访问时间"), serverTime);
    };
    fwjl.beforePost = [](ClientDataSet &d) {
        if (d.text(QStringLiteral("访问内容")).isEmpty()) {
            d.cancel();
            throw Abort{};
        }
    };
}

} // namespace data
