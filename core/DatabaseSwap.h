#pragma once
// Putting a newly built database file in place of the one in use, keeping the old one as the
// backup. The caller closes its connection before and opens the file named by the outcome after.

#include <QString>

enum class SwapOutcome {
    Swapped,          // the new file is in place; the old one (if any) is the backup
    BackupFailed,     // the old file could not be set aside; nothing changed
    KeptOld,          // the new file could not be put in place; the old one is back where it was
    OldUnderBackup,   // neither worked: the old data is whole under the backup's name only
};

// Removes an earlier backup first; on any outcome but Swapped the new file is removed.
SwapOutcome replaceDatabaseFile(const QString& current, const QString& fresh, const QString& backup);
