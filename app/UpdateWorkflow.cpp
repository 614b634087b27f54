// The data workflow of the main window: the start-up fetch of missing archives and Update Data
// run as an UpdateSequence; here the windows it needs (download, import) and the messages its
// outcome turns into; and the check for a newer program version.
#include "app/Main.h"

#include "data/DailyChanges.h"
#include "data/TableIndexes.h"
#include "data/TfrmDataProcess.h"
#include "data/TfrmFileDownload.h"
#include "data/WebRequest.h"
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/JobRunner.h"
#include "ui/MessageDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>

namespace {

QString updateTimeText(const QDateTime& t) { return QLocale().toString(t, QStringLiteral("MMMM dd yyyy HH:mm:ss")); }

} // namespace

ArchiveSource TForm1::archive(ArchiveId which) const {
    for (const ArchiveSource& a : archiveSources(App.AppDataPath, m_services))
        if (a.id == which)
            return a;
    return {};
}

DownloadOutcome TForm1::downloadArchive(const ArchiveSource& a, bool showErrors) {
    if (m_downloadStep)
        return m_downloadStep(a.url, a.zipFile);
    // The file under the real name is only ever a whole download.
    TfrmFileDownload window(this, a.url, a.zipFile);
    window.setReportErrors(showErrors);
    window.exec();
    if (window.succeeded())
        return true;
    return window.cancelled() ? DownloadOutcome::cancelledByUser() : DownloadOutcome::failed(window.errorText());
}

void TForm1::GetRac() { downloadArchive(archive(ArchiveId::Canadian), true); }
void TForm1::GetFCC() { downloadArchive(archive(ArchiveId::Amateur), true); }
void TForm1::GetGMRS() { downloadArchive(archive(ArchiveId::Gmrs), true); }

ImportResult TForm1::runImport(const ImportJob& job, ImportSetting setting) {
    if (m_importStep)
        return m_importStep(job);
    TfrmDataProcess window(this, job);
    window.setReportSkipped(false);
    window.setSetting(setting);
    window.exec();
    return window.importResult();
}

void TForm1::startDataSequence(UpdateMode mode, std::function<void(const UpdateOutcome&)> then) {
    UpdateSequence::Plan plan;
    plan.mode = mode;
    plan.appDataPath = App.AppDataPath;
    plan.archives = archiveSources(App.AppDataPath, m_services);
    plan.licences = &DM.condb;
    plan.zips = &DM.Zipdb;
    UpdateSteps steps;
    // At start-up the failures are told together once the start-up is through.
    steps.download = [this, mode](const ArchiveSource& a) { return downloadArchive(a, mode == UpdateMode::UpdateData); };
    steps.import = [this](const ImportJob& job) { return runImport(job, ImportSetting::Update); };

    m_sequence = new UpdateSequence(plan, steps, this);
    ++m_busy;
    connect(m_sequence, &UpdateSequence::unpacking, this, [this](const QString& caption) { showUnpacking(true, caption); });
    connect(m_sequence, &UpdateSequence::unpacked, this, [this] { showUnpacking(false, QString()); });
    connect(m_sequence, &UpdateSequence::finished, this, [this, then](const UpdateOutcome& outcome) {
        m_sequence->deleteLater();
        m_sequence = nullptr;
        --m_busy;
        // Reached from the event loop once an archive has been unpacked: errors stop here.
        reportErrors([&] { then(outcome); });
    });
    m_sequence->start();
}

void TForm1::showUnpacking(bool busy, const QString& caption) {
    // A large archive takes a while to unpack; the window keeps painting and takes no input.
    setStatusText(caption);
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
}

