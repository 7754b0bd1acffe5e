#include "server/sql/engine.h"

#include "server/sql/lexer.h"
#include "server/sql/parser.h"
#include "server/sql/sqlite_dialect.h"

#include <sqlite3.h>

#include <algorithm>

namespace sql {

using ast::AddColumn;
using ast::AlterColumn;
using ast::CreateIndex;
using ast::CreateTable;
using ast::Delete;
using ast::DerivedTable;
using ast::DropColumn;
using ast::DropTable;
using ast::Insert;
using ast::NamedTable;
using ast::Select;
using ast::SelectStatement;
using ast::Update;

namespace {

[[noreturn]] void fail(sqlite3 *db)
{
    throw SqlError(QString::fromUtf8(sqlite3_errmsg(db)));
}

QString text(sqlite3_stmt *stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

class Statement {
public:
    Statement(sqlite3 *db, const QString &sql) : db_(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, nullptr) != SQLITE_OK)
            fail(db);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return stmt_; }
    sqlite3_stmt *release() { return std::exchange(stmt_, nullptr); }

    Statement &bind(int index, const QString &value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int index, qint64 value)
    {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }

    // True while there is a row.
    bool step()
    {
        switch (sqlite3_step(stmt_)) {
        case SQLITE_ROW:
            return true;
        case SQLITE_DONE:
            return false;
        default:
            fail(db_);
        }
    }

    // Runs to the end; the rows an INSERT, UPDATE or DELETE changed.
    qint64 run()
    {
        while (step()) {
        }
        return sqlite3_changes64(db_);
    }

private:
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
};

// BEGIN IMMEDIATE … COMMIT, rolled back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3 *db) : db_(db) { Statement(db, QStringLiteral("BEGIN IMMEDIATE")).run(); }
    ~Transaction()
    {
        if (!committed_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit()
    {
        Statement(db_, QStringLiteral("COMMIT")).run();
        committed_ = true;
    }

private:
    sqlite3 *db_;
    bool committed_ = false;
};

// SQL Server gives a select-into table the identity of ID only when the rows come from one table
// through plain selects: no union, join or grouping on the way.
bool copiesOneTable(const ast::Query &q)
{
    if (q.selects.size() != 1)
        return false;
    const Select &s = q.selects.front();
    if (s.from.size() != 1 || !s.groupBy.empty())
        return false;
    if (std::holds_alternative<NamedTable>(s.from.front()->node))
        return true;
    const auto *derived = std::get_if<DerivedTable>(&s.from.front()->node);
    return derived && copiesOneTable(*derived->query);
}

class Executor {
public:
    explicit Executor(sqlite3 *db) : db_(db) {}

    qint64 run(const ast::Statement &statement)
    {
        return std::visit(
            [this](const auto &s) -> qint64 {
                using T = std::decay_t<decltype(s)>;
                if constexpr (std::is_same_v<T, SelectStatement>)
                    return s.query.into.isEmpty() ? exec(dialect_.query(s.query), false) : selectInto(s.query);
                else if constexpr (std::is_same_v<T, Insert>)
                    return exec(dialect_.insert(s, s.columns.isEmpty() ? insertableColumns(s.table) : s.columns));
                else if constexpr (std::is_same_v<T, Update>)
                    return exec(dialect_.update(s));
                else if constexpr (std::is_same_v<T, Delete>)
                    return exec(dialect_.deleteRows(s));
                else if constexpr (std::is_same_v<T, DropTable>)
                    return exec(dialect_.dropTable(s), false);
                else if constexpr (std::is_same_v<T, CreateIndex>)
                    return exec(dialect_.createIndex(s), false);
                else if constexpr (std::is_same_v<T, CreateTable>)
                    return exec(dialect_.createTable(s), false);
                else if constexpr (std::is_same_v<T, AddColumn>)
                    return exec(dialect_.addColumn(s), false);
                else if constexpr (std::is_same_v<T, AlterColumn>)
                    return alterColumn(s);
                else
                    return dropColumn(s);
            },
            statement);
    }

    std::unique_ptr<sql::Query> open(const ast::Query &query)
    {
        Statement stmt(db_, dialect_.query(query));
        std::vector<wire::Column> columns;
        for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i)
            columns.push_back(columnFromDeclaredType(QString::fromUtf8(sqlite3_column_name(stmt.get(), i)),
                                                     QString::fromUtf8(sqlite3_column_decltype(stmt.get(), i))));
        return std::make_unique<sql::Query>(stmt.release(), std::move(columns));
    }

private:
    qint64 exec(const QString &sql, bool countChanges = true)
    {
        const qint64 changes = Statement(db_, sql).run();
        return countChanges ? changes : 0;
    }

    bool isIdentity(sqlite3_stmt *stmt, int column) const
    {
        const char *table = sqlite3_column_table_name(stmt, column);
        const char *origin = sqlite3_column_origin_name(stmt, column);
        int autoincrement = 0;
        return table && origin
               && sqlite3_table_column_metadata(db_, sqlite3_column_database_name(stmt, column), table, origin, nullptr,
                                                nullptr, nullptr, nullptr, &autoincrement)
                      == SQLITE_OK
               && autoincrement;
    }

    // The new table takes the declared types the select reports; SQLite follows them through
    // derived tables and unions, and they keep column affinity (numbers compare as numbers).
    qint64 selectInto(const ast::Query &query)
    {
        const QString source = dialect_.query(query);
        QStringList definitions;
        {
            Statement stmt(db_, source);
            const bool identityAllowed = copiesOneTable(query);
            for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i) {
                const QString name = QString::fromUtf8(sqlite3_column_name(stmt.get(), i));
                if (identityAllowed && name.compare(QLatin1StringView("ID"), Qt::CaseInsensitive) == 0
                    && isIdentity(stmt.get(), i)) {
                    definitions << SqliteDialect::identityColumn(name);
                } else {
                    const QString type = QString::fromUtf8(sqlite3_column_decltype(stmt.get(), i));
                    definitions << (SqliteDialect::identifier(name) + u' ' + type).trimmed();
                }
            }
        }
        exec(dialect_.createTable(query.into, definitions), false);
        return exec("INSERT INTO " + SqliteDialect::identifier(query.into) + u' ' + source);
    }

