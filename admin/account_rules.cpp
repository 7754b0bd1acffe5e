#include "account_rules.h"

#include "app/login_controller.h"

namespace admin {

using data::Abort;
using data::ClientDataSet;

const QStringList &groupRightColumns()
{
    static const QStringList columns{"录入数据", "查询数据",   "修改数据",     "导入数据",         "导出数据",
                                     "删除数据", "清空数据",   "创建新表",     "删除旧表",         "修改结构",
                                     "合并去重", "打印信封",   "打印名录列表", "修改一列字段内容", "限制查询",
                                     "组内共享", "修改他人数据", "删除他人数据", "修改行业代码"};
    return columns;
}

const QStringList &newGroupRights()
{
    static const QStringList rights{"录入数据", "查询数据", "修改数据", "限制查询"};
    return rights;
}

namespace {

// Refuses the post with a notice when the field is empty; the row stays in edit.
void requireText(data::TDataModule1 &dm, ClientDataSet &d, const QString &field, const QString &message)
{
    if (d.text(field).isEmpty()) {
        dm.ShowMessage_jd(message);
        throw Abort{};
    }
}

void confirmDelete(data::TDataModule1 &dm, ClientDataSet &d, const QString &lastRow, const QString &question)
{
    if (d.recordCount() <= 1) {
        dm.ShowMessage_jd(lastRow);
        throw Abort{};
    }
    if (!dm.confirm(question))
        throw Abort{};
}

} // namespace

void installAccountRules(data::TDataModule1 &dm, std::function<QString()> selectedGroup)
{
    dm.ygzm.afterInsert = [](ClientDataSet &d) {
        d.setValue(QStringLiteral("组名"), QStringLiteral("新组名"));
        d.setValue(AdministratorRight, false);
        for (const QString &right : groupRightColumns())
            d.setValue(right, newGroupRights().contains(right));
        d.setValue(QStringLiteral("查看密级"), 0);
        d.setValue(QStringLiteral("显示数据"), 1000);
    };
    dm.ygzm.beforePost = [&dm](ClientDataSet &d) {
        requireText(dm, d, QStringLiteral("组名"), QStringLiteral("组名不能为空！"));
    };
    dm.ygzm.beforeDelete = [&dm](ClientDataSet &d) {
        confirmDelete(dm, d, QStringLiteral("只要有一个组名！"), QStringLiteral("删除当前组记录?"));
    };

    dm.ygzh.beforeInsert = [&dm](ClientDataSet &) {
        if (!dm.ygzm.isActive() || dm.ygzm.isEmpty())
            throw Abort{};
    };
    dm.ygzh.afterInsert = [selectedGroup = std::move(selectedGroup)](ClientDataSet &d) {
        d.setValue(QStringLiteral("用户名称"), QStringLiteral("新用户"));
        d.setValue(QStringLiteral("密码"), app::NewAccountSetPassword);
        d.setValue(QStringLiteral("查询宽度"), 150);
        d.setValue(QStringLiteral("查询输入"), false);
        d.setValue(QStringLiteral("下载速度"), 1000);
        d.setValue(QStringLiteral("所属组名"), selectedGroup());
    };
    dm.ygzh.beforePost = [&dm](ClientDataSet &d) {
        requireText(dm, d, QStringLiteral("用户名称"), QStringLiteral("用户名称不能为空！"));
        requireText(dm, d, QStringLiteral("密码"), QStringLiteral("密码不能为空！"));
        requireText(dm, d, QStringLiteral("所属组名"), QStringLiteral("所属组名不能为空！"));
    };
    dm.ygzh.beforeDelete = [&dm](ClientDataSet &d) {
        confirmDelete(dm, d, QStringLiteral("只要有一个账号！"), QStringLiteral("删除当前帐户记录?"));
    };
}

void removeAccountRules(data::TDataModule1 &dm)
{
    for (ClientDataSet *d : {&dm.ygzm, &dm.ygzh})
        d->beforeInsert = d->afterInsert = d->beforePost = d->beforeDelete = nullptr;
}

} // namespace admin
