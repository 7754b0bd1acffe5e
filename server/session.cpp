#include "session.h"

#include "wire/row_codec.h"
#include <QDateTime>
#include <QHash>
#include <sqlite3.h>

namespace server {

namespace {

class RequestError : public std::runtime_error {
public:
    RequestError(QLatin1StringView code, const QString &message)
        : std::runtime_error(message.toStdString()), code(code), message(message) {}
    QLatin1StringView code;
    QString message;
};

QString text(sqlite3_stmt *stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

// A prepared statement for this file's own catalogue queries.
class Statement {
public:
    Statement(sqlite3 *db, const char *sqlText)
    {
        if (sqlite3_prepare_v2(db, sqlText, -1, &stmt_, nullptr) != SQLITE_OK)
            throw sql::SqlError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement &bind(int index, const QString &value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool next() { return sqlite3_step(stmt_) == SQLITE_ROW; }
    QString text(int column) const { return server::text(stmt_, column); }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt *stmt_ = nullptr;
};

void bindValue(sqlite3_stmt *stmt, int index, const QCborValue &value)
{
    switch (value.type()) {
    case QCborValue::Integer:
        sqlite3_bind_int64(stmt, index, value.toInteger());
        break;
    case QCborValue::Double:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    case QCborValue::True:
    case QCborValue::False:
        sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
        break;
    case QCborValue::String: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case QCborValue::ByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        sqlite3_bind_null(stmt, index);
    }
}

} // namespace

// An open query whose rows the client fetches packet by packet.
class Cursor {
public:
    explicit Cursor(std::unique_ptr<sql::Query> query) : query_(std::move(query))
    {
        step();
        if (hasRow_)
            query_->refineColumns();
        for (const wire::Column &c : query_->columns())
            boolean_.push_back(c.type == wire::FieldType::Boolean);
    }

    const std::vector<wire::Column> &columns() const { return query_->columns(); }

    // Appends up to `count` rows (all when negative) to `out` as one CBOR array; true at the end.
    bool readPacket(int count, QByteArray &out)
    {
        wire::RowWriter writer(out);
        writer.beginRows();
        qsizetype n = 0;
        for (; (count < 0 || n < count) && settledNext_ < settledEnds_.size(); ++n, ++settledNext_) {
            const qsizetype begin = settledNext_ == 0 ? 0 : settledEnds_[settledNext_ - 1];
            out.append(settled_.constData() + begin, settledEnds_[settledNext_] - begin);
        }
        for (; (count < 0 || n < count) && hasRow_; ++n) {
            writeRow(writer);
            step();
        }
        writer.endRows();
        return atEnd();
    }

    bool atEnd() const { return !hasRow_ && settledNext_ == settledEnds_.size(); }

    void settle()
    {
        wire::RowWriter writer(settled_);
        while (hasRow_) {
            writeRow(writer);
            settledEnds_.push_back(settled_.size());
            step();
        }
    }

private:
    void step()
    {
        const int rc = sqlite3_step(query_->stmt());
        hasRow_ = rc == SQLITE_ROW;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw sql::SqlError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(query_->stmt()))));
        if (!hasRow_)
            sqlite3_reset(query_->stmt()); // releases the read transaction
    }

    void writeRow(wire::RowWriter &writer)
    {
        sqlite3_stmt *stmt = query_->stmt();
        const int n = int(boolean_.size());
        writer.beginRow(quint64(n));
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                if (boolean_[i])
                    writer.boolean(sqlite3_column_int64(stmt, i) != 0);
                else
                    writer.integer(sqlite3_column_int64(stmt, i));
                break;
            case SQLITE_FLOAT:
                writer.real(sqlite3_column_double(stmt, i));
                break;
            case SQLITE_TEXT:
                writer.text(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i));
                break;
            case SQLITE_BLOB:
                writer.bytes(static_cast<const char *>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
                break;
            default:
                writer.null();
            }
        }
    }

    std::unique_ptr<sql::Query> query_;
    std::vector<bool> boolean_;
    bool hasRow_ = false;
    QByteArray settled_;               // rows read ahead by settle(), CBOR-encoded back to back
    std::vector<qsizetype> settledEnds_;
    size_t settledNext_ = 0;
};

Session::Session(const AccountSets &accountSets) : accountSets_(accountSets) {}

Session::~Session() { closeDatabase(); }

void Session::closeDatabase()
{
    cursors_.clear();
    engine_.reset();
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    user_.clear();
    accountSet_.clear();
}

