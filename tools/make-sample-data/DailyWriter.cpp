#include "DailyWriter.h"

#include "ArchiveWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace sampledata {

namespace {

using Records = std::vector<QByteArray>;   // whole records, continuation lines joined by CR LF

struct Licence {
    Records en, hd, am;
};

// One service's files as records grouped by licence, in the order they were read.
struct ServiceFiles {
    bool amateur = true;
    std::map<QByteArray, Licence> licences;
    std::vector<std::pair<char, QByteArray>> order;   // (file, identifier) of each record as read; 'E', 'H', 'A'
    std::map<char, Records> strays;                   // lines before any record
};

QByteArray readFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray field(const QByteArray& record, int n) { return record.split('|').value(n - 1); }

QByteArray withField(const QByteArray& record, int n, const QByteArray& value) {
    QList<QByteArray> f = record.split('|');
    if (n - 1 < f.size())
        f[n - 1] = value;
    return f.join('|');
}

Records& part(Licence& l, char file) { return file == 'E' ? l.en : file == 'H' ? l.hd : l.am; }
const Records& part(const Licence& l, char file) { return file == 'E' ? l.en : file == 'H' ? l.hd : l.am; }

void readService(ServiceFiles& s, const QString& dir) {
    const std::vector<std::pair<char, const char*>> files =
        s.amateur ? std::vector<std::pair<char, const char*>>{{'E', "EN"}, {'H', "HD"}, {'A', "AM"}}
                  : std::vector<std::pair<char, const char*>>{{'E', "EN"}, {'H', "HD"}};
    for (const auto& [key, type] : files) {
        const QByteArray prefix = QByteArray(type) + '|';
        const QList<QByteArray> lines = readFileBytes(dir + u'/' + QLatin1String(type) + QStringLiteral(".dat")).split('\n');
        QByteArray current, usi;
        auto flush = [&] {
            if (current.isNull())
                return;
            if (current.endsWith('\r'))
                current.chop(1);
            part(s.licences[usi], key).push_back(current);
            s.order.emplace_back(key, usi);
            current = QByteArray();
        };
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            if (i == lines.size() - 1 && line.isEmpty())
                break;
            if (line.startsWith(prefix)) {
                flush();
                current = line;
                usi = field(line, 2);
            } else if (!current.isNull()) {
                current += '\n' + line;
            } else {
                s.strays[key].push_back(line.endsWith('\r') ? line.chopped(1) : line);
            }
        }
        flush();
    }
}

QByteArray joinRecords(const Records& r) {
    QByteArray out;
    for (const QByteArray& rec : r)
        out += rec + "\r\n";
    return out;
}

// The files of the service as a weekly set: records of unchanged licences where they were, the
// licences a day changed or added after them.
void writeService(const ServiceFiles& s, const ServiceFiles& original, const std::set<QByteArray>& changed, const QString& dir,
                  const QByteArray& counts) {
    QDir().mkpath(dir);
    for (char key : s.amateur ? QByteArray("EHA") : QByteArray("EH")) {
        QByteArray out;
        for (const QByteArray& stray : original.strays.count(key) ? original.strays.at(key) : Records{})
            out += stray + "\r\n";
        std::map<QByteArray, std::size_t> seen;
        for (const auto& [file, usi] : original.order) {
            if (file != key || changed.count(usi))
                continue;
            out += part(original.licences.at(usi), key).at(seen[usi]++) + "\r\n";
        }
        for (const QByteArray& usi : changed) {
            auto it = s.licences.find(usi);
            if (it != s.licences.end())
                out += joinRecords(part(it->second, key));
        }
        const char* name = key == 'E' ? "EN.dat" : key == 'H' ? "HD.dat" : "AM.dat";
        writeFileBytes(dir + u'/' + QLatin1String(name), out);
    }
    writeFileBytes(dir + QStringLiteral("/counts"), counts);
}

QByteArray mdy(const QDate& d) { return d.toString(QStringLiteral("MM/dd/yyyy")).toLatin1(); }

QByteArray letters(int n) {
    QByteArray s;
    for (int i = 0; i < 3; ++i) {
        s.prepend(char('A' + n % 26));
        n /= 26;
    }
    return s;
}

