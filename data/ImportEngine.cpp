#include "data/ImportEngine.h"

#include "core/Database.h"
#include "core/SourceRecord.h"
#include "core/ZipCodes.h"
#include "data/DailyChanges.h"
#include "data/ByteText.h"
#include "data/LineReader.h"
#include "data/RecordParsers.h"
#include "data/TableIndexes.h"
#include "data/UlsRecordAssembler.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Thrown inside run() only, to unwind to the rollback when the user cancels.
struct Cancelled {};

constexpr int kMaxSkipExamples = 10;

QString insertSql(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_AM: return QStringLiteral("insert into FCC_AM values(?1,?2,?3)");
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN:
        return QStringLiteral("insert into FCC_EN values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15)");
    case TDataType::AMT_HD:
    case TDataType::GMRS_HD: return QStringLiteral("insert into FCC_HD values(?1,?2,?3,?4,?5,?6,?7)");
    case TDataType::CDN:
        return QStringLiteral("insert into canada values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15,?16,?17,?18)");
    case TDataType::ZIP:
        return zipInsertSql();
    case TDataType::GMRS_AM: break;
    }
    throw std::runtime_error("There is no import for GMRS AM records");
}

void bindRow(Statement& ins, const RowValues& row) {
    for (int i = 0; i < row.count(); ++i) {
        const std::string_view v = row.value(i);
        ins.bindStaticText(i + 1, v.data(), int(v.size()));
    }
    ins.execute();
}

} // namespace

// ---------------------------------------------------------------------------

QString ImportResult::failureText(ImportSetting setting) const {
    const QString where = errorLine > 0 ? QStringLiteral(" at line %1").arg(errorLine) : QString();
    const QString after = importFailureOutcome(setting);
    if (cancelled)
        return QStringLiteral("The import of \"%1\" was cancelled%2. %3").arg(file, where, after);
    return QStringLiteral("The import of \"%1\" failed%2: %3\n%4").arg(file, where, error, after);
}

QString importFailureOutcome(ImportSetting setting) {
    // Only at start-up is a failed source imported again later; Update Data keeps the old data.
    if (setting == ImportSetting::Update)
        return QStringLiteral("The update stops; your data is unchanged.");
    return QStringLiteral("Nothing of this file was kept; it will be imported again at the next start.");
}

QStringList ImportResult::noteLines() const {
    QStringList out;
    for (auto it = skipReasons.cbegin(); it != skipReasons.cend(); ++it) {
        const qint64 covered = skipReasonLines.value(it.key(), it.value());
        out << (covered == it.value() ? QStringLiteral("%1: %2").arg(it.key()).arg(it.value())
                                      : QStringLiteral("%1: %2 (covering %3 lines)").arg(it.key()).arg(it.value()).arg(covered));
    }
    if (repaired > 0)
        out << QStringLiteral("records read after trimming a damaged start (a leading blank, control character or byte-order "
                              "mark, or a record type in lower case): %1")
                   .arg(repaired);
    if (badDates > 0)
        out << QStringLiteral("dates that are not real dates, stored as 1900-01-01: %1").arg(badDates);
    return out;
}

QString ImportResult::skippedText() const {
    QString head = skipped > 0 ? QStringLiteral("%1 of %2 lines of \"%3\" were skipped:").arg(skippedLines).arg(lines).arg(file)
                               : QStringLiteral("\"%1\" was imported with these notes:").arg(file);
    return head + QLatin1Char('\n') + noteLines().join(QLatin1Char('\n'));
}

QString importCaption(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_EN: return QStringLiteral("Amateur EN Records");
    case TDataType::AMT_HD: return QStringLiteral("Amateur HD Records");
    case TDataType::AMT_AM: return QStringLiteral("Amateur AM Records");
    case TDataType::CDN: return QStringLiteral("Canadian Amateur Recrods");
    case TDataType::ZIP: return QStringLiteral("Zipcode Recrods");
    case TDataType::GMRS_EN: return QStringLiteral("GMRS EN Records");
    case TDataType::GMRS_HD: return QStringLiteral("GMRS HD Records");
    case TDataType::GMRS_AM: break;
    }
    return QString();
}

int importProgressStep(TDataType kind) { return isUlsKind(kind) ? 2000 : 1000; }

QString importTable(TDataType kind) { return dataTypeTable(kind); }

// ---------------------------------------------------------------------------

struct ImportEngine::Stats {
    ImportResult& result;
    CountyTable counties;
    int step = 2000;
    qint64 nextProgress = 2000;
    qint64 line = 0;   // line being worked on, for the failure report
};

ImportEngine::ImportEngine(const ImportJob& job, QObject* parent) : QObject(parent), m_job(job) {
    qRegisterMetaType<ImportResult>();
}