    // Every row of a metadata query as text, read to the end so that no statement is left active
    // when a table is dropped.
    std::vector<QStringList> rows(const QString &sql, const QStringList &parameters)
    {
        Statement stmt(db_, sql);
        for (int i = 0; i < parameters.size(); ++i)
            stmt.bind(i + 1, parameters[i]);
        std::vector<QStringList> result;
        while (stmt.step()) {
            QStringList row;
            for (int column = 0; column < sqlite3_column_count(stmt.get()); ++column)
                row << text(stmt.get(), column);
            result.push_back(row);
        }
        return result;
    }

    // SQL Server fills every column but the identity when an insert names none.
    QStringList insertableColumns(const QString &table)
    {
        QStringList columns;
        for (const QStringList &row : rows(QStringLiteral("SELECT name FROM pragma_table_info(?1)"), {table})) {
            int autoincrement = 0;
            sqlite3_table_column_metadata(db_, nullptr, table.toUtf8().constData(), row[0].toUtf8().constData(),
                                          nullptr, nullptr, nullptr, nullptr, &autoincrement);
            if (!autoincrement)
                columns << row[0];
        }
        return columns;
    }

    // SQLite cannot change a column's type: the table is made again with the new type, keeping its
    // rows, its identity sequence and its indexes.
    qint64 alterColumn(const AlterColumn &s)
    {
        const QString schema = SqliteDialect::schemaOf(s.table);
        const QString master = schema + ".sqlite_master";
        const auto tables =
            rows("SELECT name, sql FROM " + master + " WHERE type = 'table' AND name = ?1 COLLATE NOCASE", {s.table});
        if (tables.empty())
            throw SqlError("no such table: " + s.table);
        const QString table = tables.front()[0];
        const bool autoincrement = tables.front()[1].contains(QLatin1StringView("AUTOINCREMENT"), Qt::CaseInsensitive);

        // name, type, notnull, dflt_value, pk
        auto columns =
            rows(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1, ?2)"),
                 {table, schema});
        const auto altered = std::find_if(columns.begin(), columns.end(), [&](const QStringList &c) {
            return c[0].compare(s.column.name, Qt::CaseInsensitive) == 0;
        });
        if (altered == columns.end())
            throw SqlError("no such column: " + s.column.name);
        (*altered)[1] = dialect_.columnType(s.column);
        (*altered)[2] = s.column.nullable == false ? QStringLiteral("1") : QStringLiteral("0");

