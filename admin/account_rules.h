#pragma once
// The rules of the group dataset `ygzm` and the account dataset `ygzh`: defaults of new rows,
// refusals of empty names, of deleting the last row, and the delete confirmations.

#include "data/data_module.h"

#include <QStringList>
#include <functional>

namespace admin {

inline const QString AdministratorRight = QStringLiteral("管理员");

// The boolean rights of a group besides 管理员, in the order the rights tab shows them.
const QStringList &groupRightColumns();
// The rights a new group starts with; every other right starts false.
const QStringList &newGroupRights();

// selectedGroup names the group a new account joins.
void installAccountRules(data::TDataModule1 &dm, std::function<QString()> selectedGroup);
// Detaches the rules again.
void removeAccountRules(data::TDataModule1 &dm);

} // namespace admin
