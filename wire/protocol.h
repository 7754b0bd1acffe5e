#pragma once
// The request/reply protocol between the client (and tools) and velbor-server:
// length-prefixed frames whose body is one CBOR map.

#include <QByteArray>
#include <QCborMap>
#include <QCborValue>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace wire {

constexpr int ProtocolVersion = 1;
constexpr quint32 MaxFrameSize = 256u * 1024u * 1024u;
// Packet size that asks for every remaining row at once.
constexpr int AllRows = -1;

enum class FieldType { String, Memo, Integer, Float, Boolean, DateTime };

QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(const QString &name);

struct Column {
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters, for String columns
    bool operator==(const Column &) const = default;
};

QCborArray columnsToCbor(const std::vector<Column> &columns);
std::vector<Column> columnsFromCbor(const QCborArray &array);

// Keys and operation names of the CBOR maps. Rows travel as a byte string holding one CBOR array of
// row arrays, so both ends can stream them without building a value tree.
namespace key {
inline constexpr QLatin1StringView id{"id"}, op{"op"}, version{"version"}, method{"method"}, arg{"arg"},
    result{"result"}, provider{"provider"}, sql{"sql"}, packet{"packet"}, cursor{"cursor"}, columns{"columns"},
    rows{"rows"}, eof{"eof"}, affected{"affected"}, changes{"changes"}, kind{"kind"}, oldValues{"old"},
    newValues{"new"}, results{"results"}, ok{"ok"}, error{"error"}, code{"code"}, message{"message"},
    newId{"newid"};
}
namespace op {
inline constexpr QLatin1StringView hello{"hello"}, call{"call"}, open{"open"}, fetch{"fetch"}, close{"close"},
    exec{"exec"}, apply{"apply"};
}
// Error codes carried with the server's message text.
namespace errc {
inline constexpr QLatin1StringView protocol{"protocol"}, login{"login"}, notLoggedIn{"not-logged-in"},
    sql{"sql"}, unknown{"unknown"}, server{"server"};
}

// The fifteen named providers a client may open, execute or apply through.
bool isKnownProvider(const QString &name);

QByteArray encodeFrame(const QCborMap &body);

// Collects bytes from a stream and cuts them into frames.
class FrameReader {
public:
    void append(const QByteArray &bytes) { buffer_.append(bytes); }
    enum class Status { Frame, NeedMore, TooLarge };
    // On Frame, `frame` holds one frame body (still CBOR-encoded).
    Status next(QByteArray &frame);

private:
    QByteArray buffer_;
    qsizetype offset_ = 0;
};

// Values as the client keeps them: null, qint64, double, bool, QString.
QCborValue valueToCbor(const QVariant &value);
QVariant valueFromCbor(const QCborValue &value);

} // namespace wire
