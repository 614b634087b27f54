#pragma once
// UpdateSequence: the data workflow without windows. At start-up it fetches and unpacks each
// public archive whose marker is missing, one failure not stopping the others; in Update Data it
// fetches and unpacks all three, stopping at the first failure, builds a new licence database
// beside the one in use, refuses it when a source is missing or gives far fewer rows than the
// data in use holds, and only then swaps it in (the old one kept as the backup). Downloads and
// imports are steps passed in (the windows in the program, plain functions in tests); unpacking
// runs on an ExtractThread, the sequence going on when it reports. The outcome says what
// happened; the main window turns it into its messages.
// Collaborators: ExtractThread, runCheckDatabases, ImportReport, sourcerecord,
// replaceDatabaseFile; TForm1 (caller).

#include "core/Database.h"
#include "core/Services.h"
#include "data/ImportReport.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class ExtractThread;

enum class ArchiveId { Canadian, Amateur, Gmrs };

struct ArchiveSource {
    ArchiveId id = ArchiveId::Canadian;
    QString url;
    QString zipFile;
    QString folder;
    QString marker;    // present once the archive has been unpacked
    QString caption;   // status text while unpacking
    QString name() const;   // the archive's file name
};

// The three archives in the order they are fetched: Canadian, amateur, GMRS.
QList<ArchiveSource> archiveSources(const QString& appDataPath, const ServiceConfig& services);

struct DownloadOutcome {
    DownloadOutcome(bool succeeded = false) : ok(succeeded) {}   // a step that only tells whether it worked
    static DownloadOutcome failed(const QString& why);
    static DownloadOutcome cancelledByUser();
    bool ok = false;
    bool cancelled = false;
    QString error;   // why it failed, in plain words (may be empty)
};

struct ArchiveFailure {
    ArchiveSource source;
    bool unpacking = false;   // false: the download failed
    bool cancelled = false;
    QString error;
    // One sentence: "The download of l_gmrs.zip failed.", or the unpacking's own reason.
    QString sentence() const;
    // Why, for a list naming the archive: the download's or the unpacking's reason.
    QString reason() const;
};

enum class UpdateMode { StartUp, UpdateData };

struct UpdateOutcome {
    enum class Result { Completed, Stopped, OldUnderBackup };
    UpdateMode mode = UpdateMode::StartUp;
    Result result = Result::Completed;
    QList<ArchiveFailure> archiveFailures;   // start-up: each that failed; Update Data: the one that stopped it
    QString stopReason;                      // Update Data, Stopped: why, as a sentence fragment
    ImportReport imports;                    // Update Data: the imports of the new database
    QString databaseFile;                    // Update Data: the file the licence connection uses afterwards
    QString backupFile;
};

struct UpdateSteps {
    std::function<DownloadOutcome(const ArchiveSource&)> download;
    ImportRunner import;   // Update Data: runs one import into the new database to its end
};

class UpdateSequence : public QObject {
    Q_OBJECT
public:
    struct Plan {
        UpdateMode mode = UpdateMode::StartUp;
        QString appDataPath;              // with trailing '/'
        QList<ArchiveSource> archives;
        Database* licences = nullptr;     // Update Data: the connection in use (closed and reopened at the swap)
        Database* zips = nullptr;         // Update Data: the zip connection the entity imports read
    };

    UpdateSequence(Plan plan, UpdateSteps steps, QObject* parent = nullptr);
    ~UpdateSequence() override;

    // Runs as far as it can at once: finished() comes before start() returns when nothing needs
    // unpacking, so connect first.
    void start();
    bool isRunning() const { return m_running; }

signals:
    void unpacking(const QString& caption);   // an archive is being unpacked
    void unpacked();                          // that unpacking has ended
    void finished(const UpdateOutcome& outcome);

private:
    void goOn();
    void nextArchive();
    void archiveUnpacked(const QString& error);
    bool archiveFailed(const ArchiveFailure& failure);   // true when the sequence goes on
    void buildAndSwap();
    void stop(const QString& reason);
    void end();

    Plan m_plan;
    UpdateSteps m_steps;
    UpdateOutcome m_outcome;
    int m_next = 0;
    ExtractThread* m_extract = nullptr;   // a child while an archive is unpacked
    bool m_running = false;
};

// The rows a new database gave for each licence source, against the database in use: the
// sources that gave none, or fewer than half of what the data in use holds, as sentence
// fragments naming the source and both counts. Only the given kinds are compared.
QStringList sourceShortfalls(Database& inUse, Database& fresh, const QList<TDataType>& kinds);

// The start-up report of archives that could not be fetched or unpacked while their sources are
// not all loaded (empty when none): which and why, whether the zip table is in, and where to
// fetch the licence files later.
QString fetchFailureReport(const QList<ArchiveFailure>& failures, Database& condb, Database& zipdb);

// The status text while licence tables are empty (empty text when both countries have data).
QString licenceDataStatus(Database& condb);
