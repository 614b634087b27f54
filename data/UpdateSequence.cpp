#include "data/UpdateSequence.h"

#include "core/DatabaseSwap.h"
#include "core/Paths.h"
#include "core/SchemaCheck.h"
#include "core/SourceRecord.h"
#include "core/ZipCodes.h"
#include "data/ArchiveUnpack.h"
#include "data/TableIndexes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace {

// Thrown from the import step to end the database check at the first source that did not go in.
struct ImportsStopped {};

const char* const kLicenceTables[] = {"canada", "FCC_AM", "FCC_HD", "FCC_EN"};

qint64 rowsIn(Database& db, const QString& table) {
    if (!db.isOpen() || !db.tableExists(table))
        return 0;
    return db.scalar(QStringLiteral("select count(1) from %1").arg(table)).toLongLong();
}

QString archiveOf(TDataType kind) {
    switch (kind) {
    case TDataType::CDN: return QStringLiteral("amateur.zip");
    case TDataType::GMRS_EN:
    case TDataType::GMRS_HD:
    case TDataType::GMRS_AM: return QStringLiteral("l_gmrs.zip");
    case TDataType::ZIP: return QString();
    case TDataType::AMT_EN:
    case TDataType::AMT_HD:
    case TDataType::AMT_AM: break;
    }
    return QStringLiteral("l_amat.zip");
}

QString rowsText(qint64 n) { return n == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(n); }

} // namespace

QString ArchiveSource::name() const { return QFileInfo(zipFile).fileName(); }

QList<ArchiveSource> archiveSources(const QString& appDataPath, const ServiceConfig& services) {
    const QString base = withSlash(appDataPath);
    auto source = [&](ArchiveId id, const QString& url, const char* zip, const char* folder, const char* marker, const char* caption) {
        ArchiveSource a;
        a.id = id;
        a.url = url;
        a.zipFile = base + QLatin1String(zip);
        a.folder = base + QLatin1String(folder);
        a.marker = a.folder + QLatin1Char('/') + QLatin1String(marker);
        a.caption = QLatin1String(caption);
        return a;
    };
    return {source(ArchiveId::Canadian, services.canadianArchiveUrl(), "amateur.zip", "CADN", "amateur.txt", "Extracting Canadian Files"),
            source(ArchiveId::Amateur, services.amateurArchiveUrl(), "l_amat.zip", "AMAT", "counts", "Extracting Amatuer Files"),
            source(ArchiveId::Gmrs, services.gmrsArchiveUrl(), "l_gmrs.zip", "GMRS", "counts", "Extracting GMRS Files")};
}

DownloadOutcome DownloadOutcome::failed(const QString& why) {
    DownloadOutcome o(false);
    o.error = why;
    return o;
}

DownloadOutcome DownloadOutcome::cancelledByUser() {
    DownloadOutcome o(false);
    o.cancelled = true;
    return o;
}

QString ArchiveFailure::sentence() const {
    if (unpacking)
        return error;
    if (cancelled)
        return QStringLiteral("The download of %1 was cancelled.").arg(source.name());
    return QStringLiteral("The download of %1 failed.").arg(source.name());
}

QString ArchiveFailure::reason() const {
    if (cancelled)
        return QStringLiteral("the download was cancelled");
    if (error.isEmpty())
        return QStringLiteral("the download failed");
    return error;
}

// ---------------------------------------------------------------------------

UpdateSequence::UpdateSequence(Plan plan, UpdateSteps steps, QObject* parent)
    : QObject(parent), m_plan(std::move(plan)), m_steps(std::move(steps)) {
    m_outcome.mode = m_plan.mode;
    if (m_plan.licences)
        m_outcome.databaseFile = m_plan.licences->fileName();
}

UpdateSequence::~UpdateSequence() = default;

void UpdateSequence::start() {
    if (m_running)
        return;
    m_running = true;
    m_next = 0;
    goOn();
}

void UpdateSequence::goOn() {
    // Called from the event loop after an unpacking: nothing may unwind through it.
    try {
        nextArchive();
    } catch (const std::exception& e) {
        if (!m_running)
            throw;   // from whoever heard the end, not from the sequence
        stop(QString::fromUtf8(e.what()));
    }
}

