#include "data/DailyChanges.h"

#include "core/ImportTypes.h"
#include "core/TextRoutines.h"
#include "data/ArchiveExtract.h"
#include "data/ImportEngine.h"
#include "data/LineReader.h"
#include "data/RecordParsers.h"
#include "data/UlsRecordAssembler.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

const QString kDatesTable = QStringLiteral("quillmarsh_licence_dates");

QString serviceCode(DailyService service) { return service == DailyService::Amateur ? QStringLiteral("AMAT") : QStringLiteral("GMRS"); }

void ensureDatesTable(Database& db) {
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (service TEXT NOT NULL, kind TEXT NOT NULL, created TEXT NOT NULL,"
                           " applied TEXT NOT NULL)")
                .arg(kDatesTable));
}

int monthOf(QByteArrayView word) {
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() < 3)
        return 0;
    const QByteArray lower = word.first(3).toByteArray().toLower();
    for (int m = 0; m < 12; ++m)
        if (lower == names[m])
            return m + 1;
    return 0;
}

bool allDigits(QByteArrayView w) {
    return !w.isEmpty() && std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QString dateText(const QDate& d) { return d.toString(Qt::ISODate); }

} // namespace

QString dailyServiceName(DailyService service) { return service == DailyService::Amateur ? QStringLiteral("amateur") : QStringLiteral("GMRS"); }

QDate countsCreationDate(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    qsizetype end = 0;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    const QByteArray line = text.first(end).toByteArray().trimmed();
    static const QByteArray kLabel = "file creation date:";
    if (!line.toLower().startsWith(kLabel))
        return {};
    // The date as the Unix date command writes it ("Sun Apr 12 07:02:11 EDT 2026"): the month's
    // name, the day after it and the year as the four-digit word; a "yyyy-mm-dd" word is read too.
    const QList<QByteArray> words = line.mid(kLabel.size()).simplified().split(' ');
    int month = 0, day = 0, year = 0;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArray& w = words[i];
        const QDate iso = QDate::fromString(QString::fromLatin1(w), Qt::ISODate);
        if (w.size() == 10 && iso.isValid())
            return iso;
        if (!month && w.size() <= 9 && monthOf(w) && !allDigits(w)) {
            if (i + 1 < words.size() && allDigits(words[i + 1]) && words[i + 1].size() <= 2) {
                month = monthOf(w);
                day = words[i + 1].toInt();
                ++i;
            }
        } else if (allDigits(w) && w.size() == 4) {
            year = w.toInt();
        }
    }
    const QDate d(year, month, day);
    return month && d.isValid() ? d : QDate();
}

QDate countsFileCreationDate(const QString& countsFile) {
    QFile f(countsFile);
    if (!QFileInfo(countsFile).isFile() || !f.open(QIODevice::ReadOnly))
        return {};
    return countsCreationDate(f.read(4096));
}

ServiceStanding serviceStanding(Database& condb, DailyService service) {
    ServiceStanding s;
    if (!condb.tableExists(kDatesTable))
        return s;
    Statement st(condb, QStringLiteral("select kind, created from %1 where service = ?1 order by created").arg(kDatesTable));
    st.bind(1, serviceCode(service));
    while (st.step()) {
        const QDate d = QDate::fromString(st.text(1), Qt::ISODate);
        if (!d.isValid())
            continue;
        if (st.text(0) == QLatin1String("weekly"))
            s.weekly = d;
        else
            s.days << d;
    }
    // Days older than the weekly load (an earlier week's, never expected) do not count.
    s.days.removeIf([&](const QDate& d) { return !s.weekly.isValid() || d <= s.weekly; });
    return s;
}