        const auto keyColumns =
            std::count_if(columns.begin(), columns.end(), [](const QStringList &c) { return c[4] != u'0'; });
        QStringList definitions, names, key(keyColumns);
        for (const QStringList &c : columns) {
            QString definition = SqliteDialect::identifier(c[0]) + u' ' + c[1];
            if (keyColumns == 1 && c[4] != u'0')
                definition +=
                    autoincrement ? QLatin1StringView(" PRIMARY KEY AUTOINCREMENT") : QLatin1StringView(" PRIMARY KEY");
            if (c[2] != u'0')
                definition += QLatin1StringView(" NOT NULL");
            if (!c[3].isEmpty())
                definition += " DEFAULT " + c[3];
            definitions << definition;
            names << SqliteDialect::identifier(c[0]);
            if (c[4] != u'0')
                key[c[4].toInt() - 1] = SqliteDialect::identifier(c[0]);
        }
        if (keyColumns > 1)
            definitions << "PRIMARY KEY (" + key.join(QLatin1StringView(", ")) + ")";

        const auto indexes =
            rows("SELECT sql FROM " + master + " WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL", {table});
        const auto sequence = autoincrement
                                  ? rows("SELECT seq FROM " + schema + ".sqlite_sequence WHERE name = ?1", {table})
                                  : std::vector<QStringList>();

        const QString quoted = schema + u'.' + SqliteDialect::identifier(table);
        const QString rebuilt = schema + u'.' + SqliteDialect::identifier(table + "#rebuild");
        const QString columnList = names.join(QLatin1StringView(", "));
        exec("CREATE TABLE " + rebuilt + " (" + definitions.join(QLatin1StringView(", ")) + ")", false);
        exec("INSERT INTO " + rebuilt + " (" + columnList + ") SELECT " + columnList + " FROM " + quoted, false);
        exec("DROP TABLE " + quoted, false);
        exec("ALTER TABLE " + rebuilt + " RENAME TO " + SqliteDialect::identifier(table), false);
        for (const QStringList &index : indexes)
            exec(index[0], false);
        // The copy numbers on from its highest ID; a higher number already handed out must stay used.
        if (!sequence.empty()) {
            const qint64 used = sequence.front()[0].toLongLong();
            Statement raise(db_, "UPDATE " + schema + ".sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
            if (raise.bind(1, table).bind(2, used).run() == 0) {
                Statement insert(db_, "INSERT INTO " + schema + ".sqlite_sequence (name, seq) VALUES (?1, ?2)");
                insert.bind(1, table).bind(2, used).run();
            }
        }
        return 0;
    }

    // SQLite refuses to drop an indexed column; SQL Server's client drops its own indexes first.
    qint64 dropColumn(const DropColumn &s)
    {
        const QString schema = SqliteDialect::schemaOf(s.table);
        const auto indexes = rows(QStringLiteral("SELECT DISTINCT il.name FROM pragma_index_list(?1, ?2) AS il, "
                                                 "pragma_index_info(il.name, ?2) AS ii "
                                                 "WHERE il.origin = 'c' AND ii.name = ?3 COLLATE NOCASE"),
                                  {s.table, schema, s.column});
        for (const QStringList &index : indexes)
            exec("DROP INDEX " + schema + u'.' + SqliteDialect::identifier(index[0]), false);
        exec("ALTER TABLE " + schema + u'.' + SqliteDialect::identifier(s.table) + " DROP COLUMN "
                 + SqliteDialect::identifier(s.column),
             false);
        return 0;
    }

    sqlite3 *db_;
    SqliteDialect dialect_;
};

} // namespace

Query::Query(sqlite3_stmt *stmt, std::vector<wire::Column> columns) : stmt_(stmt), columns_(std::move(columns)) {}

Query::~Query()
{
    sqlite3_finalize(stmt_);
}

