#pragma once
// One client connection's state on the server: its login, its SQLite connection (and with it its
// temporary tables) and its open cursors.

#include "account_set.h"
#include "server/sql/engine.h"

#include <QCborMap>
#include <QCborArray>
#include <map>
#include <memory>

struct sqlite3;

namespace server {

class Cursor;

class Session {
public:
    explicit Session(const AccountSets &accountSets);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Answers one request frame. Never throws.
    QCborMap handle(const QByteArray &frame);

private:
    QCborMap dispatch(const QCborMap &request);
    QCborValue call(const QString &method, const QCborValue &argument);
    QCborMap openQuery(const QCborMap &request);
    QCborMap fetch(const QCborMap &request);
    QCborMap apply(const QCborMap &request);

    void login(const QCborValue &argument);
    QStringList directoryTables() const;
    QStringList tablesOfUser() const;
    void requireLogin() const;
    void requireProvider(const QCborMap &request) const;
    // Reads every cursor to its end and releases its statement, so that a write on this connection
    // never meets a statement still reading (a table in use cannot be dropped).
    void settleCursors();
    void closeDatabase();

    const AccountSets &accountSets_;
    bool greeted_ = false;
    sqlite3 *db_ = nullptr;
    std::unique_ptr<sql::SqliteEngine> engine_;
    QString accountSet_;
    QString user_;
    std::map<qint64, std::unique_ptr<Cursor>> cursors_;
    qint64 nextCursor_ = 1;
};

} // namespace server
