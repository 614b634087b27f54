// The data workflow of the main window: fetching and extracting the public archives (at start-up
// for what is missing, and on Update Data for everything), rebuilding the licence database beside
// the one in use, and the check for a newer program version.
#include "app/Main.h"

#include "core/DatabaseSwap.h"
#include "core/SchemaCheck.h"
#include "core/Services.h"
#include "core/SharedRoutines.h"
#include "data/ArchiveExtract.h"
#include "data/TableIndexes.h"
#include "data/TfrmFileDownload.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QThread>

namespace {

QString updateTimeText(const QDateTime& t) { return QLocale().toString(t, QStringLiteral("MMMM dd yyyy HH:mm:ss")); }

const char* const kLicenceTables[] = {"canada", "FCC_AM", "FCC_HD", "FCC_EN"};

} // namespace

TForm1::ArchiveInfo TForm1::archiveInfo(Archive which) const {
    const QString base = App.AppDataPath;
    switch (which) {
    case Archive::Canadian:
        return {m_services.canadianArchiveUrl(), base + QStringLiteral("amateur.zip"), base + QStringLiteral("CADN"),
                base + QStringLiteral("CADN/amateur.txt"), QStringLiteral("Extracting Canadian Files")};
    case Archive::Amateur:
        return {m_services.amateurArchiveUrl(), base + QStringLiteral("l_amat.zip"), base + QStringLiteral("AMAT"),
                base + QStringLiteral("AMAT/counts"), QStringLiteral("Extracting Amatuer Files")};
    case Archive::Gmrs:
        break;
    }
    return {m_services.gmrsArchiveUrl(), base + QStringLiteral("l_gmrs.zip"), base + QStringLiteral("GMRS"),
            base + QStringLiteral("GMRS/counts"), QStringLiteral("Extracting GMRS Files")};
}

bool TForm1::downloadArchive(const ArchiveInfo& a) {
    if (m_downloadStep)
        return m_downloadStep(a.url, a.zipFile);
    // The window reports a failure itself; the file under the real name is only ever a whole download.
    TfrmFileDownload window(this, a.url, a.zipFile);
    window.exec();
    return window.succeeded();
}

void TForm1::GetRac() { downloadArchive(archiveInfo(Archive::Canadian)); }
void TForm1::GetFCC() { downloadArchive(archiveInfo(Archive::Amateur)); }
void TForm1::GetGMRS() { downloadArchive(archiveInfo(Archive::Gmrs)); }

