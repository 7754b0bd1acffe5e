#include "app/list_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace app;
using namespace Qt::StringLiterals;

class TestListFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesGbkWithCrLf_data();
    void writesGbkWithCrLf();
    void reads_data();
    void reads();
    void firstLine_data();
    void firstLine();
    void missingFileIsEmpty();
    void writeCreatesFolderAndReplacesContent();

private:
    QByteArray fileBytes(const QString &path);
    void putBytes(const QString &path, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestListFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QByteArray TestListFile::fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void TestListFile::putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestListFile::writesGbkWithCrLf_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("chinese and latin") << QStringList{u"中文"_s, u"abc"_s}
                                       << QByteArray("d6d0cec40d0a6162630d0a");
    QTest::newRow("inner empty line") << QStringList{u"客户"_s, QString(), u"数据"_s}
                                      << QByteArray("bfcdbba70d0a0d0acafdbedd0d0a");
    QTest::newRow("one empty item") << QStringList{QString()} << QByteArray("0d0a");
    QTest::newRow("empty list") << QStringList{} << QByteArray("");
}

void TestListFile::writesGbkWithCrLf()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, hex);
    const QString path = m_dir->filePath(u"list.Cfg"_s);

    QVERIFY(writeListFile(path, lines));
    QCOMPARE(fileBytes(path).toHex(), hex);
    QCOMPARE(readListFile(path), lines);
}

void TestListFile::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("gbk crlf") << QByteArray::fromHex("d6d0cec40d0a6162630d0a")
                              << QStringList{u"中文"_s, u"abc"_s};
    QTest::newRow("gbk lf only") << QByteArray::fromHex("d6d0cec40a6162630a")
                                 << QStringList{u"中文"_s, u"abc"_s};
    QTest::newRow("no final line break") << QByteArray("a\r\nb")
                                         << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("utf-8") << QByteArray::fromHex("e4b8ade696870a78797a0a")
                           << QStringList{u"中文"_s, u"xyz"_s};
    QTest::newRow("utf-8 with bom crlf") << QByteArray::fromHex("efbbbfe5aea2e688b70d0a")
                                         << QStringList{u"客户"_s};
    QTest::newRow("ascii with bom") << QByteArray::fromHex("efbbbf610d0a")
                                    << QStringList{u"a"_s};
    QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx\r\n")
                                      << QStringList{QString(), QString(), u"x"_s};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestListFile::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const QString path = m_dir->filePath(u"list.Cfg"_s);
    putBytes(path, bytes);

    QCOMPARE(readListFile(path), lines);
}

void TestListFile::firstLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("value");

    QTest::newRow("first of several") << QByteArray::fromHex("d6d0cec40d0a6162630d0a") << true
                                      << u"中文"_s;
    QTest::newRow("without line break") << QByteArray("3") << true << u"3"_s;
    QTest::newRow("empty first line") << QByteArray("\r\nb\r\n") << true << QString();
    QTest::newRow("empty file") << QByteArray() << false << QString();
}

void TestListFile::firstLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    QFETCH(QString, value);
    const QString path = m_dir->filePath(u"moren"_s);
    putBytes(path, bytes);

    const std::optional<QString> line = readFirstLine(path);
    QCOMPARE(line.has_value(), present);
    if (present)
        QCOMPARE(*line, value);
}

void TestListFile::missingFileIsEmpty()
{
    const QString path = m_dir->filePath(u"absent/none.Cfg"_s);
    QCOMPARE(readListFile(path), QStringList{});
    QVERIFY(!readFirstLine(path).has_value());
}

void TestListFile::writeCreatesFolderAndReplacesContent()
{
    const QString path = m_dir->filePath(u"set/tj/moren_xinfeng"_s);
    QVERIFY(writeListFile(path, {u"a"_s, u"b"_s, u"c"_s}));
    QVERIFY(writeSingleValue(path, u"顺丰"_s));

    QCOMPARE(fileBytes(path), QByteArray::fromHex("cbb3b7e10d0a"));
    QCOMPARE(readFirstLine(path), std::optional<QString>(u"顺丰"_s));
}

QTEST_GUILESS_MAIN(TestListFile)
#include "tst_list_file.moc"
