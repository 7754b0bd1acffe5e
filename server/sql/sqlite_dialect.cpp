#include "server/sql/sqlite_dialect.h"

namespace sql {

using namespace ast;

namespace {

// Binding strength in SQLite; an operand weaker than its place is put in parentheses.
enum Precedence { OrLevel = 1, AndLevel, NotLevel, CompareLevel, AddLevel, MulLevel, ConcatLevel, UnaryLevel, Primary };

int precedence(Binary::Op op)
{
    switch (op) {
    case Binary::Op::Or:
        return OrLevel;
    case Binary::Op::And:
        return AndLevel;
    case Binary::Op::Eq:
    case Binary::Op::NotEq:
    case Binary::Op::Less:
    case Binary::Op::Greater:
    case Binary::Op::LessEq:
    case Binary::Op::GreaterEq:
        return CompareLevel;
    case Binary::Op::Add:
    case Binary::Op::Sub:
        return AddLevel;
    case Binary::Op::Mul:
    case Binary::Op::Div:
    case Binary::Op::Mod:
        return MulLevel;
    case Binary::Op::Concat:
        return ConcatLevel;
    }
    return Primary;
}

int precedence(const Expr &expr)
{
    if (const auto *binary = std::get_if<Binary>(&expr.node))
        return precedence(binary->op);
    if (const auto *unary = std::get_if<Unary>(&expr.node))
        return unary->op == Unary::Op::Not ? NotLevel : UnaryLevel;
    if (std::holds_alternative<Like>(expr.node) || std::holds_alternative<InList>(expr.node)
        || std::holds_alternative<InQuery>(expr.node) || std::holds_alternative<IsNull>(expr.node)
        || std::holds_alternative<Between>(expr.node))
        return CompareLevel;
    return Primary;
}

QLatin1StringView symbol(Binary::Op op)
{
    switch (op) {
    case Binary::Op::Or:
        return QLatin1StringView(" OR ");
    case Binary::Op::And:
        return QLatin1StringView(" AND ");
    case Binary::Op::Eq:
        return QLatin1StringView(" = ");
    case Binary::Op::NotEq:
        return QLatin1StringView(" <> ");
    case Binary::Op::Less:
        return QLatin1StringView(" < ");
    case Binary::Op::Greater:
        return QLatin1StringView(" > ");
    case Binary::Op::LessEq:
        return QLatin1StringView(" <= ");
    case Binary::Op::GreaterEq:
        return QLatin1StringView(" >= ");
    case Binary::Op::Add:
        return QLatin1StringView(" + ");
    case Binary::Op::Sub:
        return QLatin1StringView(" - ");
    case Binary::Op::Mul:
        return QLatin1StringView(" * ");
    case Binary::Op::Div:
        return QLatin1StringView(" / ");
    case Binary::Op::Mod:
        return QLatin1StringView(" % ");
    case Binary::Op::Concat:
        return QLatin1StringView(" || ");
    }
    return {};
}

QLatin1StringView negation(bool negated)
{
    return negated ? QLatin1StringView(" NOT") : QLatin1StringView();
}

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};

} // namespace

QString SqliteDialect::identifier(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QLatin1StringView("\"\"")) + u'"';
}

QString SqliteDialect::stringLiteral(const QString &value)
{
    return u'\'' + QString(value).replace(u'\'', QLatin1StringView("''")) + u'\'';
}

bool SqliteDialect::isTemporary(const QString &table)
{
    return table.startsWith(u'#');
}

QString SqliteDialect::schemaOf(const QString &table)
{
    return isTemporary(table) ? QStringLiteral("temp") : QStringLiteral("main");
}

QString SqliteDialect::indexName(const QString &table, const QString &index)
{
    return table + u'.' + index;
}

QString SqliteDialect::identityColumn(const QString &name)
{
    return identifier(name) + QLatin1StringView(" INTEGER PRIMARY KEY AUTOINCREMENT");
}

QString SqliteDialect::operand(const Expr &expr, int minPrecedence) const
{
    const QString text = expression(expr);
    return precedence(expr) < minPrecedence ? u'(' + text + u')' : text;
}

