#pragma once
// ImportEngine: loads one source file into one table (ImportJob) on whatever thread calls
// run(): its own connection, bulk-load settings, the table's indexes dropped before the load
// and built again after it in the same transaction (after the amateur file of FCC_HD and
// FCC_EN the build waits for the GMRS file, see TableIndexes), one prepared insert with bound
// values, progress by signals, cancel by an atomic flag. A load that completes notes its source
// (sourcerecord) in its own transaction; a file that gives no rows is a failure. Any failure or
// a cancel rolls the whole file back; run() never throws and reports the file, the line and the
// reason instead.
// ImportThread: runs one engine on a BackgroundJob and hands its signals to the owner's thread.
// Collaborators: LineReader/UlsRecordAssembler (input), RecordParsers (rows), Database,
// TfrmDataProcess and the headless importer (callers).

#include "core/BackgroundJob.h"
#include "core/ImportTypes.h"

#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class Database;
class LineReader;

// Where an import runs: at start-up a failed source is imported again at the next start; in
// Update Data a failure stops the update and the data in use stays.
enum class ImportSetting { StartUp, Update };

struct ImportResult {
    TDataType kind = TDataType::ZIP;
    QString file;
    bool ok = false;
    bool cancelled = false;
    QString error;              // why it failed (empty when ok)
    qint64 errorLine = 0;       // 1-based line of the source file; 0 when not tied to a line
    qint64 lines = 0;           // lines read
    qint64 rows = 0;            // rows written (and committed when ok)
    qint64 skipped = 0;         // records or runs of lines left out, by reason below
    qint64 skippedLines = 0;    // lines they covered
    qint64 joined = 0;          // records put together from several lines
    qint64 repaired = 0;        // records whose damaged start was read after trimming
    qint64 badDates = 0;        // dates that were not real dates, stored as "1900-01-01"
    QMap<QString, qint64> skipReasons;
    QMap<QString, qint64> skipReasonLines;
    QStringList skipExamples;   // the first few, "line N: reason" or "lines N-M: reason"
    double seconds = 0.0;

    // Something the user should hear about a successful import.
    bool hasNotes() const { return skipped > 0 || badDates > 0 || repaired > 0; }
    // The texts the window shows and the headless importer prints.
    QString failureText(ImportSetting setting = ImportSetting::StartUp) const;
    QString skippedText() const;
    // One line per reason and per kind of mend, for a terse report.
    QStringList noteLines() const;
};
Q_DECLARE_METATYPE(ImportResult)

// The insert of one row of the kind's table, its values bound as ?1, ?2, … in column order.
QString importInsertSql(TDataType kind);

// What a failure means for the user's data, in the setting.
QString importFailureOutcome(ImportSetting setting);
// The record type caption the import window shows for a kind.
QString importCaption(TDataType kind);
// Lines between two progress reports.
int importProgressStep(TDataType kind);
// The table a kind fills.
QString importTable(TDataType kind);

class ImportEngine : public QObject {
    Q_OBJECT
public:
    explicit ImportEngine(const ImportJob& job, QObject* parent = nullptr);

    ImportResult run();
    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
    const ImportJob& job() const { return m_job; }

public slots:
    void start();   // run(), then finished()

signals:
    void begun(qint64 totalLinesEstimate);
    void progress(qint64 linesDone, qint64 totalLinesEstimate);
    void committing();
    void finished(const ImportResult& result);

private:
    struct Stats;
    void load(Database& db, Stats& st);
    void loadUls(Database& db, LineReader& reader, Stats& st);
    void loadCanadian(Database& db, LineReader& reader, Stats& st);
    void loadZip(Database& db, LineReader& reader, Stats& st);
    void lineDone(LineReader& reader, Stats& st, qint64 lines);
    void noteSkip(Stats& st, const char* reason, qint64 line, qint64 lines = 1);

    ImportJob m_job;
    std::atomic<bool> m_cancel{false};
};

class ImportThread : public QObject {
    Q_OBJECT
public:
    explicit ImportThread(const ImportJob& job, QObject* parent = nullptr);
    ~ImportThread() override;   // cancels and waits for a running worker

    void start();
    void cancel();
    bool isRunning() const { return m_worker.isRunning(); }
    const ImportResult& result() const { return m_result; }

signals:
    void begun(qint64 totalLinesEstimate);
    void progress(qint64 linesDone, qint64 totalLinesEstimate);
    void committing();
    void finished(const ImportResult& result);

private:
    // Declared before the worker, so they outlive its thread.
    std::unique_ptr<ImportEngine> m_engine;
    ImportResult m_result;
    bool m_started = false;
    BackgroundJob m_worker;
};
