#include "app/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace app;
using namespace Qt::StringLiterals;

class TestProgramFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void chosenFolder_data();
    void chosenFolder();
    void rootEndsWithSlash_data();
    void rootEndsWithSlash();
    void ensureCreatesSubfolders();
    void findIgnoringCase_data();
    void findIgnoringCase();
};

void TestProgramFolder::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestProgramFolder::cleanup()
{
    qunsetenv("VELBOR_HOME");
}

void TestProgramFolder::chosenFolder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("expected");

    const QString standard =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/velbor/"_s;
    const QStringList plain{u"velbor"_s};
    const QStringList withHome{u"velbor"_s, u"--home"_s, u"/srv/office"_s};

    QTest::newRow("default") << plain << QString() << standard;
    QTest::newRow("environment") << plain << u"/opt/vb"_s << u"/opt/vb/"_s;
    QTest::newRow("option beats environment") << withHome << u"/opt/vb"_s << u"/srv/office/"_s;
    QTest::newRow("option alone") << withHome << QString() << u"/srv/office/"_s;
    QTest::newRow("option with equals sign")
        << QStringList{u"velbor"_s, u"-x"_s, u"--home=/srv/b"_s} << u"/opt/vb"_s << u"/srv/b/"_s;
    QTest::newRow("option without value")
        << QStringList{u"velbor"_s, u"--home"_s} << u"/opt/vb"_s << u"/opt/vb/"_s;
    QTest::newRow("program name is no option")
        << QStringList{u"--home=/x"_s} << QString() << standard;
}

void TestProgramFolder::chosenFolder()
{
    QFETCH(QStringList, args);
    QFETCH(QString, environment);
    QFETCH(QString, expected);
    if (!environment.isEmpty())
        qputenv("VELBOR_HOME", environment.toLocal8Bit());

    QCOMPARE(ProgramFolder::fromArguments(args).root(), expected);
}

void TestProgramFolder::rootEndsWithSlash_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");

    QTest::newRow("without slash") << u"/a/b"_s << u"/a/b/"_s;
    QTest::newRow("with slash") << u"/a/b/"_s << u"/a/b/"_s;
    QTest::newRow("not clean") << u"/a//c/../b"_s << u"/a/b/"_s;
    QTest::newRow("relative") << u"rel"_s << QDir::currentPath() + u"/rel/"_s;
}

void TestProgramFolder::rootEndsWithSlash()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);
    const ProgramFolder folder(given);

    QCOMPARE(folder.root(), expected);
    QCOMPARE(folder.settings(), expected + u"set/"_s);
    QCOMPARE(folder.layouts(), expected + u"danju/"_s);
    QCOMPARE(folder.counters(), expected + u"tj/"_s);
    QCOMPARE(folder.dataDir(), expected + u"data/"_s);
    QCOMPARE(folder.path(u"zdse.cfg"_s), expected + u"zdse.cfg"_s);
}

void TestProgramFolder::ensureCreatesSubfolders()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const ProgramFolder folder(temp.filePath(u"new/home"_s));

    QVERIFY(folder.ensure());
    QVERIFY(folder.ensure());
    for (const QString &sub : {u"set"_s, u"danju"_s, u"tj"_s, u"data"_s})
        QVERIFY2(QFileInfo(temp.filePath(u"new/home/"_s + sub)).isDir(), qPrintable(sub));
}

void TestProgramFolder::findIgnoringCase_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");

    const QStringList one{u"set/MorenPaper"_s};
    QTest::newRow("other spelling") << one << u"set/"_s << u"morenPaper"_s << u"set/MorenPaper"_s;
    QTest::newRow("upper case") << one << u"set"_s << u"MORENPAPER"_s << u"set/MorenPaper"_s;
    QTest::newRow("same spelling") << one << u"set/"_s << u"MorenPaper"_s << u"set/MorenPaper"_s;
    QTest::newRow("exact spelling wins")
        << QStringList{u"set/paperList"_s, u"set/PaperList"_s} << u"set/"_s << u"PaperList"_s
        << u"set/PaperList"_s;
    QTest::newRow("missing keeps spelling") << one << u"set/"_s << u"paperList"_s
                                            << u"set/paperList"_s;
    QTest::newRow("missing folder") << one << u"tj/x/"_s << u"a.cs"_s << u"tj/x/a.cs"_s;
    QTest::newRow("chinese name") << QStringList{u"set/括号1.dat"_s} << u"set/"_s
                                  << u"括号1.DAT"_s << u"set/括号1.dat"_s;
}

void TestProgramFolder::findIgnoringCase()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const ProgramFolder home(temp.path());
    QVERIFY(home.ensure());
    for (const QString &file : existing) {
        QFile f(home.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    QCOMPARE(home.findIgnoringCase(folder, name), home.path(found));
    QCOMPARE(home.findIgnoringCase(home.path(folder), name), home.path(found));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_program_folder.moc"