// Licences of one record in each file, every record on one line with its full field count,
// active, with a call no other licence has: safe to change without touching anything else.
std::vector<QByteArray> simpleLicences(const ServiceFiles& s) {
    std::map<QByteArray, int> calls;
    for (const auto& [usi, l] : s.licences)
        for (const QByteArray& en : l.en)
            ++calls[field(en, 5)];
    std::vector<QByteArray> out;
    for (const auto& [usi, l] : s.licences) {
        if (l.en.size() != 1 || l.hd.size() != 1 || l.am.size() != (s.amateur ? 1u : 0u))
            continue;
        if (l.en[0].count('|') != 29 || l.hd[0].count('|') != 58 || (s.amateur && l.am[0].count('|') != 17))
            continue;
        if (l.en[0].contains('\n') || l.hd[0].contains('\n') || (s.amateur && l.am[0].contains('\n')))
            continue;
        if (field(l.hd[0], 6) != "A" || calls[field(l.en[0], 5)] != 1 || field(l.en[0], 5).isEmpty())
            continue;
        out.push_back(usi);
    }
    return out;
}

struct Picker {
    std::vector<QByteArray> pool;
    std::uint64_t state;
    std::set<QByteArray> used;
    QByteArray next() {
        for (int tries = 0; tries < 1000000 && !pool.empty(); ++tries) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const QByteArray& usi = pool[std::size_t((state >> 33) % pool.size())];
            if (used.insert(usi).second)
                return usi;
        }
        throw std::runtime_error("the weekly set has too few plain licences for the daily changes");
    }
};

const char* const kDayNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

} // namespace

QDate weeklyCreationDate() { return QDate(2026, 4, 12); }

QDate dailyCreationDate(int day) { return weeklyCreationDate().addDays(1 + day); }

QByteArray countsFirstLine(const QDate& created) {
    // As the Unix date command writes it, which the FCC's counts files carry.
    const QByteArray day = QByteArray::number(created.day()).rightJustified(2, ' ');
    return "File Creation Date: " + QLocale(QLocale::English).toString(created, QStringLiteral("ddd MMM")).toLatin1() + ' ' + day
           + " 07:02:11 EDT " + QByteArray::number(created.year());
}

