#include "server/sql/parser.h"

#include "server/sql/lexer.h"
#include "server/sql/sql_error.h"

#include <QHash>
#include <QSet>

namespace sql {

using namespace ast;

namespace {

// Words that begin a statement of SQL Server; after a complete statement they start the next one.
const QSet<QString> &statementWords()
{
    static const QSet<QString> words{
        "select",  "insert",   "update",     "delete", "drop",   "create",     "alter", "merge",     "exec",  "execute",
        "declare", "truncate", "go",         "begin",  "commit", "rollback",   "set",   "print",     "if",    "while",
        "use",     "grant",    "revoke",     "deny",   "return", "waitfor",    "goto",  "raiserror", "throw", "backup",
        "restore", "dbcc",     "checkpoint", "bulk",   "fetch",  "deallocate", "kill"};
    return words;
}

// Words that end a clause or start a statement, so they never pass as a bare name or alias.
const QSet<QString> &reservedWords()
{
    static const QSet<QString> words =
        QSet<QString>{"from",   "where",   "group",  "order",   "by",   "having", "union",    "all",   "into",
                      "values", "and",     "or",     "not",     "like", "in",     "is",       "null",  "between",
                      "exists", "case",    "when",   "then",    "else", "end",    "join",     "inner", "left",
                      "right",  "full",    "outer",  "cross",   "on",   "as",     "distinct", "top",   "asc",
                      "desc",   "apply",   "pivot",  "unpivot", "with", "option", "for",      "over",  "intersect",
                      "except", "collate", "escape", "percent"}
            .unite(statementWords());
    return words;
}

struct FunctionInfo {
    Function::Kind kind;
    int minArgs, maxArgs;
    bool aggregate;
};

const QHash<QString, FunctionInfo> &functions()
{
    using K = Function::Kind;
    static const QHash<QString, FunctionInfo> table{
        {"count", {K::Count, 1, 1, true}},     {"max", {K::Max, 1, 1, true}},
        {"min", {K::Min, 1, 1, true}},         {"sum", {K::Sum, 1, 1, true}},
        {"avg", {K::Avg, 1, 1, true}},         {"len", {K::Len, 1, 1, false}},
        {"isnull", {K::IsNull, 2, 2, false}},  {"substring", {K::Substring, 3, 3, false}},
        {"upper", {K::Upper, 1, 1, false}},    {"lower", {K::Lower, 1, 1, false}},
        {"ltrim", {K::LTrim, 1, 1, false}},    {"rtrim", {K::RTrim, 1, 1, false}},
        {"getdate", {K::GetDate, 0, 0, false}}};
    return table;
}

// Column types a client may declare.
const QSet<QString> &typeNames()
{
    static const QSet<QString> names{"varchar", "nvarchar", "char",    "nchar",    "text",  "ntext",        "int",
                                     "integer", "smallint", "tinyint", "bigint",   "float", "real",         "money",
                                     "numeric", "decimal",  "bit",     "datetime", "date",  "smalldatetime"};
    return names;
}

template <typename T> ExprPtr make(T node)
{
    return std::make_unique<Expr>(Expr{std::move(node)});
}

// Whether SQL Server types the expression as a string, which turns "+" into concatenation.
bool isString(const Expr &e)
{
    if (const auto *literal = std::get_if<Literal>(&e.node))
        return literal->kind == Literal::Kind::String;
    if (const auto *binary = std::get_if<Binary>(&e.node))
        return binary->op == Binary::Op::Concat;
    if (const auto *function = std::get_if<Function>(&e.node)) {
        switch (function->kind) {
        case Function::Kind::Substring:
        case Function::Kind::Upper:
        case Function::Kind::Lower:
        case Function::Kind::LTrim:
        case Function::Kind::RTrim:
            return true;
        default:
            return false;
        }
    }
    return false;
}

class Parser {
public:
    explicit Parser(const QString &text) : tokens_(tokenize(text)) {}

    std::vector<Statement> batch()
    {
        std::vector<Statement> statements;
        while (!atEnd()) {
            if (acceptSymbol(";"))
                continue;
            statements.push_back(statement());
            const Token &t = peek();
            if (!atEnd() && !t.isSymbol(QLatin1StringView(";"))
                && !(t.kind == Token::Kind::Word && statementWords().contains(t.text.toLower())))
                unexpected();
        }
        return statements;
    }

private:
    // --- tokens ---

