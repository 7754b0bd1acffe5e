#pragma once
// Account sets: one SQLite file per account set in the server's data folder.

#include <QDir>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace server {

inline constexpr auto DefaultUser = "admin";
inline constexpr auto DefaultPassword = "1";
inline constexpr auto DefaultGroup = "系统管理员";

// Tables of an account set that are not directory tables.
const QStringList &systemTables();
inline constexpr auto TemplateTable = "默认表结构";

// A plain name: no path separators, no leading dot, no control characters.
bool isValidAccountSetName(const QString &name);

class AccountSets {
public:
    AccountSets(QString dataDir, bool mayCreate) : dataDir_(std::move(dataDir)), mayCreate_(mayCreate) {}

    // Opens a connection to the account set, creating it first when allowed. Throws sql::SqlError.
    sqlite3 *open(const QString &name) const;
    QString pathOf(const QString &name) const;

private:
    void create(const QString &name) const;

    QString dataDir_;
    bool mayCreate_;
};

// The statements that build a new account set, in SQL Server dialect.
QStringList accountSetSchema();

} // namespace server
