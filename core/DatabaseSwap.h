#pragma once
// Putting newly built data in place of the data in use, never leaving less than there was: a
// database file (the old one kept as the backup) and an unpacked archive's folder (the old one
// kept under "<folder>.old" until the new one is in place). The caller closes its connection
// before a database swap and opens the file named by the outcome after.
// Collaborators: the update sequence (caller), the archive unpacking (folders).

#include <QString>
#include <QStringList>
#include <functional>

enum class SwapOutcome {
    Swapped,          // the new one is in place; the old one (if any) is the backup, or gone for a folder
    BackupFailed,     // the old one could not be set aside; nothing changed
    KeptOld,          // the new one could not be put in place; the old one is back where it was
    OldUnderBackup,   // neither worked: the old data is whole under the backup's name only
};

// Removes an earlier backup first; on any outcome but Swapped the new file is removed.
SwapOutcome replaceDatabaseFile(const QString& current, const QString& fresh, const QString& backup);

// Where a folder waits while its replacement moves in.
QString oldFolderName(const QString& folder);

// Puts the folder `staging` in place of `folder` (which need not exist). A leftover old folder is
// removed first; on Swapped the old folder is removed, on any other outcome the staging folder.
SwapOutcome replaceFolder(const QString& folder, const QString& staging);

// Copies into `staging` every file under `from` (sub-folders included) that `staging` does not
// hold and `carry` accepts (given the path relative to `from`, with '/'). Returns the relative
// paths copied, sorted. Throws std::runtime_error naming the file when a copy fails.
QStringList carryOverFiles(const QString& from, const QString& staging, const std::function<bool(const QString&)>& carry);
