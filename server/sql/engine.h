#pragma once
// Runs client SQL (SQL Server dialect) on one SQLite connection.

#include "sql_error.h"
#include "wire/protocol.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace sql {

// A prepared query, stepped by the caller; finalizes its statement when destroyed.
class Query {
public:
    Query(sqlite3_stmt *stmt, std::vector<wire::Column> columns);
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    sqlite3_stmt *stmt() const { return stmt_; }
    // Declared types where the result column comes from a table column; expression columns are
    // refined from the first row by refineColumns().
    const std::vector<wire::Column> &columns() const { return columns_; }
    // Call once the first row has been stepped (SQLITE_ROW) to type columns without a declared type.
    void refineColumns();

private:
    sqlite3_stmt *stmt_;
    std::vector<wire::Column> columns_;
};

class SqliteEngine {
public:
    explicit SqliteEngine(sqlite3 *db);

    // Runs every statement of the batch in one transaction: all of it or none. Returns the rows changed.
    qint64 execute(const QString &batch);

    // Runs all statements but the last (as execute()), then prepares the last, which must return rows.
    std::unique_ptr<Query> openQuery(const QString &batch);

private:
    sqlite3 *db_;
};

// True when the last statement of the batch returns rows (a select without "into").
bool batchReturnsRows(const QString &batch);

// The table named after the first "from" of a command text, as the client wrote it ("#wang", "客户基本数据").
QString firstFromTable(const QString &commandText);

// Field type of a SQLite declared column type ("varchar(60)", "int", "float", "bit", "text", "datetime").
wire::Column columnFromDeclaredType(const QString &name, const QString &declaredType);

// The SQLite name of a table as the client names it: "#x" tables are temporary, names are quoted.
QString quoteIdentifier(const QString &name);

} // namespace sql
