#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The root of every file path of the client: settings, layouts, counters,
// local data and the login lists.
class ProgramFolder
{
public:
    // `--home DIR` (or `--home=DIR`) in args, else VELBOR_HOME, else the
    // per-user data folder. args is the full command line, program name first.
    static ProgramFolder fromArguments(const QStringList &args);

    explicit ProgramFolder(QString root);

    // Absolute, ending with '/'.
    QString root() const { return m_root; }
    QString path(const QString &relative) const { return m_root + relative; }

    QString settings() const { return path(QStringLiteral("set/")); }
    QString layouts() const { return path(QStringLiteral("danju/")); }
    QString counters() const { return path(QStringLiteral("tj/")); }
    QString dataDir() const { return path(QStringLiteral("data/")); }

    // Creates the root and the four subfolders when missing.
    bool ensure() const;

    // Some files are read under two spellings (`MorenPaper`/`morenPaper`):
    // the existing entry of folder whose name equals name ignoring letter
    // case, else folder + name as given. A relative folder is taken under
    // the root.
    QString findIgnoringCase(const QString &folder, const QString &name) const;

private:
    QString m_root;
};

} // namespace app
