#pragma once
// The SQL text buffer: statements are assembled line by line and sent as one text, each line
// ended by CR LF.

#include <QString>
#include <QStringList>

namespace data {

// A user value for the place between the quotes of a fragment ("where 省市 ='" + sqlValue(v) + "'"):
// single quotes are doubled so that a value can never end the literal early.
QString sqlValue(const QString &value);

// Names users type for tables and columns: letters (CJK included), digits and '_'.
bool isPlainName(const QString &name);

class SqlText {
public:
    SqlText() = default;
    SqlText(std::initializer_list<QString> lines) : lines_(lines) {}

    SqlText &add(const QString &line)
    {
        lines_ << line;
        return *this;
    }
    void clear() { lines_.clear(); }
    bool isEmpty() const { return lines_.isEmpty(); }
    const QStringList &lines() const { return lines_; }
    QStringList &lines() { return lines_; }
    QString text() const;

private:
    QStringList lines_;
};

} // namespace data