QCborMap Session::handle(const QByteArray &frame)
{
    QCborParserError parseError;
    const QCborValue body = QCborValue::fromCbor(frame, &parseError);
    QCborMap reply;
    QCborMap request;
    if (parseError.error != QCborError::NoError || !body.isMap()) {
        reply.insert(wire::key::id, 0);
        reply.insert(wire::key::error, QCborMap{{wire::key::code, wire::errc::protocol},
                                                {wire::key::message, QStringLiteral("请求格式错误: 不是有效的CBOR映射")}});
        return reply;
    }
    request = body.toMap();
    reply.insert(wire::key::id, request.value(wire::key::id));
    try {
        const QCborMap result = dispatch(request);
        for (auto it = result.cbegin(); it != result.cend(); ++it)
            reply.insert(it.key(), it.value());
    } catch (const RequestError &e) {
        reply.insert(wire::key::error, QCborMap{{wire::key::code, e.code}, {wire::key::message, e.message}});
    } catch (const sql::SqlError &e) {
        reply.insert(wire::key::error, QCborMap{{wire::key::code, wire::errc::sql}, {wire::key::message, e.message()}});
    } catch (const std::exception &e) {
        reply.insert(wire::key::error,
                     QCborMap{{wire::key::code, wire::errc::server}, {wire::key::message, QString::fromUtf8(e.what())}});
    }
    return reply;
}

QCborMap Session::dispatch(const QCborMap &request)
{
    const QString op = request.value(wire::key::op).toString();
    if (op == wire::op::hello) {
        const qint64 version = request.value(wire::key::version).toInteger();
        if (version != wire::ProtocolVersion)
            throw RequestError(wire::errc::protocol, QStringLiteral("协议版本不符: 客户端 %1, 服务器 %2")
                                                         .arg(version)
                                                         .arg(wire::ProtocolVersion));
        greeted_ = true;
        return {{wire::key::version, wire::ProtocolVersion}};
    }
    if (!greeted_)
        throw RequestError(wire::errc::protocol, QStringLiteral("连接后须先协商协议版本"));
    if (op == wire::op::call)
        return {{wire::key::result,
                 call(request.value(wire::key::method).toString(), request.value(wire::key::arg))}};
    if (op == wire::op::open)
        return openQuery(request);
    if (op == wire::op::fetch)
        return fetch(request);
    if (op == wire::op::close) {
        requireLogin();
        cursors_.erase(request.value(wire::key::cursor).toInteger());
        return {};
    }
    if (op == wire::op::exec) {
        requireLogin();
        requireProvider(request);
        settleCursors();
        return {{wire::key::affected, engine_->execute(request.value(wire::key::sql).toString())}};
    }
    if (op == wire::op::apply)
        return apply(request);
    throw RequestError(wire::errc::unknown, QStringLiteral("未知的请求: %1").arg(op));
}

void Session::requireLogin() const
{
    if (!db_)
        throw RequestError(wire::errc::notLoggedIn, QStringLiteral("尚未登录账套"));
}

void Session::requireProvider(const QCborMap &request) const
{
    const QString provider = request.value(wire::key::provider).toString();
    if (!wire::isKnownProvider(provider))
        throw RequestError(wire::errc::unknown, QStringLiteral("未知的数据提供者: %1").arg(provider));
}

void Session::settleCursors()
{
    for (auto &[id, cursor] : cursors_)
        cursor->settle();
}

QCborValue Session::call(const QString &method, const QCborValue &argument)
{
    if (method == QLatin1StringView("getDateTime")) {
        const QDateTime now = QDateTime::currentDateTime();
        return QCborArray{now.toString(QStringLiteral("yyyy-MM-dd")), now.toString(QStringLiteral("HH:mm:ss"))};
    }
    if (method == QLatin1StringView("testmima")) {
        login(argument);
        return {};
    }
    if (method == QLatin1StringView("GetAllTables") || method == QLatin1StringView("GetAllTables1")) {
        requireLogin();
        const QStringList tables = method.endsWith(u'1') ? directoryTables() : tablesOfUser();
        QCborArray result;
        for (const QString &t : tables)
            result.append(t);
        return result;
    }
    throw RequestError(wire::errc::unknown, QStringLiteral("未知的服务器方法: %1").arg(method));
}

void Session::login(const QCborValue &argument)
{
    const QCborArray args = argument.toArray();
    const QString accountSet = args.at(0).toString();
    const QString user = args.at(1).toString();
    const QString password = args.at(2).toString();
    if (!isValidAccountSetName(accountSet))
        throw RequestError(wire::errc::login, QStringLiteral("账套名称无效: %1").arg(accountSet));

    // A repeated login to the same account set keeps the connection and its working copies.
    if (db_ && accountSet != accountSet_)
        closeDatabase();
    if (!db_) {
        db_ = accountSets_.open(accountSet);
        engine_ = std::make_unique<sql::SqliteEngine>(db_);
    }
    Statement check(db_, "select count(*) from 员工账号, 组权限 where 用户名称 = ?1 and 密码 = ?2 and 组名 = 所属组名");
    check.bind(1, user).bind(2, password);
    if (!check.next() || check.integer(0) == 0) {
        closeDatabase();
        throw RequestError(wire::errc::login, QStringLiteral("用户登录失败！请重新输入用户名和密码！"));
    }
    accountSet_ = accountSet;
    user_ = user;
}

