#pragma once
#include <QString>
#include <stdexcept>

namespace sql {

// A statement the server cannot parse, translate or run; the message goes to the client as it stands.
class SqlError : public std::runtime_error {
public:
    explicit SqlError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};

} // namespace sql
