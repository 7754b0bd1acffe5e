#pragma once
// A blocking connection to velbor-server, as the client's calls are synchronous.

#include "protocol.h"
#include "row_codec.h"

#include <QCborArray>
#include <QMap>
#include <QTcpSocket>
#include <memory>
#include <stdexcept>

namespace wire {

// A failed request: `code` is one of wire::errc or "network"; `message` is the server's text.
class ServerError : public std::runtime_error {
public:
    ServerError(QString code, QString message)
        : std::runtime_error(message.toStdString()), code_(std::move(code)), message_(std::move(message)) {}
    const QString &code() const { return code_; }
    const QString &message() const { return message_; }
    bool isNetwork() const { return code_ == QLatin1StringView("network"); }

private:
    QString code_;
    QString message_;
};

struct Packet {
    std::vector<Column> columns; // set by open only
    std::vector<Row> rows;
    qint64 cursor = 0;           // 0 when the result is complete
    bool eof = true;
};

// One row of a change set. `oldValues` locate the row (update, delete); `newValues` are the
// changed columns of an update or every set column of an insert.
struct Change {
    enum class Kind { Insert, Update, Delete };
    Kind kind = Kind::Update;
    QVariantMap oldValues;
    QVariantMap newValues;
};

struct ChangeResult {
    bool ok = false;
    QString error;
    QVariant newId; // the identity given to an inserted row
};

class ClientConnection {
public:
    explicit ClientConnection(int timeoutMs = 120000);
    ~ClientConnection();

    void open(const QString &host, quint16 port);
    void close();
    bool isOpen() const;

    QCborValue call(const QString &method, const QCborValue &argument = {});
    Packet openQuery(const QString &provider, const QString &sql, int packetSize);
    Packet fetch(qint64 cursor, int packetSize);
    void closeCursor(qint64 cursor);
    qint64 execute(const QString &provider, const QString &sql);
    std::vector<ChangeResult> apply(const QString &provider, const QString &commandText,
                                    const std::vector<Change> &changes);

    // Sends raw bytes and reads one reply; for tests of the server's handling of bad input.
    QCborMap exchangeRaw(const QByteArray &bytes);

private:
    QCborMap request(QCborMap body);
    QCborMap readReply();
    [[noreturn]] void fail(const QString &message);

    std::unique_ptr<QTcpSocket> socket_;
    FrameReader reader_;
    qint64 nextId_ = 1;
    int timeoutMs_;
};

} // namespace wire