void TForm1::showDataStatus() {
    const QString status = licenceDataStatus(DM.condb);
    QStringList parts{status, licenceDataText(DM.condb)};
    // Offered, never pressed on the user: the weekly data is in place and a day after it may be
    // out; once the next weekly archive is surely out, that one comes first.
    const QDate today = QDate::currentDate();
    bool weeklyDue = false, dayDue = false;
    for (DailyService s : {DailyService::Amateur, DailyService::Gmrs}) {
        const ServiceStanding standing = serviceStanding(DM.condb, s);
        weeklyDue = weeklyDue || newerWeeklyDue(standing.weekly, today);
        dayDue = dayDue || (standing.current().isValid() && standing.current() < today.addDays(-1));
    }
    if (weeklyDue)
        parts << QStringLiteral("a newer weekly licence file is out: File > Update Data");
    else if (dayDue)
        parts << QStringLiteral("newer licences may be out: File > Apply Daily Changes");
    parts << std::exchange(m_notices, {});
    parts.removeAll(QString());
    setStatusText(parts.join(QStringLiteral("; ")));
}

void TForm1::setStatusText(const QString& text) {
    // A status text never widens the window; cut short, it is whole in its tool-tip.
    txtMessage->setSizePolicy(QSizePolicy::Ignored, txtMessage->sizePolicy().verticalPolicy());
    txtMessage->setText(text);
    txtMessage->setToolTip(text);
}

void TForm1::settlePendingIndexesInBackground() {
    if (pendingIndexCount(DM.condb) == 0)
        return;
    const QString file = DM.condb.fileName();
    const bool built = runJob(
        this, QStringLiteral("Building the indexes of the licence tables"),
        [file](JobControl& control) {
            Database db;
            db.openSingleThread(file);
            control.setTotal(pendingIndexCount(db));
            qint64 started = 0;
            settlePendingIndexes(db, QString(), [&] {
                control.checkCancelled();
                control.setDone(started++);
            });
        },
        QStringLiteral("indexes"));
    if (!built)
        m_notices << QStringLiteral("The indexes were not built, so look-ups and searches are slow until the next start builds them");
}

void TForm1::tellSettingNotices() {
    const QStringList notices = GlobalProps.takeSettingNotices();
    if (!notices.isEmpty())
        setStatusText(notices.join(QStringLiteral("; ")));
}

void TForm1::CheckFiles() {
    startDataSequence(UpdateMode::StartUp, [this](const UpdateOutcome& outcome) { filesChecked(outcome); });
}

void TForm1::FetchFiles() {
    if (m_sequence)
        return;
    CenteredMessageDialog(this,
                          QStringLiteral("This process will download  all the raw data files, extract their content and import that "
                                         "data into the database\n"
                                         "This process will take approximately 20 - 30 minutes depending on the speed of your "
                                         "comptuer.\n"
                                         "A backup database will will be created in the event of an error.\n"
                                         "Press OK to begin and do not close the program until this process is complete"),
                          MsgKind::Confirmation, MsgButton::Ok);
    const QDateTime start = QDateTime::currentDateTime();
    startDataSequence(UpdateMode::UpdateData, [this, start](const UpdateOutcome& outcome) { updateFinished(outcome, start); });
}

void TForm1::updateFinished(const UpdateOutcome& outcome, const QDateTime& start) {
    showDataStatus();
    switch (outcome.result) {
    case UpdateOutcome::Result::Stopped:
        CenteredMessageDialog(this,
                              QStringLiteral("The update was stopped: %1\nYour existing data is unchanged and still in use.")
                                  .arg(outcome.stopReason),
                              MsgKind::Error, MsgButton::Ok);
        return;
    case UpdateOutcome::Result::OldUnderBackup:
        // The old data is whole under the backup's name; it is in use from there.
        CenteredMessageDialog(this,
                              QStringLiteral("The update was stopped: the new database could not be put in place of \"%1\".\n"
                                             "Your existing data is in \"%2\" and is in use from there; rename it to \"%3\" "
                                             "before the next start.")
                                  .arg(QDir::toNativeSeparators(App.FCCDatabaseFile), QDir::toNativeSeparators(outcome.backupFile),
                                       QFileInfo(App.FCCDatabaseFile).fileName()),
                              MsgKind::Error, MsgButton::Ok);
        return;
    case UpdateOutcome::Result::Completed: break;
    }
    const QStringList skipped = outcome.imports.skippedTexts();
    if (!skipped.isEmpty())
        CenteredMessageDialog(this, skipped.join(QStringLiteral("\n\n")), MsgKind::Information, MsgButton::Ok);

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