// A run of one "and" or "or" is emitted as a balanced tree: a long "or ID=…" list stays within
// SQLite's expression depth limit.
QString SqliteDialect::chain(const Binary &binary) const
{
    std::vector<const Expr *> terms;
    std::vector<const Expr *> pending{binary.right.get(), binary.left.get()};
    while (!pending.empty()) {
        const Expr *e = pending.back();
        pending.pop_back();
        const auto *inner = std::get_if<Binary>(&e->node);
        if (inner && inner->op == binary.op) {
            pending.push_back(inner->right.get());
            pending.push_back(inner->left.get());
        } else {
            terms.push_back(e);
        }
    }
    const int level = precedence(binary.op);
    auto balanced = [&](auto &self, size_t from, size_t to) -> QString {
        if (to - from == 1)
            return operand(*terms[from], level + 1);
        const size_t middle = from + (to - from) / 2;
        auto half = [&](size_t a, size_t b) {
            const QString text = self(self, a, b);
            return b - a > 1 ? u'(' + text + u')' : text;
        };
        return half(from, middle) + symbol(binary.op) + half(middle, to);
    };
    return balanced(balanced, 0, terms.size());
}

QString SqliteDialect::expression(const Expr &expr) const
{
    return std::visit(
        Overloaded{
            [](const Literal &e) -> QString {
                switch (e.kind) {
                case Literal::Kind::String:
                    return stringLiteral(e.text);
                case Literal::Kind::Number:
                    return e.text;
                case Literal::Kind::Null:
                    break;
                }
                return QStringLiteral("NULL");
            },
            [](const ColumnRef &e) -> QString {
                QStringList parts;
                for (const QString &part : e.parts)
                    parts << identifier(part);
                return parts.join(u'.');
            },
            [](const Star &e) -> QString {
                return e.qualifier.isEmpty() ? QStringLiteral("*") : identifier(e.qualifier) + ".*";
            },
            [this](const Unary &e) -> QString {
                return e.op == Unary::Op::Not ? "NOT " + operand(*e.operand, NotLevel)
                                              : "-" + operand(*e.operand, Primary);
            },
            [this](const Binary &e) -> QString {
                if (e.op == Binary::Op::Or || e.op == Binary::Op::And)
                    return chain(e);
                const int level = precedence(e.op);
                // Comparisons do not nest without parentheses; the others group to the left.
                const int left = level == CompareLevel ? AddLevel : level;
                const int right = level == CompareLevel ? AddLevel : level + 1;
                return operand(*e.left, left) + symbol(e.op) + operand(*e.right, right);
            },
            [this](const Like &e) -> QString {
                return operand(*e.value, AddLevel) + negation(e.negated) + " LIKE " + operand(*e.pattern, AddLevel);
            },
            [this](const InList &e) -> QString {
                return operand(*e.value, AddLevel) + negation(e.negated) + " IN (" + list(e.items) + ")";
            },
            [this](const InQuery &e) -> QString {
                return operand(*e.value, AddLevel) + negation(e.negated) + " IN (" + query(*e.query) + ")";
            },
            [this](const IsNull &e) -> QString {
                return operand(*e.value, AddLevel) + (e.negated ? " IS NOT NULL" : " IS NULL");
            },
            [this](const Between &e) -> QString {
                return operand(*e.value, AddLevel) + negation(e.negated) + " BETWEEN " + operand(*e.low, AddLevel)
                       + " AND " + operand(*e.high, AddLevel);
            },
            [this](const Exists &e) -> QString { return "EXISTS (" + query(*e.query) + ")"; },
            [this](const Subquery &e) -> QString { return "(" + query(*e.query) + ")"; },
            [this](const Case &e) -> QString {
                QString text = QStringLiteral("CASE");
                if (e.operand)
                    text += u' ' + expression(*e.operand);
                for (const auto &[when, then] : e.whens)
                    text += " WHEN " + expression(*when) + " THEN " + expression(*then);
                if (e.otherwise)
                    text += " ELSE " + expression(*e.otherwise);
                return text + " END";
            },
            [this](const Function &e) -> QString { return function(e); },
        },
        expr.node);
}