QString TForm1::extractInBackground(const ArchiveInfo& a) {
    txtMessage->setText(a.caption);
    // A large archive takes a while to unpack; the window keeps painting while a worker does it,
    // and takes no input meanwhile.
    // Unpacked beside the folder in use and put in its place only when whole, so files of an
    // earlier download never mix with a new archive's and a failure leaves the old folder as it was.
    const QString staging = a.folder + QStringLiteral(".part");
    const QString markerName = QFileInfo(a.marker).fileName();
    QString error;
    QEventLoop loop;
    QThread* worker = QThread::create([&] {
        try {
            QDir(staging).removeRecursively();
            extractArchive(a.zipFile, staging);
            if (!QFileInfo::exists(staging + QLatin1Char('/') + markerName))
                throw std::runtime_error(QStringLiteral("The archive \"%1\" does not hold the expected file \"%2\".")
                                             .arg(QDir::toNativeSeparators(a.zipFile), markerName)
                                             .toStdString());
            const QString old = a.folder + QStringLiteral(".old");
            QDir(old).removeRecursively();
            const bool hadFolder = QDir(a.folder).exists();
            if (hadFolder && !QDir().rename(a.folder, old))
                throw std::runtime_error(QStringLiteral("The folder \"%1\" could not be replaced.")
                                             .arg(QDir::toNativeSeparators(a.folder))
                                             .toStdString());
            if (!QDir().rename(staging, a.folder)) {
                if (hadFolder)
                    QDir().rename(old, a.folder);
                throw std::runtime_error(QStringLiteral("The folder \"%1\" could not be replaced.")
                                             .arg(QDir::toNativeSeparators(a.folder))
                                             .toStdString());
            }
            QDir(old).removeRecursively();
        } catch (const std::exception& e) {
            QDir(staging).removeRecursively();
            error = QString::fromUtf8(e.what());
        }
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    ++m_busy;
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    --m_busy;
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    if (error.isEmpty())
        txtMessage->clear();
    return error;
}

QStringList TForm1::fetchArchives(bool all, bool stopAtFirstFailure) {
    QStringList failures;
    for (Archive which : {Archive::Canadian, Archive::Amateur, Archive::Gmrs}) {
        const ArchiveInfo a = archiveInfo(which);
        if (!all && QFileInfo::exists(a.marker))
            continue;
        if (!downloadArchive(a)) {
            failures << QStringLiteral("The download of %1 failed.").arg(QFileInfo(a.zipFile).fileName());
            if (stopAtFirstFailure)
                break;
            continue;
        }
        const QString error = extractInBackground(a);
        if (!error.isEmpty()) {
            txtMessage->clear();
            if (!stopAtFirstFailure)
                CenteredMessageDialog(this, error, MsgKind::Error, MsgButton::Ok);
            failures << error;
            if (stopAtFirstFailure)
                break;
        }
    }
    txtMessage->clear();
    return failures;
}

void TForm1::CheckFiles() {
    // At start-up each archive stands alone: one that cannot be fetched or unpacked is reported,
    // and the others (and the shipped zip table) still go in.
    fetchArchives(false, false);
}

void TForm1::FetchFiles() {
    CenteredMessageDialog(this,
                          QStringLiteral("This process will download  all the raw data files, extract their content and import that "
                                         "data into the database\n"
                                         "This process will take approximately 20 - 30 minutes depending on the speed of your "
                                         "comptuer.\n"
                                         "A backup database will will be created in the event of an error.\n"
                                         "Press OK to begin and do not close the program until this process is complete"),
                          MsgKind::Confirmation, MsgButton::Ok);
    const QDateTime start = QDateTime::currentDateTime();
    const QString base = App.AppDataPath;
    const QString current = App.FCCDatabaseFile;
    const QString fresh = current + QStringLiteral(".new");
    const QString backup = current + QStringLiteral(".bak");

    auto stopped = [this](const QString& why) {
        CenteredMessageDialog(this,
                              QStringLiteral("The update was stopped: %1\nYour existing data is unchanged and still in use.").arg(why),
                              MsgKind::Error, MsgButton::Ok);
    };

    const QStringList failures = fetchArchives(true, true);
    if (!failures.isEmpty()) {
        stopped(failures.first());
        return;
    }

    // The new database is built beside the one in use, which stays searchable until the swap.
    QFile::remove(fresh);
    QFile::remove(fresh + QStringLiteral("-journal"));
    QStringList emptyTables;
    try {
        Database building;
        building.open(fresh);
        SchemaCheckPaths paths;
        paths.appDataPath = base;
        m_importMissing.clear();
        m_importSkipped.clear();
        m_importFailed.clear();
        runCheckDatabases(building, DM.Zipdb, paths, m_importStep);
        settlePendingIndexes(building);
        for (const char* table : kLicenceTables)
            if (building.scalar(QStringLiteral("select count(1) from %1").arg(QLatin1String(table))).toLongLong() == 0)
                emptyTables << QLatin1String(table);
    } catch (const std::exception& e) {
        QFile::remove(fresh);
        stopped(QString::fromUtf8(e.what()));
        return;
    }
    if (!emptyTables.isEmpty() || !m_importMissing.isEmpty() || !m_importFailed.isEmpty()) {
        QFile::remove(fresh);
        QStringList why;
        if (!m_importMissing.isEmpty())
            why << QStringLiteral("these files were not found: ") + m_importMissing.join(QStringLiteral(", "));
        if (!m_importFailed.isEmpty())
            why << QStringLiteral("the import of these files failed: ") + m_importFailed.join(QStringLiteral(", "));
        if (!emptyTables.isEmpty())
            why << QStringLiteral("the table(s) %1 stayed empty").arg(emptyTables.join(QStringLiteral(", ")));
        stopped(why.join(QStringLiteral("; ")) + QLatin1Char('.'));
        return;
    }

    // Swap: the old database becomes the backup, the new one takes its place.
    DM.condb.close();
    switch (replaceDatabaseFile(current, fresh, backup)) {
    case SwapOutcome::Swapped:
        break;
    case SwapOutcome::BackupFailed:
        DM.condb.open(current);
        stopped(QStringLiteral("\"%1\" could not be set aside as the backup.").arg(QDir::toNativeSeparators(current)));
        return;
    case SwapOutcome::KeptOld:
        DM.condb.open(current);
        stopped(QStringLiteral("the new database could not be put in place of \"%1\".").arg(QDir::toNativeSeparators(current)));
        return;
    case SwapOutcome::OldUnderBackup:
        // The old data is whole under the backup's name; use it from there rather than an empty file.
        DM.condb.open(backup);
        CenteredMessageDialog(this,
                              QStringLiteral("The update was stopped: the new database could not be put in place of \"%1\".\n"
                                             "Your existing data is in \"%2\" and is in use from there; rename it to \"%3\" "
                                             "before the next start.")
                                  .arg(QDir::toNativeSeparators(current), QDir::toNativeSeparators(backup),
                                       QFileInfo(current).fileName()),
                              MsgKind::Error, MsgButton::Ok);
        return;
    }
    DM.condb.open(current);
    if (!m_importSkipped.isEmpty())
        CenteredMessageDialog(this, m_importSkipped.join(QStringLiteral("\n\n")), MsgKind::Information, MsgButton::Ok);

    const QDateTime finish = QDateTime::currentDateTime();
    CenteredMessageDialog(this,
                          QStringLiteral("Update Process is complete\n Start Time: ") + updateTimeText(start) +
                              QStringLiteral("\nFinish Time: ") + updateTimeText(finish),
                          MsgKind::Confirmation, MsgButton::Ok);
}

void TForm1::mnuUpdateDataClick() { FetchFiles(); }

bool TForm1::CheckUpdate() {
    const QString address = m_services.versionFileUrl();
    if (address.isEmpty())
        return false;   // no update site configured
    return isUpdateAvailable(ReadURL(address), App.VersionData.FileVersion);
}

void TForm1::lblupdateClick() {
    const MsgButton answer = CenteredMessageDialog(
        this, QStringLiteral("Click OK to close the application and open the download site. Download the update and install"),
        MsgKind::Information, MsgButton::Ok | MsgButton::Cancel);
    if (answer != MsgButton::Ok)
        return;
    OpenDocument(m_services.setupDownloadUrl());
    close();
}
