#include "app/list_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace app {
namespace {

const char *const kCodePage = "GBK";

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Files edited by hand on this platform are usually UTF-8; GBK byte runs
// are almost never valid UTF-8, so validity decides.
QString decode(QByteArray bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.mid(bom.size()));
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk(kCodePage);
    return gbk(bytes);
}

std::optional<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

QStringList readListFile(const QString &path)
{
    const std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes || bytes->isEmpty())
        return {};
    QStringList lines = decode(*bytes).split(QLatin1Char('\n'));
    // The final line break ends the last item; it does not start a new one.
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool writeListFile(const QString &path, const QStringList &lines)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QStringEncoder gbk(kCodePage);
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += gbk(line);
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QString> readFirstLine(const QString &path)
{
    const QStringList lines = readListFile(path);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.first();
}

bool writeSingleValue(const QString &path, const QString &value)
{
    return writeListFile(path, {value});
}

} // namespace app