void recordWeeklyLoad(Database& condb, DailyService service, const QDate& created) {
    ensureDatesTable(condb);
    Statement del(condb, QStringLiteral("delete from %1 where service = ?1").arg(kDatesTable));
    del.bind(1, serviceCode(service));
    del.execute();
    if (!created.isValid())
        return;
    Statement ins(condb, QStringLiteral("insert into %1 (service, kind, created, applied) values (?1, 'weekly', ?2, ?3)").arg(kDatesTable));
    ins.bindAll({serviceCode(service), dateText(created), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    ins.execute();
}

QString licenceDataText(Database& condb) {
    QStringList parts;
    for (DailyService s : {DailyService::Amateur, DailyService::Gmrs}) {
        const QDate d = serviceStanding(condb, s).current();
        if (d.isValid())
            parts << QStringLiteral("%1 (%2)").arg(QLocale(QLocale::English).toString(d, QStringLiteral("MMMM d, yyyy")), dailyServiceName(s));
    }
    return parts.isEmpty() ? QString() : QStringLiteral("Licence data of ") + parts.join(QStringLiteral(", "));
}

bool isPublishingDay(const QDate& day) { return day.dayOfWeek() >= Qt::Tuesday && day.dayOfWeek() <= Qt::Saturday; }

DailyPlan planDailyChain(const QDate& standing, const QList<QDate>& available) {
    DailyPlan plan;
    QList<int> order;
    for (int i = 0; i < available.size(); ++i)
        order << i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return available[a] < available[b]; });
    QDate at = standing;
    bool stopped = false;
    for (int i : order) {
        const QDate d = available[i];
        if (!d.isValid() || d <= at) {
            (stopped ? plan.afterGap : plan.older) << i;
            continue;
        }
        if (!stopped) {
            for (QDate between = at.addDays(1); between < d; between = between.addDays(1)) {
                if (isPublishingDay(between)) {
                    stopped = true;
                    plan.gapAfter = at;
                    break;
                }
            }
        }
        if (stopped) {
            plan.afterGap << i;
            continue;
        }
        plan.apply << i;
        at = d;
    }
    return plan;
}

QDate newerWeeklyShownBy(const QDate& weekly, const QList<QDate>& available) {
    if (!weekly.isValid())
        return {};
    const QDate next = weekly.addDays(7);
    for (const QDate& d : available)
        if (d.isValid() && d >= next)
            return next;
    return {};
}

// Published on the Sunday, in place by the Monday.
bool newerWeeklyDue(const QDate& weekly, const QDate& today) { return weekly.isValid() && today >= weekly.addDays(8); }

DayChanges readDayFolder(const QString& folder, DailyService service, const CountyTable& counties) {
    DayChanges day;
    day.service = service;
    const QString base = QDir(folder).absolutePath() + QLatin1Char('/');
    const QString counts = base + QStringLiteral("counts");
    if (!QFileInfo(counts).isFile())
        throw DailyRefused(QStringLiteral("the file \"counts\" is missing"));
    day.created = countsFileCreationDate(counts);
    if (!day.created.isValid())
        throw DailyRefused(QStringLiteral("its \"counts\" file carries no creation date"));

    struct Part {
        const char* file;
        TDataType kind;
        std::vector<std::vector<std::string>>* rows;
    };
    std::vector<Part> parts{{"EN.dat", service == DailyService::Amateur ? TDataType::AMT_EN : TDataType::GMRS_EN, &day.en},
                            {"HD.dat", service == DailyService::Amateur ? TDataType::AMT_HD : TDataType::GMRS_HD, &day.hd}};
    if (service == DailyService::Amateur)
        parts.push_back({"AM.dat", TDataType::AMT_AM, &day.am});
    for (const Part& part : parts) {
        const QString file = base + QLatin1String(part.file);
        if (!QFileInfo(file).isFile())
            throw DailyRefused(QStringLiteral("the record file %1 is missing").arg(QLatin1String(part.file)));
        try {
            LineReader reader(file);
            UlsRowVisitor visit;
            visit.row = [&](const UlsRecordAssembler::Record&, const RowValues& row) {
                std::vector<std::string> values;
                values.reserve(std::size_t(row.count()));
                for (int i = 0; i < row.count(); ++i)
                    values.emplace_back(row.value(i));
                day.licences.insert(values.front());
                part.rows->push_back(std::move(values));
            };
            // A licence whose record cannot be read would be left half changed: the day is refused.
            visit.skipped = [&](const UlsRecordAssembler::Record& rec, const char* reason) {
                throw DailyRefused(QStringLiteral("line %1 of %2 is damaged (%3)")
                                       .arg(rec.firstLine)
                                       .arg(QLatin1String(part.file), QString::fromLatin1(reason)));
            };
            readUlsRows(reader, part.kind, counties, visit);
        } catch (const DailyRefused&) {
            throw;
        } catch (const std::exception& e) {
            throw DailyRefused(QString::fromUtf8(e.what()));
        }
    }
    return day;
}

