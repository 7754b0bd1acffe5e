#include "app/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

ProgramFolder ProgramFolder::fromArguments(const QStringList &args)
{
    static const QString option = QStringLiteral("--home");
    static const QString optionWithValue = QStringLiteral("--home=");
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size())
            return ProgramFolder(args[i + 1]);
        if (args[i].startsWith(optionWithValue))
            return ProgramFolder(args[i].mid(optionWithValue.size()));
    }
    const QString fromEnvironment = qEnvironmentVariable("VELBOR_HOME");
    if (!fromEnvironment.isEmpty())
        return ProgramFolder(fromEnvironment);
    return ProgramFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                         + QStringLiteral("/velbor"));
}

ProgramFolder::ProgramFolder(QString root)
    : m_root(QDir(root).absolutePath())
{
    if (!m_root.endsWith(QLatin1Char('/')))
        m_root += QLatin1Char('/');
}

bool ProgramFolder::ensure() const
{
    QDir dir;
    for (const QString &folder : {settings(), layouts(), counters(), dataDir()}) {
        if (!dir.mkpath(folder))
            return false;
    }
    return true;
}

QString ProgramFolder::findIgnoringCase(const QString &folder, const QString &name) const
{
    QString base = QDir::isRelativePath(folder) ? path(folder) : folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QString asGiven = base + name;
    if (QFileInfo::exists(asGiven))
        return asGiven;
    const QStringList entries = QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                     | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return base + entry;
    }
    return asGiven;
}

} // namespace app
