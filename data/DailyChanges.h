#pragma once
// The daily licence changes the FCC publishes between its weekly complete archives: where each
// US service stands (the weekly archive loaded and the days applied since, kept in the licence
// database), which of the published days to apply, reading one day's record files with the
// weekly load's own rules, and applying a day in one transaction.
// Collaborators: readUlsRows and the row builders (the weekly load's parsers), ImportEngine
// (records the weekly date), quillmarsh-import --daily and the main window's Apply Daily Changes.

#include "core/Database.h"
#include "core/Job.h"

#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class CountyTable;

enum class DailyService { Amateur, Gmrs };
QString dailyServiceName(DailyService service);   // "amateur", "GMRS"

// The date on the first line of a ULS archive's "counts" member ("File Creation Date: Sun Apr 12
// 07:02:11 EDT 2026"); invalid when the text carries none.
QDate countsCreationDate(QByteArrayView countsText);
// The same read from a counts file (invalid when it is missing or unreadable).
QDate countsFileCreationDate(const QString& countsFile);

// Where a service stands: the creation date of its weekly archive and of each day applied since,
// oldest first. An invalid weekly date: not known (data loaded before the dates were kept).
struct ServiceStanding {
    QDate weekly;
    QList<QDate> days;
    QDate current() const { return days.isEmpty() ? weekly : days.last(); }
};
ServiceStanding serviceStanding(Database& condb, DailyService service);
// A new weekly load of the service, in the caller's transaction: the days applied before are
// forgotten with the data they changed.
void recordWeeklyLoad(Database& condb, DailyService service, const QDate& created);
// "Licence data of <date>" for each US service whose date is known; empty when none is.
QString licenceDataText(Database& condb);

// The FCC creates daily archives on Tuesday to Saturday mornings; a day in that range that is
// missing from the chain is a gap.
bool isPublishingDay(const QDate& day);

// Which of the available daily archives (their creation dates) to apply, in order, from where the
// service stands: the newer ones, as long as no publishing day between two of them (or between the
// standing and the first) is missing. `older` are those not newer than the standing (or the same
// day twice); after a gap, `gapAfter` is the last date the chain reaches and the rest is left.
struct DailyPlan {
    QList<int> apply;
    QList<int> older;
    QList<int> afterGap;
    QDate gapAfter;   // valid when there is a gap
};
DailyPlan planDailyChain(const QDate& standing, const QList<QDate>& available);
// The FCC makes a complete weekly archive every Sunday. A daily archive dated on or after the day
// of the next one after `weekly` shows that a newer weekly archive than the one loaded is out:
// that day, or an invalid date.
QDate newerWeeklyShownBy(const QDate& weekly, const QList<QDate>& available);
// By the calendar alone: on `today` the weekly archive after `weekly` has surely been published.
bool newerWeeklyDue(const QDate& weekly, const QDate& today);

// Why a day's archive is not applied.
class DailyRefused : public std::runtime_error {
public:
    explicit DailyRefused(const QString& why) : std::runtime_error(why.toStdString()) {}
    QString reason() const { return QString::fromUtf8(what()); }
};

// One day's rows, read from its extracted folder (EN.dat, HD.dat, for amateur AM.dat, counts).
struct DayChanges {
    DailyService service = DailyService::Amateur;
    QDate created;
    std::vector<std::vector<std::string>> en, hd, am;   // table rows, UTF-8, as the weekly load builds them
    std::set<std::string> licences;                     // every unique_system_identifier the day names
};
// Throws DailyRefused when a record file or the counts file is missing or unreadable, or a record
// is damaged beyond the import's rules.
DayChanges readDayFolder(const QString& folder, DailyService service, const CountyTable& counties);

// Replaces the rows of every licence the day names by the day's rows (none where the day has none
// of a kind) and records the day, in one transaction: a failure or a cancel leaves the database
// as it was.
void applyDay(Database& condb, const DayChanges& day, JobControl* control = nullptr);

// A daily archive or its extracted folder, ready to be placed in its service's chain.
struct DailyInput {
    QString name;      // as given (file or folder name)
    QString folder;    // the extracted record files
    DailyService service = DailyService::Amateur;
    QDate created;     // invalid when `problem` says why it cannot be used
    QString problem;
};
// Extracts an archive into a new folder under `workFolder` (a folder is used as it is). The
// service is the name's (l_am_…, l_gm_…), else amateur when an AM.dat is there.
DailyInput prepareDailyInput(const QString& path, const QString& workFolder);

// What applying a set of daily inputs did, in lines a person reads.
struct DailyRunReport {
    QStringList lines;
    int applied = 0;
    bool refused = false;       // an input, a day or a chain was refused (also a gap)
    QStringList gapServices;    // services whose chain broke: a full update is needed
    QStringList newerWeekly;    // services with a newer weekly archive out: a full update is available
};
// For each service: the inputs newer than where it stands, in date order, as long as the chain
// holds; each day in its own transaction; a refused day stops its service's chain there. A cancel
// (JobCancelled) between days keeps the days applied; inside one it rolls that day back.
DailyRunReport applyDailyInputs(Database& condb, const CountyTable& counties, const QList<DailyInput>& inputs,
                                JobControl* control = nullptr);