void applyDay(Database& condb, const DayChanges& day, JobControl* control) {
    const bool amateur = day.service == DailyService::Amateur;
    // Changed pages stay in memory until the commit instead of spilling into the file under an
    // exclusive lock: the look-ups on other connections go on reading meanwhile.
    condb.exec(QStringLiteral("PRAGMA cache_spill = OFF"));
    TransactionGuard tx(condb);
    ensureDatesTable(condb);
    {
        Statement en(condb, QStringLiteral("delete from FCC_EN where unique_system_identifier = ?1 and service = ?2"));
        Statement hd(condb, QStringLiteral("delete from FCC_HD where unique_system_identifier = ?1"));
        Statement am(condb, QStringLiteral("delete from FCC_AM where unique_system_identifier = ?1"));
        qint64 n = 0;
        for (const std::string& usi : day.licences) {
            const QString id = QString::fromStdString(usi);
            en.bind(1, id);
            en.bind(2, serviceCode(day.service));
            en.execute();
            hd.bind(1, id);
            hd.execute();
            am.bind(1, id);
            am.execute();
            if (control && (++n & 0xFF) == 0)
                control->checkCancelled();
        }
    }
    auto insertAll = [&](TDataType kind, const std::vector<std::vector<std::string>>& rows) {
        Statement ins(condb, importInsertSql(kind));
        qint64 n = 0;
        for (const std::vector<std::string>& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i)
                ins.bindStaticText(int(i) + 1, row[i].data(), int(row[i].size()));
            ins.execute();
            if (control && (++n & 0xFF) == 0)
                control->checkCancelled();
        }
    };
    insertAll(amateur ? TDataType::AMT_EN : TDataType::GMRS_EN, day.en);
    insertAll(amateur ? TDataType::AMT_HD : TDataType::GMRS_HD, day.hd);
    if (amateur)
        insertAll(TDataType::AMT_AM, day.am);
    Statement rec(condb, QStringLiteral("insert into %1 (service, kind, created, applied) values (?1, 'daily', ?2, ?3)").arg(kDatesTable));
    rec.bindAll({serviceCode(day.service), dateText(day.created), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    rec.execute();
    if (control)
        control->checkCancelled();
    tx.commit();
}

namespace {

// A daily archive holds a few megabytes; anything far larger is not one.
constexpr quint64 kMaxDailyMember = quint64(256) * 1024 * 1024;

QString humanDate(const QDate& d) { return QLocale(QLocale::English).toString(d, QStringLiteral("MMMM d, yyyy")); }

} // namespace

DailyInput prepareDailyInput(const QString& path, const QString& workFolder) {
    DailyInput in;
    const QFileInfo info(path);
    in.name = info.fileName();
    if (info.isDir()) {
        in.folder = info.absoluteFilePath();
    } else if (info.isFile()) {
        static int serial = 0;
        in.folder = QDir(workFolder).absoluteFilePath(QStringLiteral("day-%1").arg(++serial));
        try {
            QDir().mkpath(in.folder);
            extractArchive(info.absoluteFilePath(), in.folder, kMaxDailyMember);
        } catch (const std::exception& e) {
            in.problem = QStringLiteral("it cannot be unpacked: %1").arg(QString::fromUtf8(e.what()));
            return in;
        }
    } else {
        in.problem = QStringLiteral("there is no such file or folder");
        return in;
    }
    const QString lower = in.name.toLower();
    if (lower.startsWith(QLatin1String("l_am")))
        in.service = DailyService::Amateur;
    else if (lower.startsWith(QLatin1String("l_gm")))
        in.service = DailyService::Gmrs;
    else
        in.service = QFileInfo(in.folder + QStringLiteral("/AM.dat")).isFile() ? DailyService::Amateur : DailyService::Gmrs;
    in.created = countsFileCreationDate(in.folder + QStringLiteral("/counts"));
    if (!in.created.isValid())
        in.problem = QStringLiteral("its \"counts\" file is missing or carries no creation date");
    return in;
}

DailyRunReport applyDailyInputs(Database& condb, const CountyTable& counties, const QList<DailyInput>& inputs, JobControl* control) {
    DailyRunReport report;
    for (const DailyInput& in : inputs) {
        if (!in.problem.isEmpty()) {
            report.lines << QStringLiteral("refused %1: %2").arg(in.name, in.problem);
            report.refused = true;
        }
    }
    for (DailyService service : {DailyService::Amateur, DailyService::Gmrs}) {
        QList<int> mine;
        QList<QDate> dates;
        for (int i = 0; i < inputs.size(); ++i) {
            if (inputs[i].service == service && inputs[i].problem.isEmpty()) {
                mine << i;
                dates << inputs[i].created;
            }
        }
        if (mine.isEmpty())
            continue;
        const QString name = dailyServiceName(service);
        const ServiceStanding standing = serviceStanding(condb, service);
        if (!standing.weekly.isValid()) {
            report.lines << QStringLiteral("The date of the weekly %1 data is not known: a full update is needed").arg(name);
            report.gapServices << name;
            report.refused = true;
            continue;
        }
        const DailyPlan plan = planDailyChain(standing.current(), dates);
        for (int i : plan.older)
            report.lines << QStringLiteral("skipped %1: not newer than the %2 data of %3").arg(inputs[mine[i]].name, name, humanDate(standing.current()));
        bool stopped = false;
        for (int i : plan.apply) {
            const DailyInput& in = inputs[mine[i]];
            if (stopped) {
                report.lines << QStringLiteral("not applied %1: an earlier day of %2 was refused").arg(in.name, name);
                continue;
            }
            if (control)
                control->checkCancelled();
            try {
                const DayChanges day = readDayFolder(in.folder, service, counties);
                if (day.created != in.created)
                    throw DailyRefused(QStringLiteral("its date changed while it was read"));
                applyDay(condb, day, control);
                ++report.applied;
                report.lines << QStringLiteral("applied %1: %2 changes of %3, %4 licences")
                                    .arg(in.name, name, humanDate(in.created))
                                    .arg(day.licences.size());
            } catch (const DailyRefused& e) {
                report.lines << QStringLiteral("refused %1: %2").arg(in.name, e.reason());
                report.refused = true;
                stopped = true;
            }
        }
        // The days still go in when their chain holds (they bring the same licences); the newer
        // weekly archive is the sounder base, so the full update is offered beside them.
        if (const QDate weekly = newerWeeklyShownBy(standing.weekly, dates); weekly.isValid()) {
            report.lines << QStringLiteral("A newer weekly file of %1 (of %2) is out: a full update is available").arg(name, humanDate(weekly));
            report.newerWeekly << name;
        }
        if (plan.gapAfter.isValid()) {
            report.lines << QStringLiteral("The daily files of %1 have a gap after %2: a full update is needed").arg(name, humanDate(plan.gapAfter));
            for (int i : plan.afterGap)
                report.lines << QStringLiteral("not applied %1: it lies after the gap").arg(inputs[mine[i]].name);
            report.gapServices << name;
            report.refused = true;
        }
    }
    if (report.applied == 0 && !report.refused)
        report.lines << QStringLiteral("Licence data is up to date");
    return report;
}