void Query::refineColumns()
{
    for (int i = 0; i < int(columns_.size()); ++i) {
        if (sqlite3_column_decltype(stmt_, i))
            continue;
        wire::Column &column = columns_[i];
        column.size = 0;
        switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER:
            column.type = wire::FieldType::Integer;
            break;
        case SQLITE_FLOAT:
            column.type = wire::FieldType::Float;
            break;
        default:
            column.type = wire::FieldType::String;
            column.size = 255;
        }
    }
}

SqliteEngine::SqliteEngine(sqlite3 *db) : db_(db)
{
    // Every emitted name is double-quoted: a misspelt column must be an error, not a string.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

qint64 SqliteEngine::execute(const QString &batch)
{
    const std::vector<ast::Statement> statements = parseBatch(batch);
    Executor executor(db_);
    Transaction transaction(db_);
    qint64 changes = 0;
    for (const ast::Statement &statement : statements)
        changes += executor.run(statement);
    transaction.commit();
    return changes;
}

std::unique_ptr<Query> SqliteEngine::openQuery(const QString &batch)
{
    const std::vector<ast::Statement> statements = parseBatch(batch);
    const auto *last = statements.empty() ? nullptr : std::get_if<SelectStatement>(&statements.back());
    if (!last || !last->query.into.isEmpty())
        throw SqlError(QStringLiteral("最后一条语句不是返回数据的查询"));
    Executor executor(db_);
    if (statements.size() > 1) {
        Transaction transaction(db_);
        for (size_t i = 0; i + 1 < statements.size(); ++i)
            executor.run(statements[i]);
        transaction.commit();
    }
    return executor.open(last->query);
}

bool batchReturnsRows(const QString &batch)
{
    try {
        const std::vector<ast::Statement> statements = parseBatch(batch);
        const auto *last = statements.empty() ? nullptr : std::get_if<SelectStatement>(&statements.back());
        return last && last->query.into.isEmpty();
    } catch (const SqlError &) {
        return false;
    }
}

QString firstFromTable(const QString &commandText)
{
    try {
        const std::vector<Token> tokens = tokenize(commandText);
        for (size_t i = 0; i + 1 < tokens.size(); ++i) {
            if (tokens[i].isWord(QLatin1StringView("from")))
                return tokens[i + 1].isName() ? tokens[i + 1].text : QString();
        }
    } catch (const SqlError &) {
    }
    return {};
}

wire::Column columnFromDeclaredType(const QString &name, const QString &declaredType)
{
    const QString declared = declaredType.trimmed().toLower();
    const qsizetype open = declared.indexOf(u'(');
    const QString base = declared.left(open).trimmed();
    const int size = open < 0 ? 0 : declared.mid(open + 1).section(u',', 0, 0).section(u')', 0, 0).trimmed().toInt();

    static const QHash<QString, wire::FieldType> types{{"varchar", wire::FieldType::String},
                                                       {"nvarchar", wire::FieldType::String},
                                                       {"char", wire::FieldType::String},
                                                       {"nchar", wire::FieldType::String},
                                                       {"text", wire::FieldType::Memo},
                                                       {"ntext", wire::FieldType::Memo},
                                                       {"int", wire::FieldType::Integer},
                                                       {"integer", wire::FieldType::Integer},
                                                       {"smallint", wire::FieldType::Integer},
                                                       {"tinyint", wire::FieldType::Integer},
                                                       {"bigint", wire::FieldType::Integer},
                                                       {"float", wire::FieldType::Float},
                                                       {"real", wire::FieldType::Float},
                                                       {"double", wire::FieldType::Float},
                                                       {"money", wire::FieldType::Float},
                                                       {"numeric", wire::FieldType::Float},
                                                       {"decimal", wire::FieldType::Float},
                                                       {"bit", wire::FieldType::Boolean},
                                                       {"datetime", wire::FieldType::DateTime},
                                                       {"date", wire::FieldType::DateTime},
                                                       {"smalldatetime", wire::FieldType::DateTime}};
    const wire::FieldType type = types.value(base, wire::FieldType::String);
    return {name, type, type == wire::FieldType::String ? size : 0};
}

QString quoteIdentifier(const QString &name)
{
    return SqliteDialect::identifier(name);
}

} // namespace sql
