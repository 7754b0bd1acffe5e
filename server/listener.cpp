#include "listener.h"

#include "session.h"

#include <QTcpSocket>
#include <QThread>

namespace server {

namespace {

// Serves one client: reads frames, answers each in order, ends when the client goes.
void serve(qintptr socketDescriptor, const AccountSets &accountSets)
{
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(socketDescriptor))
        return;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Session session(accountSets);
    wire::FrameReader reader;
    while (socket.state() == QAbstractSocket::ConnectedState) {
        if (!socket.waitForReadyRead(-1))
            break;
        reader.append(socket.readAll());
        QByteArray frame;
        for (;;) {
            const auto status = reader.next(frame);
            if (status == wire::FrameReader::Status::NeedMore)
                break;
            if (status == wire::FrameReader::Status::TooLarge) {
                // The stream cannot be resynchronised after a refused frame: answer, then hang up.
                QCborMap reply{{wire::key::id, 0},
                               {wire::key::error,
                                QCborMap{{wire::key::code, wire::errc::protocol},
                                         {wire::key::message, QStringLiteral("请求帧过大 (上限 %1 字节)")
                                                                  .arg(wire::MaxFrameSize)}}}};
                socket.write(wire::encodeFrame(reply));
                socket.waitForBytesWritten(5000);
                socket.disconnectFromHost();
                return;
            }
            socket.write(wire::encodeFrame(session.handle(frame)));
        }
        while (socket.bytesToWrite() > 0)
            if (!socket.waitForBytesWritten(-1))
                return;
    }
}

} // namespace

void Listener::incomingConnection(qintptr socketDescriptor)
{
    QThread *thread = QThread::create(serve, socketDescriptor, std::cref(accountSets_));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

} // namespace server