    const Token &peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
    bool atEnd() const { return peek().kind == Token::Kind::End; }
    const Token &take()
    {
        const Token &t = peek();
        if (!atEnd())
            ++pos_;
        return t;
    }
    bool peekWord(const char *word, size_t ahead = 0) const { return peek(ahead).isWord(QLatin1StringView(word)); }
    bool peekSymbol(const char *symbol, size_t ahead = 0) const
    {
        return peek(ahead).isSymbol(QLatin1StringView(symbol));
    }
    bool acceptWord(const char *word)
    {
        if (!peekWord(word))
            return false;
        ++pos_;
        return true;
    }
    bool acceptSymbol(const char *symbol)
    {
        if (!peekSymbol(symbol))
            return false;
        ++pos_;
        return true;
    }
    void expectWord(const char *word)
    {
        if (!acceptWord(word))
            unexpected();
    }
    void expectSymbol(const char *symbol)
    {
        if (!acceptSymbol(symbol))
            unexpected();
    }

    [[noreturn]] void unexpected() const
    {
        const Token &t = peek();
        switch (t.kind) {
        case Token::Kind::End:
            throw SqlError(QStringLiteral("SQL语法错误: 语句不完整 (第%1行)").arg(t.line));
        case Token::Kind::Word:
            throw SqlError(QStringLiteral("不支持的SQL语法: %1 (第%2行)").arg(t.text).arg(t.line));
        case Token::Kind::String:
            throw SqlError(QStringLiteral("SQL语法错误: '%1' 附近 (第%2行)").arg(t.text).arg(t.line));
        default:
            throw SqlError(QStringLiteral("SQL语法错误: %1 附近 (第%2行)").arg(t.text).arg(t.line));
        }
    }

    bool isNameAt(size_t ahead) const
    {
        const Token &t = peek(ahead);
        return t.kind == Token::Kind::QuotedIdentifier
               || (t.kind == Token::Kind::Word && !reservedWords().contains(t.text.toLower()));
    }

    QString name()
    {
        if (!isNameAt(0))
            unexpected();
        return take().text;
    }

    QString optionalAlias()
    {
        if (acceptWord("as"))
            return name();
        return isNameAt(0) ? take().text : QString();
    }

    qint64 integer()
    {
        const Token &t = peek();
        bool ok = false;
        const qint64 value = t.kind == Token::Kind::Number ? t.text.toLongLong(&ok) : 0;
        if (!ok)
            unexpected();
        take();
        return value;
    }

    // --- statements ---

    Statement statement()
    {
        const Token &t = peek();
        if (t.isWord(QLatin1StringView("select")))
            return SelectStatement{query(true)};
        if (t.isWord(QLatin1StringView("insert")))
            return insert();
        if (t.isWord(QLatin1StringView("update")))
            return update();
        if (t.isWord(QLatin1StringView("delete")))
            return deleteRows();
        if (t.isWord(QLatin1StringView("drop"))) {
            take();
            expectWord("table");
            return DropTable{name()};
        }
        if (t.isWord(QLatin1StringView("create")))
            return create();
        if (t.isWord(QLatin1StringView("alter")))
            return alter();
        if (t.kind == Token::Kind::Word)
            throw SqlError(QStringLiteral("不支持的SQL语句: %1").arg(t.text));
        unexpected();
    }

