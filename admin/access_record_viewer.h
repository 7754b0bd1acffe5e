#pragma once
// What the access record viewer does, without its widgets: the users who logged anything and the
// newest entries of the access record, all of them, of one user or matching a text in a field.
// It borrows the access-record dataset `fwjl`, which finish() leaves open empty again.

#include "data/data_module.h"

#include <QStringList>

namespace admin {

class AccessRecordViewer {
public:
    static constexpr int MaxRows = 10000;

    explicit AccessRecordViewer(data::TDataModule1 &dm);

    data::ClientDataSet &entries() { return dm_.fwjl; }
    // The user list, the newest entries and the field list.
    void activate();
    const QStringList &users() const { return users_; }
    const QStringList &fields() const { return fields_; }
    void showUser(const QString &user);
    // Loads the entries whose field contains the value; nothing happens for an empty value or
    // a name outside the field list. Returns whether it loaded.
    bool filter(const QString &field, const QString &value);
    QString position() const;
    // The condition the entries shown were chosen by; empty for the newest of all.
    const QString &condition() const { return condition_; }
    // Reopens the access record empty, for appending.
    void finish();

private:
    bool load(const QString &condition);

    data::TDataModule1 &dm_;
    QStringList users_;
    QStringList fields_;
    QString condition_;
};

} // namespace admin
