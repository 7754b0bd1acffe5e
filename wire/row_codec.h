#pragma once
// Rows are the bulk of the traffic, so they are written and read with a small CBOR codec of their
// own rather than through QCborStreamWriter/Reader, which go through a QIODevice per value.

#include <QByteArray>
#include <QVariant>
#include <vector>

namespace wire {

using Row = std::vector<QVariant>;

// Appends CBOR items to a byte array.
class RowWriter {
public:
    explicit RowWriter(QByteArray &out) : out_(out) {}
    void beginRows() { out_.append(char(0x9f)); } // indefinite-length array of rows
    void endRows() { out_.append(char(0xff)); }
    void beginRow(quint64 columns) { head(4, columns); }
    void integer(qint64 v) { v >= 0 ? head(0, quint64(v)) : head(1, quint64(-1 - v)); }
    void real(double v);
    void text(const char *utf8, qsizetype size)
    {
        head(3, quint64(size));
        out_.append(utf8, size);
    }
    void bytes(const char *data, qsizetype size)
    {
        head(2, quint64(size));
        out_.append(data, size);
    }
    void boolean(bool v) { out_.append(char(v ? 0xf5 : 0xf4)); }
    void null() { out_.append(char(0xf6)); }

private:
    void head(int major, quint64 value);
    QByteArray &out_;
};

// Reads rows written by RowWriter (an array of arrays of plain values); returns false on malformed input.
bool decodeRows(const QByteArray &cbor, std::vector<Row> &rows);

} // namespace wire
