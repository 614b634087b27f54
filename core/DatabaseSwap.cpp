#include "core/DatabaseSwap.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

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

QString oldFolderName(const QString& folder) {
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f + QStringLiteral(".old");
}

SwapOutcome replaceFolder(const QString& folder, const QString& staging) {
    const QString old = oldFolderName(folder);
    QDir(old).removeRecursively();
    const bool hadFolder = QFileInfo(folder).isDir();
    if (hadFolder && !QDir().rename(folder, old)) {
        QDir(staging).removeRecursively();
        return SwapOutcome::BackupFailed;
    }
    if (QDir().rename(staging, folder)) {
        QDir(old).removeRecursively();
        return SwapOutcome::Swapped;
    }
    QDir(staging).removeRecursively();
    if (!hadFolder || QDir().rename(old, folder))
        return SwapOutcome::KeptOld;
    return SwapOutcome::OldUnderBackup;
}

QStringList carryOverFiles(const QString& from, const QString& staging, const std::function<bool(const QString&)>& carry) {
    QStringList copied;
    if (!QFileInfo(from).isDir())
        return copied;
    const QDir source(from);
    const QDir target(staging);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = source.relativeFilePath(path);
        const QString destination = target.filePath(relative);
        if (QFileInfo::exists(destination) || (carry && !carry(relative)))
            continue;
        if (!QDir().mkpath(QFileInfo(destination).absolutePath()) || !QFile::copy(path, destination))
            throw std::runtime_error(QStringLiteral("The file \"%1\" could not be kept: copying it to \"%2\" failed.")
                                         .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(destination))
                                         .toStdString());
        copied << relative;
    }
    copied.sort();
    return copied;
}