void ImportEngine::start() { emit finished(run()); }

ImportResult ImportEngine::run() {
    QElapsedTimer timer;
    timer.start();
    ImportResult result;
    result.kind = m_job.kind;
    result.file = m_job.sourceFile;
    Stats st{result, {}, importProgressStep(m_job.kind), importProgressStep(m_job.kind), 0};
    Database db;
    try {
        if (cancelRequested())
            throw Cancelled{};
        load(db, st);
        result.ok = true;
    } catch (const Cancelled&) {
        result.cancelled = true;
        result.error = QStringLiteral("cancelled");
    } catch (const DatabaseError& e) {
        result.error = e.message();
    } catch (const std::exception& e) {
        result.error = QString::fromUtf8(e.what());
    } catch (...) {
        result.error = QStringLiteral("unexpected error");
    }
    if (!result.ok) {
        result.errorLine = st.line;
        result.rows = 0;   // rolled back
        // The rows an earlier load left without their indexes get them now, unless the user
        // asked to stop: then they stay pending and the database check builds them.
        if (!result.cancelled && (db.isOpen() || QFileInfo::exists(m_job.databaseFile))) {
            try {
                db.open(m_job.databaseFile);
                settlePendingIndexes(db, importTable(m_job.kind), [this] {
                    if (cancelRequested())
                        throw Cancelled{};
                });
            } catch (const Cancelled&) {
                result.cancelled = true;
            } catch (const std::exception& e) {
                result.error += QStringLiteral("; the table's indexes could not be built: %1").arg(QString::fromUtf8(e.what()));
            }
        }
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

void ImportEngine::load(Database& db, Stats& st) {
    const TDataType kind = m_job.kind;
    insertSql(kind);   // refuses a kind without an import before anything is opened
    LineReader reader(m_job.sourceFile);

    if ((kind == TDataType::AMT_EN || kind == TDataType::GMRS_EN) && !m_job.zipDatabaseFile.isEmpty() &&
        QFileInfo::exists(m_job.zipDatabaseFile)) {
        Database zipdb;
        zipdb.open(m_job.zipDatabaseFile);
        if (zipTableExists(zipdb))
            st.counties.load(zipdb);
    }

    db.openSingleThread(m_job.databaseFile);
    // Nothing is durable before the commit anyway, and a failed load is rolled back and redone.
    db.exec(QStringLiteral("PRAGMA synchronous=OFF"));

    emit begun(reader.estimatedTotalLines());
    TransactionGuard tx(db);
    const QString table = importTable(kind);
    const std::vector<TableIndex> live = tableindexes::live(db, table);
    std::vector<TableIndex> indexes = tableindexes::pending(db, table);
    indexes.insert(indexes.end(), live.begin(), live.end());
    tableindexes::drop(db, live);

    if (isUlsKind(kind))
        loadUls(db, reader, st);
    else if (kind == TDataType::CDN)
        loadCanadian(db, reader, st);
    else
        loadZip(db, reader, st);
    st.result.lines = reader.lineNumber();
    st.line = 0;
    // A source that gives nothing is never a successful load: recorded as complete, it would
    // not be imported again.
    if (st.result.rows == 0)
        throw std::runtime_error(st.result.skipped > 0
                                     ? QStringLiteral("none of its %1 records could be imported").arg(st.result.skipped).toStdString()
                                     : std::string("the file holds no records"));
    emit committing();
    // The GMRS file follows the amateur one into the same table: one index build serves both.
    if (kind == TDataType::AMT_EN || kind == TDataType::AMT_HD)
        tableindexes::leavePending(db, table, live);
    else
        tableindexes::build(db, table, indexes, [this] {
            if (cancelRequested())
                throw Cancelled{};
        });
    sourcerecord::markComplete(db, kind, st.result.rows);
    // A weekly entity file starts the service's data afresh: its archive's date is where the
    // daily changes continue from.
    if (kind == TDataType::AMT_EN || kind == TDataType::GMRS_EN)
        recordWeeklyLoad(db, kind == TDataType::AMT_EN ? DailyService::Amateur : DailyService::Gmrs,
                         countsFileCreationDate(QFileInfo(m_job.sourceFile).absolutePath() + QStringLiteral("/counts")));
    tx.commit();
}

void ImportEngine::noteSkip(Stats& st, const char* reason, qint64 line, qint64 lines) {
    ImportResult& r = st.result;
    ++r.skipped;
    r.skippedLines += lines;
    const QString text = QString::fromLatin1(reason);
    ++r.skipReasons[text];
    r.skipReasonLines[text] += lines;
    if (r.skipExamples.size() < kMaxSkipExamples)
        r.skipExamples << (lines > 1 ? QStringLiteral("lines %1-%2: %3").arg(line).arg(line + lines - 1).arg(text)
                                     : QStringLiteral("line %1: %2").arg(line).arg(text));
}

void ImportEngine::lineDone(LineReader& reader, Stats& st, qint64 lines) {
    st.result.lines = lines;
    if (lines >= st.nextProgress) {
        st.nextProgress = (lines / st.step + 1) * st.step;
        emit progress(lines - lines % st.step, reader.estimatedTotalLines());
    }
    if (cancelRequested())
        throw Cancelled{};
}

void ImportEngine::loadUls(Database& db, LineReader& reader, Stats& st) {
    Statement ins(db, insertSql(m_job.kind));
    UlsRowVisitor visit;
    visit.row = [&](const UlsRecordAssembler::Record& rec, const RowValues& row) {
        st.line = rec.firstLine;
        if (rec.pieces > 1)
            ++st.result.joined;
        bindRow(ins, row);
        ++st.result.rows;
        st.result.badDates += row.badDates();
        if (rec.repaired)
            ++st.result.repaired;
    };
    visit.skipped = [&](const UlsRecordAssembler::Record& rec, const char* reason) {
        st.line = rec.firstLine;
        noteSkip(st, reason, rec.firstLine, rec.lines());
    };
    visit.done = [&](qint64 lastLine) { lineDone(reader, st, lastLine); };
    readUlsRows(reader, m_job.kind, st.counties, visit);
}

void ImportEngine::loadCanadian(Database& db, LineReader& reader, Stats& st) {
    Statement ins(db, insertSql(TDataType::CDN));
    std::string_view line;
    // Title, blank, count and blank lines come before the records.
    for (int i = 0; i < 4 && reader.next(line); ++i) {
    }
    RowValues row;
    while (reader.next(line)) {
        st.line = reader.lineNumber();
        if (reader.lastLineTooLong()) {
            noteSkip(st, skip::TooLong, st.line);
        } else if (const SkipReason why = buildCanadianRow(line, row)) {
            noteSkip(st, why.text, st.line);
        } else {
            bindRow(ins, row);
            ++st.result.rows;
        }
        lineDone(reader, st, reader.lineNumber());
    }
}

void ImportEngine::loadZip(Database& db, LineReader& reader, Stats& st) {
    Statement ins(db, insertSql(TDataType::ZIP));
    std::string_view physical;
    ZipRow row;
    while (reader.next(physical)) {
        st.line = reader.lineNumber();
        if (reader.lastLineTooLong()) {
            noteSkip(st, skip::TooLong, st.line);
            lineDone(reader, st, reader.lineNumber());
            continue;
        }
        // A CR on its own ends a line of the zip list as well.
        size_t start = 0;
        for (;;) {
            const size_t cr = physical.find('\r', start);
            const std::string_view line = physical.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start);
            if (const SkipReason why = buildZipRow(line, row)) {
                noteSkip(st, why.text, st.line);
            } else {
                ins.bind(1, row.zip);
                ins.bind(2, row.city);
                ins.bind(3, row.state);
                ins.bind(4, row.latitude);
                ins.bind(5, row.longitude);
                ins.bind(6, row.county);
                ins.execute();
                ++st.result.rows;
            }
            if (cr == std::string_view::npos)
                break;
            start = cr + 1;
        }
        lineDone(reader, st, reader.lineNumber());
    }
}

// ---------------------------------------------------------------------------

ImportThread::ImportThread(const ImportJob& job, QObject* parent)
    : QObject(parent), m_engine(std::make_unique<ImportEngine>(job)) {
    m_result.kind = job.kind;
    m_result.file = job.sourceFile;
    // The engine stays on this thread; its run() goes on the worker, whose signals come here queued.
    connect(m_engine.get(), &ImportEngine::begun, this, &ImportThread::begun);
    connect(m_engine.get(), &ImportEngine::progress, this, &ImportThread::progress);
    connect(m_engine.get(), &ImportEngine::committing, this, &ImportThread::committing);
    // Told once the worker has ended and let go of the database.
    connect(&m_worker, &BackgroundJob::finished, this, [this](const JobOutcome&) { emit finished(m_result); });
}

ImportThread::~ImportThread() { m_engine->cancel(); }

void ImportThread::start() {
    // One run per object, as the import window makes one for each import.
    if (m_started)
        return;
    m_started = true;
    m_worker.start(QStringLiteral("import"), [this](JobControl&) { m_result = m_engine->run(); });
}

void ImportThread::cancel() { m_engine->cancel(); }

QString importInsertSql(TDataType kind) { return insertSql(kind); }
