#pragma once
// Syntax tree of the client's SQL, independent of the backend dialect.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace sql::ast {

struct Expr;
struct Query;
struct TableRef;
using ExprPtr = std::unique_ptr<Expr>;
using QueryPtr = std::unique_ptr<Query>;
using TableRefPtr = std::unique_ptr<TableRef>;

struct Literal {
    enum class Kind { String, Number, Null };
    Kind kind = Kind::Null;
    QString text; // string value (quotes undone) or number as written
};

// col, T.col, #2wang.col
struct ColumnRef {
    QStringList parts;
};

// * or T.* (select lists only)
struct Star {
    QString qualifier;
};

struct Unary {
    enum class Op { Not, Minus };
    Op op = Op::Not;
    ExprPtr operand;
};

struct Binary {
    // Concat is "+" where an operand is a string: SQL Server joins the strings.
    enum class Op { Or, And, Eq, NotEq, Less, Greater, LessEq, GreaterEq, Add, Sub, Mul, Div, Mod, Concat };
    Op op = Op::Eq;
    ExprPtr left, right;
};

struct Like {
    ExprPtr value, pattern;
    bool negated = false;
};

struct InList {
    ExprPtr value;
    std::vector<ExprPtr> items;
    bool negated = false;
};

struct InQuery {
    ExprPtr value;
    QueryPtr query;
    bool negated = false;
};

struct IsNull {
    ExprPtr value;
    bool negated = false;
};

struct Between {
    ExprPtr value, low, high;
    bool negated = false;
};

struct Exists {
    QueryPtr query;
};

struct Subquery {
    QueryPtr query;
};

struct Case {
    ExprPtr operand; // null for the searched form "case when cond then …"
    std::vector<std::pair<ExprPtr, ExprPtr>> whens;
    ExprPtr otherwise;
};

struct Function {
    enum class Kind { Count, Max, Min, Sum, Avg, Len, IsNull, Substring, Upper, Lower, LTrim, RTrim, GetDate };
    Kind kind = Kind::Count;
    std::vector<ExprPtr> args;
    bool distinct = false;
    bool star = false; // count(*)
};

struct Expr {
    std::variant<Literal, ColumnRef, Star, Unary, Binary, Like, InList, InQuery, IsNull, Between, Exists, Subquery,
                 Case, Function>
        node;
};

struct NamedTable {
    QString name; // as written, brackets removed
    QString alias;
};

struct DerivedTable {
    QueryPtr query;
    QString alias;
};

struct Join {
    enum class Kind { Inner, Left };
    Kind kind = Kind::Inner;
    TableRefPtr left, right;
    ExprPtr on;
};

struct TableRef {
    std::variant<NamedTable, DerivedTable, Join> node;
};

struct SelectItem {
    ExprPtr expr; // a Star for * and T.*
    QString alias;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct Select {
    bool distinct = false;
    std::optional<qint64> top;
    std::vector<SelectItem> items;
    std::vector<TableRefPtr> from; // comma-separated items
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
};

// One select, or selects joined by union; order by applies to the whole.
struct Query {
    std::vector<Select> selects;
    std::vector<bool> unionAll; // between selects[i] and selects[i + 1]
    std::vector<OrderItem> orderBy;
    QString into; // "select … into T": the table to create
};

struct SelectStatement {
    Query query;
};

struct Insert {
    QString table;
    QStringList columns; // empty: every column but the identity
    std::vector<std::vector<ExprPtr>> rows;
    QueryPtr query; // set instead of rows for insert … select
};

struct Assignment {
    QString column;
    ExprPtr value;
};

struct Update {
    QString table;
    std::vector<Assignment> assignments;
    std::vector<TableRefPtr> from;
    ExprPtr where;
};

struct Delete {
    QString table;
    ExprPtr where;
};

struct DropTable {
    QString table;
};

struct CreateIndex {
    QString name;
    QString table;
    QStringList columns;
};

struct ColumnDef {
    QString name;
    QString typeName;    // as written: varchar, int, float …
    QList<int> typeArgs; // varchar(60) → {60}
    bool identity = false;
    bool primaryKey = false;
    std::optional<bool> nullable; // unset when neither null nor not null was written
};

struct CreateTable {
    QString table;
    std::vector<ColumnDef> columns;
};

struct AddColumn {
    QString table;
    ColumnDef column;
};

struct AlterColumn {
    QString table;
    ColumnDef column;
};

struct DropColumn {
    QString table;
    QString column;
};

using Statement = std::variant<SelectStatement, Insert, Update, Delete, DropTable, CreateIndex, CreateTable, AddColumn,
                               AlterColumn, DropColumn>;

} // namespace sql::ast