QString SqliteDialect::function(const Function &f) const
{
    const QString args = list(f.args);
    const QString aggregateArgs = (f.distinct ? QStringLiteral("DISTINCT ") : QString()) + args;
    switch (f.kind) {
    case Function::Kind::Count:
        return f.star ? QStringLiteral("count(*)") : "count(" + aggregateArgs + ")";
    case Function::Kind::Max:
        return "max(" + aggregateArgs + ")";
    case Function::Kind::Min:
        return "min(" + aggregateArgs + ")";
    case Function::Kind::Sum:
        return "sum(" + aggregateArgs + ")";
    case Function::Kind::Avg:
        return "avg(" + aggregateArgs + ")";
    case Function::Kind::Len:
        // len() leaves out trailing blanks.
        return "length(rtrim(" + args + "))";
    case Function::Kind::IsNull:
        return "ifnull(" + args + ")";
    case Function::Kind::Substring:
        return "substr(" + args + ")";
    case Function::Kind::Upper:
        return "upper(" + args + ")";
    case Function::Kind::Lower:
        return "lower(" + args + ")";
    case Function::Kind::LTrim:
        return "ltrim(" + args + ")";
    case Function::Kind::RTrim:
        return "rtrim(" + args + ")";
    case Function::Kind::GetDate:
        return QStringLiteral("datetime('now', 'localtime')");
    }
    return {};
}

QString SqliteDialect::list(const std::vector<ExprPtr> &exprs) const
{
    QStringList parts;
    for (const ExprPtr &e : exprs)
        parts << expression(*e);
    return parts.join(QLatin1StringView(", "));
}

QString SqliteDialect::select(const Select &s) const
{
    QString text = QStringLiteral("SELECT ");
    if (s.distinct)
        text += QLatin1StringView("DISTINCT ");
    QStringList items;
    for (const SelectItem &item : s.items)
        items << (item.alias.isEmpty() ? expression(*item.expr)
                                       : expression(*item.expr) + " AS " + identifier(item.alias));
    text += items.join(QLatin1StringView(", "));
    if (!s.from.empty()) {
        std::vector<const TableRef *> refs;
        for (const TableRefPtr &ref : s.from)
            refs.push_back(ref.get());
        text += " FROM " + tableRefs(refs);
    }
    if (s.where)
        text += " WHERE " + expression(*s.where);
    if (!s.groupBy.empty())
        text += " GROUP BY " + list(s.groupBy);
    if (s.having)
        text += " HAVING " + expression(*s.having);
    return text;
}

QString SqliteDialect::query(const Query &q) const
{
    auto limit = [](const Select &s) { return s.top ? QStringLiteral(" LIMIT %1").arg(*s.top) : QString(); };
    QString text;
    for (size_t i = 0; i < q.selects.size(); ++i) {
        const Select &s = q.selects[i];
        if (i > 0)
            text += q.unionAll[i - 1] ? QLatin1StringView(" UNION ALL ") : QLatin1StringView(" UNION ");
        // SQLite takes LIMIT only after the last member of a union.
        if (q.selects.size() > 1 && s.top)
            text += "SELECT * FROM (" + select(s) + limit(s) + ")";
        else
            text += select(s);
    }
    if (!q.orderBy.empty()) {
        QStringList items;
        for (const OrderItem &item : q.orderBy)
            items << expression(*item.expr) + (item.descending ? QLatin1StringView(" DESC") : QLatin1StringView());
        text += " ORDER BY " + items.join(QLatin1StringView(", "));
    }
    if (q.selects.size() == 1)
        text += limit(q.selects.front());
    return text;
}

QString SqliteDialect::tableRef(const TableRef &ref) const
{
    auto alias = [](const QString &name) { return name.isEmpty() ? QString() : " AS " + identifier(name); };
    return std::visit(
        Overloaded{
            [&](const NamedTable &t) -> QString { return identifier(t.name) + alias(t.alias); },
            [&](const DerivedTable &t) -> QString { return "(" + query(*t.query) + ")" + alias(t.alias); },
            [&](const Join &t) -> QString {
                return tableRef(*t.left)
                       + (t.kind == Join::Kind::Left ? QLatin1StringView(" LEFT JOIN ") : QLatin1StringView(" JOIN "))
                       + tableRef(*t.right) + " ON " + expression(*t.on);
            },
        },
        ref.node);
}