    Insert insert()
    {
        expectWord("insert");
        acceptWord("into");
        Insert result;
        result.table = name();
        if (peekSymbol("(") && !peekWord("select", 1)) {
            take();
            do
                result.columns << name();
            while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (acceptWord("values")) {
            do {
                expectSymbol("(");
                std::vector<ExprPtr> row;
                do
                    row.push_back(expression());
                while (acceptSymbol(","));
                expectSymbol(")");
                result.rows.push_back(std::move(row));
            } while (acceptSymbol(","));
        } else if (peekWord("select")) {
            result.query = std::make_unique<Query>(query(false));
        } else if (peekSymbol("(") && peekWord("select", 1)) {
            take();
            result.query = std::make_unique<Query>(query(false));
            expectSymbol(")");
        } else {
            unexpected();
        }
        return result;
    }

    Update update()
    {
        expectWord("update");
        Update result;
        result.table = name();
        expectWord("set");
        do {
            QString column = name();
            while (acceptSymbol("."))
                column = name(); // "T.col": the target's own column
            expectSymbol("=");
            result.assignments.push_back({column, expression()});
        } while (acceptSymbol(","));
        if (acceptWord("from"))
            result.from = tableRefs();
        if (acceptWord("where"))
            result.where = expression();
        return result;
    }

    Delete deleteRows()
    {
        expectWord("delete");
        acceptWord("from");
        Delete result;
        result.table = name();
        if (acceptWord("where"))
            result.where = expression();
        return result;
    }

    Statement create()
    {
        expectWord("create");
        if (acceptWord("index")) {
            CreateIndex index;
            index.name = name();
            expectWord("on");
            index.table = name();
            expectSymbol("(");
            do
                index.columns << name();
            while (acceptSymbol(","));
            expectSymbol(")");
            return index;
        }
        expectWord("table");
        CreateTable table;
        table.table = name();
        expectSymbol("(");
        do
            table.columns.push_back(columnDef());
        while (acceptSymbol(","));
        expectSymbol(")");
        return table;
    }

    Statement alter()
    {
        expectWord("alter");
        expectWord("table");
        const QString table = name();
        if (acceptWord("add"))
            return AddColumn{table, columnDef()};
        if (acceptWord("alter")) {
            expectWord("column");
            return AlterColumn{table, columnDef()};
        }
        expectWord("drop");
        expectWord("column");
        return DropColumn{table, name()};
    }

    ColumnDef columnDef()
    {
        ColumnDef column;
        column.name = name();
        const Token &type = peek();
        if (type.kind != Token::Kind::Word)
            unexpected();
        if (!typeNames().contains(type.text.toLower()))
            throw SqlError(QStringLiteral("不支持的数据类型: %1 (第%2行)").arg(type.text).arg(type.line));
        column.typeName = take().text;
        if (acceptSymbol("(")) {
            do
                column.typeArgs << int(integer());
            while (acceptSymbol(","));
            expectSymbol(")");
        }
        for (;;) {
            if (acceptWord("identity")) {
                column.identity = true;
                if (acceptSymbol("(")) {
                    // The backends number identities from 1 by 1.
                    const int line = peek().line;
                    const qint64 seed = integer();
                    expectSymbol(",");
                    const qint64 step = integer();
                    expectSymbol(")");
                    if (seed != 1 || step != 1)
                        throw SqlError(
                            QStringLiteral("不支持的SQL语法: identity(%1,%2) (第%3行)").arg(seed).arg(step).arg(line));
                }
            } else if (acceptWord("primary")) {
                expectWord("key");
                column.primaryKey = true;
            } else if (peekWord("not") && peekWord("null", 1)) {
                pos_ += 2;
                column.nullable = false;
            } else if (acceptWord("null")) {
                column.nullable = true;
            } else {
                return column;
            }
        }
    }

    // --- queries ---

    Query query(bool allowInto)
    {
        Query result;
        result.selects.push_back(select(allowInto ? &result.into : nullptr));
        while (acceptWord("union")) {
            result.unionAll.push_back(acceptWord("all"));
            result.selects.push_back(select(nullptr));
        }
        if (acceptWord("order")) {
            expectWord("by");
            do {
                OrderItem item{expression()};
                if (acceptWord("desc"))
                    item.descending = true;
                else
                    acceptWord("asc");
                result.orderBy.push_back(std::move(item));
            } while (acceptSymbol(","));
        }
        return result;
    }

    Select select(QString *into)
    {
        expectWord("select");
        Select result;
        result.distinct = acceptWord("distinct");
        if (!result.distinct)
            acceptWord("all");
        if (acceptWord("top")) {
            if (acceptSymbol("(")) {
                result.top = integer();
                expectSymbol(")");
            } else {
                result.top = integer();
            }
        }
        do
            result.items.push_back(selectItem());
        while (acceptSymbol(","));
        if (into && acceptWord("into"))
            *into = name();
        if (acceptWord("from"))
            result.from = tableRefs();
        if (acceptWord("where"))
            result.where = expression();
        if (acceptWord("group")) {
            expectWord("by");
            do
                result.groupBy.push_back(expression());
            while (acceptSymbol(","));
        }
        if (acceptWord("having"))
            result.having = expression();
        return result;
    }

    SelectItem selectItem()
    {
        if (acceptSymbol("*"))
            return {make(Star{}), {}};
        if (isNameAt(0) && peekSymbol(".", 1) && peekSymbol("*", 2)) {
            const QString qualifier = take().text;
            pos_ += 2;
            return {make(Star{qualifier}), {}};
        }
        ExprPtr expr = expression();
        return {std::move(expr), optionalAlias()};
    }

    std::vector<TableRefPtr> tableRefs()
    {
        std::vector<TableRefPtr> refs;
        do
            refs.push_back(tableRef());
        while (acceptSymbol(","));
        return refs;
    }

    TableRefPtr tableRef()
    {
        TableRefPtr left = tablePrimary();
        for (;;) {
            Join::Kind kind;
            if (acceptWord("join")) {
                kind = Join::Kind::Inner;
            } else if (acceptWord("inner")) {
                expectWord("join");
                kind = Join::Kind::Inner;
            } else if (peekWord("left")) {
                take();
                acceptWord("outer");
                expectWord("join");
                kind = Join::Kind::Left;
            } else {
                return left;
            }
            TableRefPtr right = tablePrimary();
            expectWord("on");
            ExprPtr on = expression();
            left = std::make_unique<TableRef>(TableRef{Join{kind, std::move(left), std::move(right), std::move(on)}});
        }
    }

    TableRefPtr tablePrimary()
    {
        if (acceptSymbol("(")) {
            if (!peekWord("select"))
                unexpected();
            auto derived = std::make_unique<Query>(query(false));
            expectSymbol(")");
            return std::make_unique<TableRef>(TableRef{DerivedTable{std::move(derived), optionalAlias()}});
        }
        QString table = name();
        return std::make_unique<TableRef>(TableRef{NamedTable{std::move(table), optionalAlias()}});
    }

    // --- expressions, by SQL Server precedence ---

    ExprPtr expression()
    {
        ExprPtr left = conjunction();
        while (acceptWord("or"))
            left = make(Binary{Binary::Op::Or, std::move(left), conjunction()});
        return left;
    }

    ExprPtr conjunction()
    {
        ExprPtr left = negation();
        while (acceptWord("and"))
            left = make(Binary{Binary::Op::And, std::move(left), negation()});
        return left;
    }

    ExprPtr negation()
    {
        if (acceptWord("not"))
            return make(Unary{Unary::Op::Not, negation()});
        return predicate();
    }

    ExprPtr predicate()
    {
        ExprPtr value = additive();
        static const std::pair<const char *, Binary::Op> comparisons[] = {
            {"=", Binary::Op::Eq},        {"<>", Binary::Op::NotEq},  {"!=", Binary::Op::NotEq},
            {"<", Binary::Op::Less},      {">", Binary::Op::Greater}, {"<=", Binary::Op::LessEq},
            {">=", Binary::Op::GreaterEq}};
        for (const auto &[symbol, op] : comparisons) {
            if (acceptSymbol(symbol))
                return make(Binary{op, std::move(value), additive()});
        }
        if (acceptWord("is")) {
            const bool negated = acceptWord("not");
            expectWord("null");
            return make(IsNull{std::move(value), negated});
        }
        bool negated = false;
        if (peekWord("not") && (peekWord("like", 1) || peekWord("in", 1) || peekWord("between", 1))) {
            take();
            negated = true;
        }
        if (acceptWord("like"))
            return make(Like{std::move(value), additive(), negated});
        if (acceptWord("between")) {
            ExprPtr low = additive();
            expectWord("and");
            return make(Between{std::move(value), std::move(low), additive(), negated});
        }
        if (acceptWord("in")) {
            expectSymbol("(");
            if (peekWord("select")) {
                auto subquery = std::make_unique<Query>(query(false));
                expectSymbol(")");
                return make(InQuery{std::move(value), std::move(subquery), negated});
            }
            InList list{std::move(value), {}, negated};
            do
                list.items.push_back(expression());
            while (acceptSymbol(","));
            expectSymbol(")");
            return make(std::move(list));
        }
        return value;
    }

    ExprPtr additive()
    {
        ExprPtr left = multiplicative();
        for (;;) {
            if (acceptSymbol("+")) {
                ExprPtr right = multiplicative();
                const auto op = isString(*left) || isString(*right) ? Binary::Op::Concat : Binary::Op::Add;
                left = make(Binary{op, std::move(left), std::move(right)});
            } else if (acceptSymbol("-")) {
                left = make(Binary{Binary::Op::Sub, std::move(left), multiplicative()});
            } else {
                return left;
            }
        }
    }

    ExprPtr multiplicative()
    {
        ExprPtr left = unary();
        for (;;) {
            Binary::Op op;
            if (acceptSymbol("*"))
                op = Binary::Op::Mul;
            else if (acceptSymbol("/"))
                op = Binary::Op::Div;
            else if (acceptSymbol("%"))
                op = Binary::Op::Mod;
            else
                return left;
            left = make(Binary{op, std::move(left), unary()});
        }
    }

    ExprPtr unary()
    {
        if (acceptSymbol("-"))
            return make(Unary{Unary::Op::Minus, unary()});
        if (acceptSymbol("+"))
            return unary();
        return primary();
    }

    ExprPtr primary()
    {
        const Token &t = peek();
        switch (t.kind) {
        case Token::Kind::String:
            return make(Literal{Literal::Kind::String, take().text});
        case Token::Kind::Number:
            return make(Literal{Literal::Kind::Number, take().text});
        case Token::Kind::Symbol:
            if (!acceptSymbol("("))
                unexpected();
            if (peekWord("select")) {
                auto subquery = std::make_unique<Query>(query(false));
                expectSymbol(")");
                return make(Subquery{std::move(subquery)});
            } else {
                ExprPtr inner = expression();
                expectSymbol(")");
                return inner;
            }
        default:
            break;
        }
        if (acceptWord("null"))
            return make(Literal{});
        if (acceptWord("exists")) {
            expectSymbol("(");
            auto subquery = std::make_unique<Query>(query(false));
            expectSymbol(")");
            return make(Exists{std::move(subquery)});
        }
        if (peekWord("case"))
            return caseExpression();
        if (t.kind == Token::Kind::Word && peekSymbol("(", 1))
            return functionCall();
        ColumnRef column;
        column.parts << name();
        while (acceptSymbol("."))
            column.parts << name();
        return make(std::move(column));
    }

    ExprPtr caseExpression()
    {
        expectWord("case");
        Case result;
        if (!peekWord("when"))
            result.operand = expression();
        while (acceptWord("when")) {
            ExprPtr condition = expression();
            expectWord("then");
            result.whens.emplace_back(std::move(condition), expression());
        }
        if (result.whens.empty())
            unexpected();
        if (acceptWord("else"))
            result.otherwise = expression();
        expectWord("end");
        return make(std::move(result));
    }

    ExprPtr functionCall()
    {
        const Token &nameToken = take();
        const auto found = functions().constFind(nameToken.text.toLower());
        if (found == functions().constEnd())
            throw SqlError(QStringLiteral("不支持的SQL函数: %1 (第%2行)").arg(nameToken.text).arg(nameToken.line));
        const FunctionInfo &info = *found;
        expectSymbol("(");
        Function call;
        call.kind = info.kind;
        if (info.kind == Function::Kind::Count && acceptSymbol("*")) {
            call.star = true;
        } else {
            if (info.aggregate) {
                call.distinct = acceptWord("distinct");
                if (!call.distinct)
                    acceptWord("all");
            }
            if (!peekSymbol(")")) {
                do
                    call.args.push_back(expression());
                while (acceptSymbol(","));
            }
            if (int(call.args.size()) < info.minArgs || int(call.args.size()) > info.maxArgs)
                throw SqlError(QStringLiteral("SQL语法错误: 函数 %1 的参数个数不对 (第%2行)")
                                   .arg(nameToken.text)
                                   .arg(nameToken.line));
        }
        expectSymbol(")");
        return make(std::move(call));
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

} // namespace

std::vector<Statement> parseBatch(const QString &batch)
{
    return Parser(batch).batch();
}

} // namespace sql
