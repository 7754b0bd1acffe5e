#pragma once
// SQLite text for the syntax tree. Statements that take several SQLite steps (select into, alter
// column) are put together by the engine from these pieces.

#include "server/sql/ast.h"

#include <QString>
#include <QStringList>

namespace sql {

class SqliteDialect {
public:
    // "name" with inner double quotes doubled.
    static QString identifier(const QString &name);
    static QString stringLiteral(const QString &value);
    // "#x" tables live in the connection's temp schema.
    static bool isTemporary(const QString &table);
    static QString schemaOf(const QString &table);
    // Index names are per table in SQL Server, per schema in SQLite.
    static QString indexName(const QString &table, const QString &index);
    // The column that numbers rows itself and never reuses a number.
    static QString identityColumn(const QString &name);

    QString expression(const ast::Expr &expr) const;
    // The query without its "into".
    QString query(const ast::Query &query) const;
    QString insert(const ast::Insert &insert, const QStringList &columns) const;
    QString update(const ast::Update &update) const;
    QString deleteRows(const ast::Delete &statement) const;
    QString dropTable(const ast::DropTable &statement) const;
    QString createIndex(const ast::CreateIndex &statement) const;
    QString createTable(const ast::CreateTable &statement) const;
    // CREATE TABLE from column definitions already in SQLite text.
    QString createTable(const QString &table, const QStringList &columnDefinitions) const;
    QString addColumn(const ast::AddColumn &statement) const;
    // The declared type as written ("varchar(60)"), which the column keeps.
    QString columnType(const ast::ColumnDef &column) const;
    QString columnDefinition(const ast::ColumnDef &column) const;

private:
    QString operand(const ast::Expr &expr, int minPrecedence) const;
    QString chain(const ast::Binary &binary) const;
    QString function(const ast::Function &function) const;
    QString select(const ast::Select &select) const;
    QString tableRef(const ast::TableRef &ref) const;
    QString tableRefs(const std::vector<const ast::TableRef *> &refs) const;
    QString list(const std::vector<ast::ExprPtr> &exprs) const;
};

} // namespace sql