QStringList Session::directoryTables() const
{
    Statement tables(db_, "select name from sqlite_master where type = 'table' and name not like 'sqlite\\_%' "
                          "escape '\\' order by rowid");
    QStringList names;
    while (tables.next())
        if (!systemTables().contains(tables.text(0), Qt::CaseInsensitive))
            names << tables.text(0);
    return names;
}

QStringList Session::tablesOfUser() const
{
    const QStringList all = directoryTables();
    Statement group(db_, "select 组名, 管理员 from 员工账号, 组权限 where 用户名称 = ?1 and 组名 = 所属组名");
    group.bind(1, user_);
    if (!group.next() || group.integer(1) != 0)
        return all;
    Statement granted(db_, "select 表名 from 表权限 where 组名 = ?1 order by ID");
    granted.bind(1, group.text(0));
    QStringList names;
    bool anyRow = false;
    while (granted.next()) {
        anyRow = true;
        for (const QString &t : all)
            if (t.compare(granted.text(0), Qt::CaseInsensitive) == 0 && !names.contains(t))
                names << t;
    }
    return anyRow ? names : all;
}

QCborMap Session::openQuery(const QCborMap &request)
{
    requireLogin();
    requireProvider(request);
    settleCursors();
    auto cursor = std::make_unique<Cursor>(engine_->openQuery(request.value(wire::key::sql).toString()));
    QCborMap reply;
    reply.insert(wire::key::columns, wire::columnsToCbor(cursor->columns()));
    QByteArray rows;
    const bool eof = cursor->readPacket(int(request.value(wire::key::packet).toInteger(wire::AllRows)), rows);
    reply.insert(wire::key::rows, rows);
    reply.insert(wire::key::eof, eof);
    if (!eof) {
        const qint64 id = nextCursor_++;
        cursors_[id] = std::move(cursor);
        reply.insert(wire::key::cursor, id);
    }
    return reply;
}

QCborMap Session::fetch(const QCborMap &request)
{
    requireLogin();
    const qint64 id = request.value(wire::key::cursor).toInteger();
    const auto it = cursors_.find(id);
    if (it == cursors_.end())
        throw RequestError(wire::errc::unknown, QStringLiteral("游标不存在: %1").arg(id));
    QByteArray rows;
    const bool eof = it->second->readPacket(int(request.value(wire::key::packet).toInteger(wire::AllRows)), rows);
    if (eof)
        cursors_.erase(it);
    QCborMap reply;
    reply.insert(wire::key::rows, rows);
    reply.insert(wire::key::eof, eof);
    if (!eof)
        reply.insert(wire::key::cursor, id);
    return reply;
}

namespace {

struct TableColumns {
    QStringList names;
    QString identity; // the identity column, if any
    QString spelling(const QString &name) const
    {
        for (const QString &n : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return n;
        return {};
    }
};

TableColumns columnsOf(sqlite3 *db, const QString &table)
{
    Statement info(db, "select name, pk, upper(type) from pragma_table_info(?1)");
    info.bind(1, table);
    TableColumns columns;
    while (info.next()) {
        columns.names << info.text(0);
        if (info.integer(1) == 1 && info.text(2).startsWith(QLatin1StringView("INT")))
            columns.identity = info.text(0);
    }
    return columns;
}

// Applies one change; returns the new identity of an inserted row. Throws sql::SqlError.
class ChangeWriter {
public:
    ChangeWriter(sqlite3 *db, QString table, TableColumns columns)
        : db_(db), table_(std::move(table)), columns_(std::move(columns)) {}
    ~ChangeWriter()
    {
        for (sqlite3_stmt *s : std::as_const(prepared_))
            sqlite3_finalize(s);
    }

