#pragma once
#include <QStringList>

namespace data {

// What changed in the user's working copy since it was made, by row ID (decimal text, in the order
// added, duplicates allowed), so that saving back can repeat it on the table.
struct WorkingCopyLists {
    QStringList changedIds;
    QStringList pendingDeletions; // deleted in the grid, not yet applied to the copy
    QStringList deletedIds;       // applied to the copy, not yet to the table

    void clear()
    {
        changedIds.clear();
        pendingDeletions.clear();
        deletedIds.clear();
    }
};

} // namespace data