void UpdateSequence::nextArchive() {
    while (m_next < m_plan.archives.size()) {
        const ArchiveSource& a = m_plan.archives.at(m_next);
        if (m_plan.mode == UpdateMode::StartUp && QFileInfo::exists(a.marker)) {
            ++m_next;
            continue;
        }
        const DownloadOutcome got = m_steps.download ? m_steps.download(a) : DownloadOutcome::failed(QString());
        if (!got.ok) {
            ArchiveFailure f;
            f.source = a;
            f.cancelled = got.cancelled;
            f.error = got.error;
            ++m_next;
            if (archiveFailed(f))
                continue;
            return;
        }
        m_extract = new ExtractThread(UnpackJob{a.zipFile, a.folder, QFileInfo(a.marker).fileName()}, this);
        // The sequence goes on from the event loop, not inside the worker's own signal (the next
        // step opens modal windows, and the worker object goes away).
        connect(m_extract, &ExtractThread::finished, this, &UpdateSequence::archiveUnpacked, Qt::QueuedConnection);
        emit unpacking(a.caption);
        m_extract->start();
        return;   // goes on in archiveUnpacked
    }
    if (m_plan.mode == UpdateMode::UpdateData)
        buildAndSwap();
    else
        end();
}

void UpdateSequence::archiveUnpacked(const QString& error) {
    const ArchiveSource a = m_plan.archives.at(m_next);
    delete std::exchange(m_extract, nullptr);   // its thread has ended
    ++m_next;
    emit unpacked();
    if (!error.isEmpty()) {
        ArchiveFailure f;
        f.source = a;
        f.unpacking = true;
        f.error = error;
        if (!archiveFailed(f))
            return;
    }
    goOn();
}

bool UpdateSequence::archiveFailed(const ArchiveFailure& failure) {
    m_outcome.archiveFailures << failure;
    // At start-up each archive stands alone; an update needs all three.
    if (m_plan.mode == UpdateMode::StartUp)
        return true;
    stop(failure.sentence());
    return false;
}

void UpdateSequence::buildAndSwap() {
    Database& inUse = *m_plan.licences;
    const QString current = inUse.fileName();
    const QString fresh = current + QStringLiteral(".new");
    const QString backup = current + QStringLiteral(".bak");
    m_outcome.backupFile = backup;

    // The new database is built beside the one in use, which stays searchable until the swap.
    QFile::remove(fresh);
    QFile::remove(fresh + QStringLiteral("-journal"));
    ImportReport& report = m_outcome.imports;
    QList<TDataType> attempted;
    QStringList why;
    try {
        Database building;
        building.open(fresh);
        SchemaCheckPaths paths;
        paths.appDataPath = m_plan.appDataPath;
        bool allIn = true;
        try {
            runCheckDatabases(building, *m_plan.zips, paths, [&](const ImportJob& job) {
                attempted << job.kind;
                report.runOrNoteMissing(job, m_steps.import);
                if (!report.allImported())
                    throw ImportsStopped{};
            });
            settlePendingIndexes(building);
        } catch (const ImportsStopped&) {
            allIn = false;
        }
        if (!report.missing.isEmpty())
            why << QStringLiteral("these files were not found: ") + report.missing.join(QStringLiteral(", "));
        if (!report.failedFiles().isEmpty())
            why << QStringLiteral("the import of these files failed: ") + report.failedFiles().join(QStringLiteral(", "));
        QStringList emptyTables;
        for (const char* table : kLicenceTables)
            if (allIn && rowsIn(building, QLatin1String(table)) == 0)
                emptyTables << QLatin1String(table);
        if (!emptyTables.isEmpty())
            why << QStringLiteral("the table(s) %1 stayed empty").arg(emptyTables.join(QStringLiteral(", ")));
        QList<TDataType> compared;
        for (TDataType kind : sourcerecord::licenceSources())
            if (allIn || attempted.contains(kind))
                compared << kind;
        why << sourceShortfalls(inUse, building, compared);
    } catch (const std::exception& e) {
        QFile::remove(fresh);
        stop(QString::fromUtf8(e.what()));
        return;
    }
    if (!why.isEmpty()) {
        QFile::remove(fresh);
        stop(why.join(QStringLiteral("; ")) + QLatin1Char('.'));
        return;
    }

    // Swap: the old database becomes the backup, the new one takes its place.
    inUse.close();
    const SwapOutcome swapped = replaceDatabaseFile(current, fresh, backup);
    const QString use = swapped == SwapOutcome::OldUnderBackup ? backup : current;
    m_outcome.databaseFile = use;
    try {
        inUse.open(use);
    } catch (const DatabaseError& e) {
        stop(QStringLiteral("\"%1\" could not be opened: %2").arg(QDir::toNativeSeparators(use), e.message()));
        return;
    }
    switch (swapped) {
    case SwapOutcome::Swapped: end(); return;
    case SwapOutcome::BackupFailed:
        stop(QStringLiteral("\"%1\" could not be set aside as the backup.").arg(QDir::toNativeSeparators(current)));
        return;
    case SwapOutcome::KeptOld:
        stop(QStringLiteral("the new database could not be put in place of \"%1\".").arg(QDir::toNativeSeparators(current)));
        return;
    case SwapOutcome::OldUnderBackup:
        m_outcome.result = UpdateOutcome::Result::OldUnderBackup;
        end();
        return;
    }
}