    QCborValue apply(const QCborMap &change)
    {
        const QString kind = change.value(wire::key::kind).toString();
        const QCborMap oldValues = change.value(wire::key::oldValues).toMap();
        const QCborMap newValues = change.value(wire::key::newValues).toMap();
        QStringList setColumns;
        std::vector<QCborValue> values;
        QString sqlText;
        if (kind == QLatin1StringView("insert")) {
            for (auto it = newValues.cbegin(); it != newValues.cend(); ++it) {
                const QString column = column_(it.key().toString());
                if (column.compare(columns_.identity, Qt::CaseInsensitive) == 0)
                    continue;
                setColumns << sql::quoteIdentifier(column);
                values.push_back(it.value());
            }
            sqlText = setColumns.isEmpty()
                          ? QStringLiteral("insert into %1 default values").arg(sql::quoteIdentifier(table_))
                          : QStringLiteral("insert into %1 (%2) values (%3)")
                                .arg(sql::quoteIdentifier(table_), setColumns.join(u','),
                                     QStringList(setColumns.size(), QStringLiteral("?")).join(u','));
        } else if (kind == QLatin1StringView("update") || kind == QLatin1StringView("delete")) {
            if (oldValues.isEmpty())
                throw sql::SqlError(QStringLiteral("缺少定位记录的原值"));
            if (kind == QLatin1StringView("update")) {
                for (auto it = newValues.cbegin(); it != newValues.cend(); ++it) {
                    setColumns << sql::quoteIdentifier(column_(it.key().toString())) + "=?";
                    values.push_back(it.value());
                }
                if (setColumns.isEmpty())
                    return {};
            }
            QStringList where;
            for (auto it = oldValues.cbegin(); it != oldValues.cend(); ++it) {
                where << sql::quoteIdentifier(column_(it.key().toString())) + " is ?";
                values.push_back(it.value());
            }
            sqlText = kind == QLatin1StringView("update")
                          ? QStringLiteral("update %1 set %2 where %3")
                                .arg(sql::quoteIdentifier(table_), setColumns.join(u','), where.join(" and "))
                          : QStringLiteral("delete from %1 where %2")
                                .arg(sql::quoteIdentifier(table_), where.join(" and "));
        } else {
            throw sql::SqlError(QStringLiteral("未知的更改类型: %1").arg(kind));
        }

        sqlite3_stmt *stmt = prepare(sqlText);
        for (int i = 0; i < int(values.size()); ++i)
            bindValue(stmt, i + 1, values[i]);
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE)
            throw sql::SqlError(QString::fromUtf8(sqlite3_errmsg(db_)));
        if (kind == QLatin1StringView("insert"))
            return columns_.identity.isEmpty() ? QCborValue() : QCborValue(qint64(sqlite3_last_insert_rowid(db_)));
        if (sqlite3_changes(db_) == 0)
            throw sql::SqlError(QStringLiteral("记录已被他人修改或删除"));
        return {};
    }

private:
    QString column_(const QString &name) const
    {
        const QString column = columns_.spelling(name);
        if (column.isEmpty())
            throw sql::SqlError(QStringLiteral("表 %1 中没有字段 %2").arg(table_, name));
        return column;
    }

    sqlite3_stmt *prepare(const QString &sqlText)
    {
        sqlite3_stmt *&stmt = prepared_[sqlText];
        if (!stmt && sqlite3_prepare_v2(db_, sqlText.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
            prepared_.remove(sqlText);
            throw sql::SqlError(message);
        }
        return stmt;
    }

    sqlite3 *db_;
    QString table_;
    TableColumns columns_;
    QHash<QString, sqlite3_stmt *> prepared_;
};

} // namespace

QCborMap Session::apply(const QCborMap &request)
{
    requireLogin();
    requireProvider(request);
    settleCursors();
    const QString table = sql::firstFromTable(request.value(wire::key::sql).toString());
    if (table.isEmpty())
        throw sql::SqlError(QStringLiteral("无法从命令文本确定要更新的表"));
    TableColumns columns = columnsOf(db_, table);
    if (columns.names.isEmpty())
        throw sql::SqlError(QStringLiteral("表不存在: %1").arg(table));

    // Each change stands alone: SQLite undoes a failing statement only, so the others still commit.
    if (sqlite3_exec(db_, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw sql::SqlError(QString::fromUtf8(sqlite3_errmsg(db_)));
    QCborArray results;
    {
        ChangeWriter writer(db_, table, std::move(columns));
        for (const QCborValue &change : request.value(wire::key::changes).toArray()) {
            QCborMap result;
            try {
                const QCborValue newId = writer.apply(change.toMap());
                result.insert(wire::key::ok, true);
                if (!newId.isUndefined() && !newId.isNull())
                    result.insert(wire::key::newId, newId);
            } catch (const sql::SqlError &e) {
                result.insert(wire::key::ok, false);
                result.insert(wire::key::error, e.message());
            }
            results.append(result);
        }
    }
    if (sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        throw sql::SqlError(message);
    }
    return {{wire::key::results, results}};
}

} // namespace server
