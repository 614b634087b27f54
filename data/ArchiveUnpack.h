#pragma once
// Unpacking a downloaded archive into its data folder without ever mixing two archives or losing
// the user's own files: the archive goes into "<folder>.part", must hold its marker file, takes
// over every file of the folder in use that did not come from the previous archive (a list of
// the archive's files is kept in the folder for this), and then replaces the folder (replaceFolder).
// ExtractThread runs one unpacking on a worker thread and reports its end by a signal, so the
// window that waits keeps painting without a nested event loop.
// Collaborators: extractArchive (the members), replaceFolder/carryOverFiles (the swap), the
// update sequence (caller).

#include "core/BackgroundJob.h"

#include <QObject>
#include <QString>


struct UnpackJob {
    QString zipFile;
    QString folder;       // the data folder the archive fills (AMAT, GMRS, CADN)
    QString markerName;   // the member whose presence marks the folder as unpacked
};

// The list of the archive's own files kept in an unpacked folder.
inline constexpr const char* kArchiveListName = ".archive-files";

// Throws std::runtime_error (ArchiveError for the archive itself) with the reason; the folder in
// use is then as it was.
void unpackArchive(const UnpackJob& job);

class ExtractThread : public QObject {
    Q_OBJECT
public:
    // Its destruction waits for a running worker: an unpacking cannot be interrupted.
    explicit ExtractThread(const UnpackJob& job, QObject* parent = nullptr);

    void start();
    bool isRunning() const { return m_worker.isRunning(); }
    const UnpackJob& job() const { return m_job; }

signals:
    // Empty when the folder now holds the archive.
    void finished(const QString& error);

private:
    UnpackJob m_job;
    BackgroundJob m_worker;
};