QString SqliteDialect::tableRefs(const std::vector<const TableRef *> &refs) const
{
    QStringList parts;
    for (const TableRef *ref : refs)
        parts << tableRef(*ref);
    return parts.join(QLatin1StringView(", "));
}

QString SqliteDialect::insert(const Insert &s, const QStringList &columns) const
{
    QString text = "INSERT INTO " + identifier(s.table);
    if (!columns.isEmpty()) {
        QStringList names;
        for (const QString &column : columns)
            names << identifier(column);
        text += " (" + names.join(QLatin1StringView(", ")) + ")";
    }
    if (s.query)
        return text + u' ' + query(*s.query);
    QStringList rows;
    for (const auto &row : s.rows)
        rows << "(" + list(row) + ")";
    return text + " VALUES " + rows.join(QLatin1StringView(", "));
}

// SQL Server names the target again in "from"; SQLite's UPDATE … FROM must leave it out.
QString SqliteDialect::update(const Update &s) const
{
    QString table = s.table;
    QString alias;
    std::vector<const TableRef *> others;
    bool targetFound = false;
    for (const TableRefPtr &ref : s.from) {
        const auto *named = std::get_if<NamedTable>(&ref->node);
        const bool isTarget = named && !targetFound
                              && (named->alias.isEmpty() ? named->name.compare(s.table, Qt::CaseInsensitive) == 0
                                                         : named->alias.compare(s.table, Qt::CaseInsensitive) == 0);
        if (isTarget) {
            targetFound = true;
            table = named->name;
            alias = named->alias;
        } else {
            others.push_back(ref.get());
        }
    }
    QString text = "UPDATE " + identifier(table);
    if (!alias.isEmpty())
        text += " AS " + identifier(alias);
    QStringList assignments;
    for (const Assignment &a : s.assignments)
        assignments << identifier(a.column) + " = " + expression(*a.value);
    text += " SET " + assignments.join(QLatin1StringView(", "));
    if (!others.empty())
        text += " FROM " + tableRefs(others);
    if (s.where)
        text += " WHERE " + expression(*s.where);
    return text;
}

QString SqliteDialect::deleteRows(const Delete &s) const
{
    QString text = "DELETE FROM " + identifier(s.table);
    if (s.where)
        text += " WHERE " + expression(*s.where);
    return text;
}

QString SqliteDialect::dropTable(const DropTable &s) const
{
    return "DROP TABLE " + identifier(s.table);
}

// Unqualified, SQLite puts the index in the schema of its table, so "#x" tables get temp indexes.
QString SqliteDialect::createIndex(const CreateIndex &s) const
{
    QStringList columns;
    for (const QString &column : s.columns)
        columns << identifier(column);
    return "CREATE INDEX " + identifier(indexName(s.table, s.name)) + " ON " + identifier(s.table) + " ("
           + columns.join(QLatin1StringView(", ")) + ")";
}

QString SqliteDialect::createTable(const CreateTable &s) const
{
    QStringList definitions;
    for (const ColumnDef &column : s.columns)
        definitions << columnDefinition(column);
    return createTable(s.table, definitions);
}

QString SqliteDialect::createTable(const QString &table, const QStringList &columnDefinitions) const
{
    return QLatin1StringView(isTemporary(table) ? "CREATE TEMP TABLE " : "CREATE TABLE ") + identifier(table) + " ("
           + columnDefinitions.join(QLatin1StringView(", ")) + ")";
}

QString SqliteDialect::addColumn(const AddColumn &s) const
{
    return "ALTER TABLE " + identifier(s.table) + " ADD COLUMN " + columnDefinition(s.column);
}

QString SqliteDialect::columnType(const ColumnDef &column) const
{
    if (column.typeArgs.isEmpty())
        return column.typeName;
    QStringList args;
    for (int arg : column.typeArgs)
        args << QString::number(arg);
    return column.typeName + u'(' + args.join(u',') + u')';
}

QString SqliteDialect::columnDefinition(const ColumnDef &column) const
{
    if (column.identity)
        return identityColumn(column.name);
    QString text = identifier(column.name) + u' ' + columnType(column);
    if (column.primaryKey)
        text += QLatin1StringView(" PRIMARY KEY");
    if (column.nullable == false)
        text += QLatin1StringView(" NOT NULL");
    return text;
}

} // namespace sql