void UpdateSequence::stop(const QString& reason) {
    m_outcome.result = UpdateOutcome::Result::Stopped;
    m_outcome.stopReason = reason;
    end();
}

void UpdateSequence::end() {
    if (!m_running)
        return;
    m_running = false;
    emit finished(m_outcome);
}

// ---------------------------------------------------------------------------

QStringList sourceShortfalls(Database& inUse, Database& fresh, const QList<TDataType>& kinds) {
    QStringList out;
    for (TDataType kind : kinds) {
        const qint64 now = inUse.isOpen() ? sourcerecord::sourceRows(inUse, kind) : 0;
        const qint64 got = sourcerecord::sourceRows(fresh, kind);
        // Half is far below any real change between two releases of a file, and far above a
        // file cut short or emptied by a fault.
        if (got > 0 && got * 2 >= now)
            continue;
        const QString source = QStringLiteral("the new %1 (from %2)").arg(dataTypeSourceFile(kind), archiveOf(kind));
        if (got == 0)
            out << QStringLiteral("%1 gave no rows, where the data in use holds %2").arg(source, rowsText(now));
        else
            out << QStringLiteral("%1 gave %2, far fewer than the %3 of the data in use").arg(source, rowsText(got), rowsText(now));
    }
    return out;
}

QString fetchFailureReport(const QList<ArchiveFailure>& failures, Database& condb, Database& zipdb) {
    QStringList lines;
    for (const ArchiveFailure& f : failures) {
        // An archive whose sources are all in already is fetched again at the next start, and
        // nothing is missing meanwhile.
        bool loaded = condb.isOpen();
        for (TDataType kind : sourcerecord::licenceSources())
            if (loaded && archiveOf(kind) == f.source.name())
                loaded = sourcerecord::isComplete(condb, kind);
        if (!loaded)
            lines << f.source.name() + QStringLiteral(": ") + f.reason();
    }
    if (lines.isEmpty())
        return QString();
    const QString zips = rowsIn(zipdb, zipTableName()) > 0 ? QStringLiteral("The zip code table is installed.")
                                                                        : QStringLiteral("The zip code table is not installed either.");
    return QStringLiteral("Some licence data could not be fetched, so its tables stay empty for now:\n%1\n\n%2\n"
                          "File > Update Data fetches the licence files later.")
        .arg(lines.join(QLatin1Char('\n')), zips);
}

QString licenceDataStatus(Database& condb) {
    bool us = false, canada = false;
    try {
        us = rowsIn(condb, QStringLiteral("FCC_EN")) > 0;
        canada = rowsIn(condb, QStringLiteral("canada")) > 0;
    } catch (const std::exception&) {
        // A database that cannot be read holds nothing to look up either.
    }
    if (us && canada)
        return QString();
    const QString which = !us && !canada ? QStringLiteral("No licence data yet") : !us ? QStringLiteral("No US data yet")
                                                                                     : QStringLiteral("No Canadian data yet");
    return which + QStringLiteral(": File > Update Data");
}
