#include "row_codec.h"

#include <QtEndian>
#include <cstring>

namespace wire {

void RowWriter::head(int major, quint64 value)
{
    const char m = char(major << 5);
    if (value < 24) {
        out_.append(char(m | char(value)));
    } else if (value <= 0xff) {
        out_.append(char(m | 24));
        out_.append(char(value));
    } else if (value <= 0xffff) {
        char b[3] = {char(m | 25)};
        qToBigEndian<quint16>(quint16(value), b + 1);
        out_.append(b, 3);
    } else if (value <= 0xffffffffu) {
        char b[5] = {char(m | 26)};
        qToBigEndian<quint32>(quint32(value), b + 1);
        out_.append(b, 5);
    } else {
        char b[9] = {char(m | 27)};
        qToBigEndian<quint64>(value, b + 1);
        out_.append(b, 9);
    }
}

void RowWriter::real(double v)
{
    char b[9] = {char(0xfb)};
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    qToBigEndian<quint64>(bits, b + 1);
    out_.append(b, 9);
}

namespace {

class Reader {
public:
    explicit Reader(const QByteArray &data)
        : p_(reinterpret_cast<const uchar *>(data.constData())), end_(p_ + data.size()) {}

    bool atBreak() const { return p_ < end_ && *p_ == 0xff; }
    bool skipBreak()
    {
        if (!atBreak())
            return false;
        ++p_;
        return true;
    }
    bool done() const { return p_ == end_; }

    // Reads an item's head; `indefinite` is set for 0x9f-style heads.
    bool head(int &major, quint64 &value, bool &indefinite)
    {
        if (p_ >= end_)
            return false;
        const uchar b = *p_++;
        major = b >> 5;
        const uchar info = b & 0x1f;
        indefinite = false;
        if (info < 24) {
            value = info;
            return true;
        }
        const int sizes[] = {1, 2, 4, 8};
        if (info >= 24 && info <= 27) {
            const int n = sizes[info - 24];
            if (end_ - p_ < n)
                return false;
            value = 0;
            for (int i = 0; i < n; ++i)
                value = (value << 8) | p_[i];
            p_ += n;
            return true;
        }
        if (info == 31) {
            indefinite = true;
            value = 0;
            return true;
        }
        return false;
    }

    bool value(QVariant &out)
    {
        int major;
        quint64 v;
        bool indefinite;
        if (p_ >= end_)
            return false;
        const uchar initial = *p_;
        if (!head(major, v, indefinite) || indefinite)
            return false;
        switch (major) {
        case 0:
            out = qint64(v);
            return true;
        case 1:
            out = qint64(-1 - qint64(v));
            return true;
        case 2:
        case 3: {
            if (quint64(end_ - p_) < v)
                return false;
            const char *s = reinterpret_cast<const char *>(p_);
            out = major == 3 ? QVariant(QString::fromUtf8(s, qsizetype(v))) : QVariant(QByteArray(s, qsizetype(v)));
            p_ += v;
            return true;
        }
        case 7:
            if (initial == 0xf4 || initial == 0xf5) {
                out = initial == 0xf5;
                return true;
            }
            if (initial == 0xf6 || initial == 0xf7) {
                out = QVariant();
                return true;
            }
            if (initial == 0xfb) {
                double d;
                std::memcpy(&d, &v, 8);
                out = d;
                return true;
            }
            if (initial == 0xfa) {
                const quint32 bits = quint32(v);
                float f;
                std::memcpy(&f, &bits, 4);
                out = double(f);
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    const uchar *p_;
    const uchar *end_;
};

} // namespace

bool decodeRows(const QByteArray &cbor, std::vector<Row> &rows)
{
    Reader reader(cbor);
    int major;
    quint64 count;
    bool indefinite;
    if (!reader.head(major, count, indefinite) || major != 4)
        return false;
    for (quint64 i = 0; indefinite ? !reader.atBreak() : i < count; ++i) {
        int rowMajor;
        quint64 columns;
        bool rowIndefinite;
        if (!reader.head(rowMajor, columns, rowIndefinite) || rowMajor != 4 || rowIndefinite || columns > 65536)
            return false;
        Row row(static_cast<size_t>(columns));
        for (quint64 c = 0; c < columns; ++c)
            if (!reader.value(row[size_t(c)]))
                return false;
        rows.push_back(std::move(row));
    }
    if (indefinite && !reader.skipBreak())
        return false;
    return reader.done();
}

} // namespace wire
