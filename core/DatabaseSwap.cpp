#include "core/DatabaseSwap.h"

#include <QFile>

SwapOutcome replaceDatabaseFile(const QString& current, const QString& fresh, const QString& backup) {
    QFile::remove(backup);
    const bool hadDatabase = QFile::exists(current);
    if (hadDatabase && !QFile::rename(current, backup)) {
        QFile::remove(fresh);
        return SwapOutcome::BackupFailed;
    }
    if (QFile::rename(fresh, current))
        return SwapOutcome::Swapped;
    QFile::remove(fresh);
    if (!hadDatabase || QFile::rename(backup, current))
        return SwapOutcome::KeptOld;
    return SwapOutcome::OldUnderBackup;
}
