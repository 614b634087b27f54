#include "data/ArchiveUnpack.h"

#include "core/DatabaseSwap.h"
#include "data/ArchiveExtract.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <optional>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

QString folderText(const QString& folder) { return QDir::toNativeSeparators(folder); }

QStringList filesUnder(const QString& folder) {
    QStringList out;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << base.relativeFilePath(it.next());
    out.sort();
    return out;
}

// The files an earlier unpacking put there; no value when the folder has no list (it was filled
// by an older version of the program, or by hand).
std::optional<QSet<QString>> archiveFiles(const QString& folder) {
    QFile list(QDir(folder).filePath(QLatin1String(kArchiveListName)));
    if (!list.open(QIODevice::ReadOnly))
        return std::nullopt;
    QSet<QString> names;
    for (const QByteArray& line : list.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            names.insert(QString::fromUtf8(line.trimmed()));
    return names;
}

// Without a list, the files of the public archives are known by their names.
bool looksLikeArchiveFile(const QString& relative) {
    const QString name = QFileInfo(relative).fileName().toLower();
    return name.endsWith(QLatin1String(".dat")) || name == QLatin1String("counts") || name == QLatin1String("amateur.txt");
}

void writeArchiveList(const QString& staging, const QStringList& files) {
    QFile list(QDir(staging).filePath(QLatin1String(kArchiveListName)));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) || list.write(files.join(QLatin1Char('\n')).toUtf8() + '\n') < 0)
        fail(QStringLiteral("Cannot write \"%1\": %2").arg(folderText(list.fileName()), list.errorString()));
}

} // namespace

void unpackArchive(const UnpackJob& job) {
    const QString staging = job.folder + QStringLiteral(".part");
    QDir(staging).removeRecursively();
    try {
        extractArchive(job.zipFile, staging);
        if (!QFileInfo::exists(QDir(staging).filePath(job.markerName)))
            fail(QStringLiteral("The archive \"%1\" does not hold the expected file \"%2\".").arg(folderText(job.zipFile), job.markerName));
        writeArchiveList(staging, filesUnder(staging));

        // The user's own files stay; those of the previous archive go with it. A folder left
        // under the old name by an interrupted swap still holds them.
        const QString old = oldFolderName(job.folder);
        const QString from = QFileInfo(job.folder).isDir() ? job.folder : old;
        const std::optional<QSet<QString>> previous = archiveFiles(from);
        carryOverFiles(from, staging, [&](const QString& relative) {
            if (relative == QLatin1String(kArchiveListName))
                return false;
            return previous ? !previous->contains(relative) : !looksLikeArchiveFile(relative);
        });
    } catch (...) {
        QDir(staging).removeRecursively();
        throw;
    }
    switch (replaceFolder(job.folder, staging)) {
    case SwapOutcome::Swapped: return;
    case SwapOutcome::BackupFailed:
    case SwapOutcome::KeptOld: fail(QStringLiteral("The folder \"%1\" could not be replaced.").arg(folderText(job.folder)));
    case SwapOutcome::OldUnderBackup:
        fail(QStringLiteral("The folder \"%1\" could not be replaced; its previous content is in \"%2\".")
                 .arg(folderText(job.folder), folderText(oldFolderName(job.folder))));
    }
}

ExtractThread::ExtractThread(const UnpackJob& job, QObject* parent) : QObject(parent), m_job(job) {
    // Told where the caller lives, after the worker has let go of the archive and the folders.
    connect(&m_worker, &BackgroundJob::finished, this, [this](const JobOutcome& outcome) {
        emit finished(outcome.end == JobOutcome::End::Done ? QString() : outcome.error);
    });
}

void ExtractThread::start() {
    m_worker.start(QStringLiteral("unpack"), [job = m_job](JobControl&) {
        try {
            unpackArchive(job);
        } catch (const std::exception&) {
            throw;
        } catch (...) {
            fail(QStringLiteral("The archive \"%1\" could not be unpacked.").arg(folderText(job.zipFile)));
        }
    });
}
