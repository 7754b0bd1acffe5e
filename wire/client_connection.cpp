#include "client_connection.h"


namespace wire {

namespace {

Packet packetFrom(const QCborMap &reply)
{
    Packet packet;
    if (!decodeRows(reply.value(key::rows).toByteArray(), packet.rows))
        throw ServerError(QStringLiteral("network"), QStringLiteral("服务器发来的数据包已损坏"));
    packet.eof = reply.value(key::eof).toBool(true);
    packet.cursor = packet.eof ? 0 : reply.value(key::cursor).toInteger();
    return packet;
}

QCborMap valuesToCbor(const QVariantMap &values)
{
    QCborMap map;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        map.insert(it.key(), valueToCbor(it.value()));
    return map;
}

} // namespace

ClientConnection::ClientConnection(int timeoutMs) : timeoutMs_(timeoutMs) {}

ClientConnection::~ClientConnection() { close(); }

bool ClientConnection::isOpen() const
{
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void ClientConnection::open(const QString &host, quint16 port)
{
    close();
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(host, port);
    if (!socket_->waitForConnected(timeoutMs_)) {
        const QString reason = socket_->errorString();
        socket_.reset();
        throw ServerError(QStringLiteral("network"),
                          QStringLiteral("无法连接服务器 %1:%2 (%3)").arg(host).arg(port).arg(reason));
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QCborMap hello;
    hello.insert(key::op, op::hello);
    hello.insert(key::version, ProtocolVersion);
    request(hello);
}

void ClientConnection::close()
{
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
    reader_ = FrameReader();
}

void ClientConnection::fail(const QString &message)
{
    close();
    throw ServerError(QStringLiteral("network"), message);
}

QCborMap ClientConnection::readReply()
{
    QByteArray frame;
    for (;;) {
        switch (reader_.next(frame)) {
        case FrameReader::Status::Frame:
            return QCborValue::fromCbor(frame).toMap();
        case FrameReader::Status::TooLarge:
            fail(QStringLiteral("服务器应答过大"));
        case FrameReader::Status::NeedMore:
            break;
        }
        if (!socket_->waitForReadyRead(timeoutMs_))
            fail(QStringLiteral("与服务器的连接已断开 (%1)").arg(socket_->errorString()));
        reader_.append(socket_->readAll());
    }
}

QCborMap ClientConnection::exchangeRaw(const QByteArray &bytes)
{
    if (!isOpen())
        fail(QStringLiteral("未连接服务器"));
    socket_->write(bytes);
    socket_->flush();
    return readReply();
}

QCborMap ClientConnection::request(QCborMap body)
{
    if (!isOpen())
        fail(QStringLiteral("未连接服务器"));
    const qint64 id = nextId_++;
    body.insert(key::id, id);
    socket_->write(encodeFrame(body));
    while (socket_->bytesToWrite() > 0)
        if (!socket_->waitForBytesWritten(timeoutMs_))
            fail(QStringLiteral("与服务器的连接已断开 (%1)").arg(socket_->errorString()));
    QCborMap reply = readReply();
    if (reply.value(key::id).toInteger() != id)
        fail(QStringLiteral("服务器应答不符"));
    if (reply.contains(key::error)) {
        const QCborMap error = reply.value(key::error).toMap();
        throw ServerError(error.value(key::code).toString(), error.value(key::message).toString());
    }
    return reply;
}

QCborValue ClientConnection::call(const QString &method, const QCborValue &argument)
{
    QCborMap body;
    body.insert(key::op, op::call);
    body.insert(key::method, method);
    body.insert(key::arg, argument);
    return request(body).value(key::result);
}

Packet ClientConnection::openQuery(const QString &provider, const QString &sql, int packetSize)
{
    QCborMap body;
    body.insert(key::op, op::open);
    body.insert(key::provider, provider);
    body.insert(key::sql, sql);
    body.insert(key::packet, packetSize);
    const QCborMap reply = request(body);
    Packet packet = packetFrom(reply);
    packet.columns = columnsFromCbor(reply.value(key::columns).toArray());
    return packet;
}

Packet ClientConnection::fetch(qint64 cursor, int packetSize)
{
    QCborMap body;
    body.insert(key::op, op::fetch);
    body.insert(key::cursor, cursor);
    body.insert(key::packet, packetSize);
    return packetFrom(request(body));
}

void ClientConnection::closeCursor(qint64 cursor)
{
    QCborMap body;
    body.insert(key::op, op::close);
    body.insert(key::cursor, cursor);
    request(body);
}

qint64 ClientConnection::execute(const QString &provider, const QString &sql)
{
    QCborMap body;
    body.insert(key::op, op::exec);
    body.insert(key::provider, provider);
    body.insert(key::sql, sql);
    return request(body).value(key::affected).toInteger();
}

std::vector<ChangeResult> ClientConnection::apply(const QString &provider, const QString &commandText,
                                                  const std::vector<Change> &changes)
{
    static const QLatin1StringView kinds[] = {QLatin1StringView("insert"), QLatin1StringView("update"),
                                              QLatin1StringView("delete")};
    QCborArray list;
    for (const Change &change : changes) {
        QCborMap c;
        c.insert(key::kind, kinds[int(change.kind)]);
        if (!change.oldValues.isEmpty())
            c.insert(key::oldValues, valuesToCbor(change.oldValues));
        if (!change.newValues.isEmpty())
            c.insert(key::newValues, valuesToCbor(change.newValues));
        list.append(c);
    }
    QCborMap body;
    body.insert(key::op, op::apply);
    body.insert(key::provider, provider);
    body.insert(key::sql, commandText);
    body.insert(key::changes, list);
    const QCborArray replies = request(body).value(key::results).toArray();
    std::vector<ChangeResult> results;
    results.reserve(replies.size());
    for (const QCborValue &v : replies) {
        const QCborMap r = v.toMap();
        results.push_back({r.value(key::ok).toBool(), r.value(key::error).toString(),
                           valueFromCbor(r.value(key::newId))});
    }
    return results;
}

} // namespace wire
