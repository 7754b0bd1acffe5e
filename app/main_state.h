#pragma once

#include <QString>

namespace app {

// Application state held by the main window for the whole run.
struct MainState
{
    QString programFolder; // ends with '/'
    QString programTitle = QStringLiteral("Velbor在线快递单打印软件1.0 ");
    QString loginUser;
    QString loginPassword;
    QString accountSet;
    bool loginCompleted = false;
    // The grid shows the user's working copy instead of a table.
    bool workingCopyMode = false;
    // The working copy holds a search over several tables; saving back is blocked.
    bool multiTableResult = false;
    bool unsavedChanges = false;
};

} // namespace app