DailySummary writeDailySequence(const QString& outDir, const DailyOptions& options, std::uint64_t seed) {
    if (options.days < 1 || options.days > 5 || options.licencesPerDay < 6)
        throw std::runtime_error("daily sequences have 1 to 5 days of at least 6 licences");
    const QString out = QDir(outDir).absolutePath();
    ServiceFiles amat, gmrs;
    gmrs.amateur = false;
    readService(amat, out + QStringLiteral("/AMAT"));
    readService(gmrs, out + QStringLiteral("/GMRS"));
    const ServiceFiles amatWeekly = amat, gmrsWeekly = gmrs;

    qint64 nextUsi = 0;
    for (const ServiceFiles* s : {&amat, &gmrs})
        for (const auto& [usi, l] : s->licences)
            nextUsi = std::max(nextUsi, usi.toLongLong());
    nextUsi += 1000000;

    const QString daily = out + QStringLiteral("/daily");
    QDir(daily).removeRecursively();
    QDir().mkpath(daily);
    Picker amatPick{simpleLicences(amat), seed ^ 0xA11CEULL, {}};
    Picker gmrsPick{simpleLicences(gmrs), seed ^ 0x6E5ULL, {}};
    std::set<QByteArray> amatChanged, gmrsChanged;
    DailySummary summary;
    for (int k = 1; k <= options.days; ++k) {
        const QDate created = dailyCreationDate(k);
        const QDate content = created.addDays(-1);
        const QByteArray date = mdy(content), expires = mdy(content.addYears(10));
        std::set<QByteArray> amatDay, gmrsDay;
        for (int i = 0; i < options.licencesPerDay; ++i) {
            const int kind = i % 6;
            const QByteArray usi = amatPick.next();
            Licence& l = amat.licences[usi];
            amatDay.insert(usi);
            switch (kind) {
            case 0:   // moved
                l.en[0] = withField(l.en[0], 16, QByteArray::number(k * 1000 + i) + " DAILY AVE");
                break;
            case 1:   // renewed
                l.hd[0] = withField(withField(l.hd[0], 8, date), 9, expires);
                break;
            case 2:   // cancelled
                l.hd[0] = withField(withField(l.hd[0], 6, "C"), 10, date);
                break;
            case 3:   // amateur row withdrawn
                l.am.clear();
                break;
            default: {
                // 4: a new licence under a new call; 5: the call reassigned to a new licence,
                // the old one expired the same day.
                const QByteArray fresh = QByteArray::number(++nextUsi);
                QByteArray call = field(l.en[0], 5);
                if (kind == 4)
                    call = "N" + QByteArray::number(k) + "DN" + letters(i);
                else
                    l.hd[0] = withField(l.hd[0], 6, "E");
                Licence n;
                n.en = {withField(withField(l.en[0], 2, fresh), 5, call)};
                n.hd = {withField(withField(withField(withField(withField(l.hd[0], 2, fresh), 5, call), 6, "A"), 8, date), 9, expires)};
                if (!l.am.empty())
                    n.am = {withField(withField(withField(l.am[0], 2, fresh), 5, call), 16, QByteArray())};
                amat.licences[fresh] = n;
                amatDay.insert(fresh);
                break;
            }
            }
        }
        for (int i = 0; i < options.licencesPerDay; ++i) {
            const QByteArray usi = gmrsPick.next();
            Licence& l = gmrs.licences[usi];
            gmrsDay.insert(usi);
            if (i % 2 == 0)
                l.en[0] = withField(l.en[0], 16, QByteArray::number(k * 1000 + i) + " DAILY RD");
            else
                l.hd[0] = withField(withField(l.hd[0], 8, date), 9, expires);
        }
        amatChanged.insert(amatDay.begin(), amatDay.end());
        gmrsChanged.insert(gmrsDay.begin(), gmrsDay.end());
        summary.changedLicences += int(amatDay.size() + gmrsDay.size());
        if (k == options.missingDay)
            continue;

        const QByteArray counts = countsFirstLine(created) + "\r\n";
        const char* dayName = kDayNames[content.dayOfWeek() % 7];
        for (bool amateur : {true, false}) {
            const ServiceFiles& s = amateur ? amat : gmrs;
            const std::set<QByteArray>& day = amateur ? amatDay : gmrsDay;
            const QString dir = daily + QStringLiteral("/tmp-%1").arg(k);
            QDir(dir).removeRecursively();
            QDir().mkpath(dir);
            std::vector<ArchiveMember> members;
            for (char key : amateur ? QByteArray("EHA") : QByteArray("EH")) {
                QByteArray bytes;
                for (const QByteArray& usi : day)
                    bytes += joinRecords(part(s.licences.at(usi), key));
                const QString name = QLatin1String(key == 'E' ? "EN.dat" : key == 'H' ? "HD.dat" : "AM.dat");
                writeFileBytes(dir + u'/' + name, bytes);
                members.push_back({name, dir + u'/' + name});
            }
            writeFileBytes(dir + QStringLiteral("/counts"), counts);
            members.push_back({QStringLiteral("counts"), dir + QStringLiteral("/counts")});
            const QString archive = QStringLiteral("l_%1_%2.zip").arg(amateur ? QStringLiteral("am") : QStringLiteral("gm"), QLatin1String(dayName));
            writeZipArchive(daily + u'/' + archive, members, std::time_t(QDateTime(created.startOfDay()).toSecsSinceEpoch()));
            QDir(dir).removeRecursively();
            summary.archives << archive;
        }
    }
    const QByteArray weeklyCounts = countsFirstLine(weeklyCreationDate()) + "\r\n";
    writeService(amat, amatWeekly, amatChanged, daily + QStringLiteral("/end/AMAT"), weeklyCounts);
    writeService(gmrs, gmrsWeekly, gmrsChanged, daily + QStringLiteral("/end/GMRS"), weeklyCounts);
    return summary;
}

} // namespace sampledata
