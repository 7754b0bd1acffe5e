// velbor-sql: runs SQL text against velbor-server, batch by batch, like sqlcmd.

#include "server/sql/engine.h"
#include "wire/client_connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage: velbor-sql -S HOST:PORT -d ACCOUNTSET -U USER -P PASSWORD [-i FILE]\n"
               "Reads SQL from FILE or standard input; a line holding only GO ends a batch.\n",
               stderr);
    return 2;
}

QString show(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QStringList splitBatches(const QString &input)
{
    QStringList batches;
    QStringList lines;
    for (const QString &line : input.split(u'\n')) {
        QString l = line;
        if (l.endsWith(u'\r'))
            l.chop(1);
        if (l.trimmed().compare(QLatin1StringView("GO"), Qt::CaseInsensitive) == 0) {
            batches << lines.join(QStringLiteral("\r\n"));
            lines.clear();
        } else {
            lines << l;
        }
    }
    batches << lines.join(QStringLiteral("\r\n"));
    batches.removeIf([](const QString &b) { return b.trimmed().isEmpty(); });
    return batches;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString server, accountSet, user, password, inputFile;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        if (a == "-S")
            server = value;
        else if (a == "-d")
            accountSet = value;
        else if (a == "-U")
            user = value;
        else if (a == "-P")
            password = value;
        else if (a == "-i")
            inputFile = value;
        else
            return usage();
    }
    const qsizetype colon = server.lastIndexOf(u':');
    bool portOk = false;
    const uint port = server.mid(colon + 1).toUInt(&portOk);
    if (colon <= 0 || !portOk || port > 65535 || accountSet.isEmpty() || user.isEmpty())
        return usage();

    QFile input;
    if (inputFile.isEmpty() ? !input.open(stdin, QIODevice::ReadOnly) : (input.setFileName(inputFile), !input.open(QIODevice::ReadOnly))) {
        std::fprintf(stderr, "Msg: cannot read %s\n", qPrintable(inputFile));
        return 1;
    }
    const QStringList batches = splitBatches(QString::fromUtf8(input.readAll()));

    QTextStream out(stdout);
    wire::ClientConnection connection;
    try {
        connection.open(server.left(colon), quint16(port));
        connection.call(QStringLiteral("testmima"),
                        QCborArray{accountSet, user, password, QCborValue(), 0, 1, QCborValue()});
    } catch (const wire::ServerError &e) {
        std::fprintf(stderr, "Msg: %s\n", qPrintable(e.message()));
        return 1;
    }

    bool failed = false;
    for (const QString &batch : batches) {
        try {
            if (sql::batchReturnsRows(batch)) {
                wire::Packet packet = connection.openQuery(QStringLiteral("runsql_dp"), batch, wire::AllRows);
                QStringList header;
                for (const wire::Column &c : packet.columns)
                    header << c.name;
                out << header.join(u'\t') << '\n';
                for (const wire::Row &row : packet.rows) {
                    QStringList fields;
                    for (const QVariant &v : row)
                        fields << show(v);
                    out << fields.join(u'\t') << '\n';
                }
            } else {
                out << "(" << connection.execute(QStringLiteral("runsql_dp"), batch) << " rows affected)\n";
            }
        } catch (const wire::ServerError &e) {
            out.flush();
            std::fprintf(stderr, "Msg: %s\n", qPrintable(e.message()));
            failed = true;
            if (e.isNetwork())
                break;
        } catch (const sql::SqlError &e) {
            out.flush();
            std::fprintf(stderr, "Msg: %s\n", qPrintable(e.message()));
            failed = true;
        }
        out.flush();
    }
    return failed ? 1 : 0;
}
