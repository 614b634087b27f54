// File > Apply Daily Changes: the FCC's daily archives of both US services fetched through the
// download window, then applied on a worker with progress and Cancel, and what happened told in
// one message; a chain with a gap, or a newer weekly archive out, offers the full update.
#include "app/Main.h"

#include "core/ZipCodes.h"
#include "data/DailyChanges.h"
#include "data/RecordParsers.h"
#include "ui/JobRunner.h"
#include "ui/MessageDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

void TForm1::mnuApplyDailyChangesClick() {
    if (m_sequence)
        return;
    QTemporaryDir work(App.AppDataPath + QStringLiteral("daily-XXXXXX"));
    if (!work.isValid()) {
        CenteredMessageDialog(this, QStringLiteral("The daily changes cannot be fetched: no folder for them in %1 (%2).")
                                        .arg(QDir::toNativeSeparators(App.AppDataPath), work.errorString()),
                              MsgKind::Error, MsgButton::Ok);
        return;
    }
    // Every daily archive of both services: a week's worth, each replaced a week later. One that
    // is not published (404) is simply not there; the chain decides whether it was needed.
    QList<DailyInput> inputs;
    QStringList unreachable;
    for (bool amateur : {true, false}) {
        for (int day = 0; day < 7; ++day) {
            const QString url = m_services.dailyArchiveUrl(amateur, day);
            const QString file = work.filePath(url.section(QLatin1Char('/'), -1));
            ArchiveSource a;
            a.url = url;
            a.zipFile = file;
            const DownloadOutcome got = downloadArchive(a, false);
            if (got.cancelled) {
                setStatusText(QStringLiteral("Fetching the daily changes was cancelled; nothing was changed"));
                return;
            }
            if (!got.ok) {
                if (!got.error.contains(QLatin1String("404")))
                    unreachable << QStringLiteral("%1: %2").arg(url.section(QLatin1Char('/'), -1), got.error);
                continue;
            }
            inputs << prepareDailyInput(file, work.path());
        }
    }

    DailyRunReport report;
    const QString licences = DM.condb.fileName();
    const QString zips = DM.Zipdb.fileName();
    const bool finished = runJob(
        this, QStringLiteral("Applying the daily changes"),
        [&](JobControl& control) {
            Database condb;
            condb.open(licences);
            CountyTable counties;
            if (!zips.isEmpty() && QFileInfo::exists(zips)) {
                Database zipdb;
                zipdb.openReadOnly(zips);
                if (zipTableExists(zipdb))
                    counties.load(zipdb);
            }
            report = applyDailyInputs(condb, counties, inputs, &control);
        },
        QStringLiteral("days"));
    showDataStatus();
    if (!finished) {
        CenteredMessageDialog(this, QStringLiteral("Applying the daily changes was cancelled. The days applied before the cancel are kept; "
                                                   "the day under way was not applied."),
                              MsgKind::Information, MsgButton::Ok);
        return;
    }
    QStringList lines = report.lines;
    if (!unreachable.isEmpty())
        lines << QStringLiteral("These daily files could not be fetched:") << unreachable;
    const QString standing = licenceDataText(DM.condb);
    if (!standing.isEmpty())
        lines << QString() << standing;
    if (!report.gapServices.isEmpty() || !report.newerWeekly.isEmpty()) {
        lines << QString() << QStringLiteral("Run Update Data now to load the complete weekly files?");
        if (CenteredMessageDialog(this, lines.join(QLatin1Char('\n')), MsgKind::Warning, MsgButton::Yes | MsgButton::No) == MsgButton::Yes)
            mnuUpdateDataClick();
        return;
    }
    CenteredMessageDialog(this, lines.join(QLatin1Char('\n')), report.refused ? MsgKind::Warning : MsgKind::Information, MsgButton::Ok);
}
