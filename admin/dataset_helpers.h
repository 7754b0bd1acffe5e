#pragma once
// Small reads over a dataset's loaded rows, and the one way the administration windows end a
// user action that an event refused or the server failed.

#include "data/data_module.h"

#include <QStringList>
#include <functional>

namespace admin {

// The texts of one field over every loaded row, in row order.
QStringList columnTexts(const data::ClientDataSet &d, const QString &field);
// The 0-based index of the first loaded row whose field text equals `text` exactly; -1 when none.
int findRow(const data::ClientDataSet &d, const QString &field, const QString &text);
// A bit column's value, which may arrive as a boolean or a number.
bool isTrue(const QVariant &value);
// "record number/count" of a dataset.
QString positionOf(const data::ClientDataSet &d);

// Runs a user action: a refusal by an event ends it silently, a server error ends it with its
// text. Returns whether the action ran to its end.
bool guarded(data::TDataModule1 &dm, const std::function<void()> &action);

} // namespace admin
