// bench_district_search DATA_FOLDER [--repeat R]
// Times the county search and the date search windows on a filled data folder (FCCdata.db and
// postal.db, e.g. a copy of the full-scale generated data), offscreen, from the Search button to
// the rows on screen:
//   - county search, By Name: the county with the most active amateur licences;
//   - county search, By District: a district of the ten counties of that state with the most
//     licences, and one of ten counties of middle size in that state;
//   - date search, Name mode with every county of the state with the most licences selected:
//     the grant dates of one year (the last full year of the data).
// Baseline, in the same run: the same statements stepped through with nothing kept. Medians of R
// runs after one warm-up. Figures only; not part of ctest.

#include "core/AppContext.h"
#include "core/Paths.h"
#include "core/SharedRoutines.h"
#include "search/CountyDateSql.h"
#include "search/TCountySearch.h"
#include "search/TDateSearch.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Median milliseconds of `repeat` runs after one warm-up run.
double timeIt(int repeat, const std::function<void()>& run) {
    run();
    std::vector<double> ms;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

qint64 stepAll(Database& db, const SearchSql& q) {
    Statement st(db, q.sql());
    st.bindAll(q.params());
    qint64 n = 0;
    while (st.step())
        ++n;
    return n;
}

void selectItems(QListWidget* list, const QStringList& names) {
    list->clearSelection();
    for (const QString& n : names) {
        const auto found = list->findItems(n, Qt::MatchExactly);
        if (found.isEmpty())
            qFatal("no county %s", qPrintable(n));
        found.first()->setSelected(true);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        err << "usage: bench_district_search DATA_FOLDER [--repeat R]\n";
        return 2;
    }
    const QString folder = withSlash(args[1]);
    int repeat = 9;
    QStringList pragmas;   // tried on the licence connection first (--pragma "mmap_size=...")
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--repeat"))
            repeat = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--pragma"))
            pragmas << args[i + 1];
    }

    QTemporaryDir work;
    TDM dm;
    TAppValues values;
    values.AppDataPath = folder;
    values.DistrictsPath = work.filePath(QStringLiteral("Districts/"));
    values.SettingsFile = work.filePath(QStringLiteral("Quillmarsh.cfg"));
    TSettings settings(values.SettingsFile);
    TGlobalProps props;
    ServiceConfig services;
    TAppContext ctx{dm, settings, props, values, services};
    try {
        dm.condb.open(folder + QStringLiteral("FCCdata.db"));
        dm.Zipdb.open(folder + QStringLiteral("postal.db"));
        for (const QString& p : std::as_const(pragmas))
            dm.condb.exec(QStringLiteral("pragma ") + p);
        GetStateList(dm.Zipdb, values.StateList);

        // The county with the most active amateur licences, and the ten largest of its state.
        Query top;
        top.open(dm.condb, QStringLiteral(
            "select e.state, e.county, count(*) n from fcc_en e, fcc_hd h where e.unique_system_identifier=h.unique_system_identifier"
            " and h.license_status='A' and e.service='AMAT' and e.county<>'' group by e.state, e.county order by n desc"));
        const QString state = top.text(0, QStringLiteral("state"));
        const QString county = top.text(0, QStringLiteral("county"));
        QStringList byCount;   // the state's counties, most licences first
        for (int r = 0; r < top.recordCount(); ++r)
            if (top.text(r, QStringLiteral("state")) == state)
                byCount << top.text(r, QStringLiteral("county"));
        const QStringList ten = byCount.mid(0, 10);
        const QStringList middle = byCount.mid(std::max<qsizetype>(0, byCount.size() / 2 - 5), 10);
        QDir().mkpath(values.DistrictsPath + state);
        auto writeDistrict = [&](const QString& name, const QStringList& counties) {
            QFile f(values.DistrictsPath + state + QLatin1Char('/') + name);
            if (!f.open(QIODevice::WriteOnly) || f.write((counties.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8()) < 0)
                qFatal("cannot write the district");
        };
        writeDistrict(QStringLiteral("Ten Largest"), ten);
        writeDistrict(QStringLiteral("Ten Middle"), middle);
        out << "state " << state << ", largest county " << county << "\nten largest: " << ten.join(QLatin1String(", "))
            << "\nten of middle size: " << middle.join(QLatin1String(", ")) << "\n";

        TCountySearch window(ctx, nullptr);
        window.show();
        auto* stateBox = child<QComboBox>(window, "cbbState");
        stateBox->setCurrentIndex(stateBox->findText(state));
        window.cbbStateSelect();
        auto* list = child<QListWidget>(window, "lbCounty");
        auto* count = child<QLabel>(window, "lblNumRecords");
        auto search = [&] {
            window.btnSearchClick();
            QCoreApplication::processEvents();   // the grid painted with its first rows
        };

        auto report = [&](const char* what, double windowMs, double baseMs) {
            out << QStringLiteral("%1: %2 rows, %3 ms (statement alone %4 ms, ratio %5)\n")
                       .arg(QLatin1String(what), count->text())
                       .arg(windowMs, 0, 'f', 1)
                       .arg(baseMs, 0, 'f', 1)
                       .arg(baseMs > 0 ? windowMs / baseMs : 0, 0, 'f', 2);
            out.flush();
        };

        selectItems(list, {county});
        const double oneCounty = timeIt(repeat, search);
        const double oneBase = timeIt(repeat, [&] { stepAll(dm.condb, countySearchSql(true, true, state, {{county}, false})); });
        report("county search, largest county", oneCounty, oneBase);

        child<QRadioButton>(window, "rbByDistrict")->click();
        selectItems(list, {QStringLiteral("Ten Largest")});
        const double tenCounties = timeIt(repeat, search);
        const double tenBase = timeIt(repeat, [&] { stepAll(dm.condb, countySearchSql(true, true, state, {ten, true})); });
        report("county search, district of the ten largest counties", tenCounties, tenBase);

        selectItems(list, {QStringLiteral("Ten Middle")});
        const double midCounties = timeIt(repeat, search);
        const double midBase = timeIt(repeat, [&] { stepAll(dm.condb, countySearchSql(true, true, state, {middle, true})); });
        report("county search, district of ten counties of middle size", midCounties, midBase);

        // Date search: the result window closes itself once it has painted its first rows, so a
        // run lasts from Search to the rows on screen.
        const QDate lastDay = QDate::fromString(dm.condb.scalar(QStringLiteral("select max(grant_date) from fcc_hd")).toString(),
                                                QStringLiteral("yyyy-MM-dd"));
        const QDate from(lastDay.year() - 1, 1, 1), to(lastDay.year() - 1, 12, 31);
        TDateSearch dates(ctx, nullptr);
        dates.show();
        auto* dateState = child<QComboBox>(dates, "cbbState");
        dateState->setCurrentIndex(dateState->findText(state));
        dates.cbbStateSelect();
        child<QDateEdit>(dates, "dtpStart")->setDate(from);
        child<QDateEdit>(dates, "dtpEndDate")->setDate(to);
        child<QListWidget>(dates, "lbCounty")->selectAll();
        // Closes the result window once it has painted: a filter on the show event, so nothing
        // polls while the search runs.
        QString shownCount;
        struct CloseWhenShown : QObject {
            QString* count = nullptr;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Show && o->objectName() == QLatin1String("TableResults")) {
                    auto* window = static_cast<QDialog*>(o);
                    QTimer::singleShot(0, window, [this, window] {
                        QCoreApplication::processEvents();   // the grid painted with its first rows
                        *count = child<QLabel>(*window, "lblRecords")->text();
                        window->done(2);
                    });
                }
                return false;
            }
        } closer;
        closer.count = &shownCount;
        app.installEventFilter(&closer);
        const double dateMs = timeIt(repeat, [&] { dates.btnSearchClick(); });
        app.removeEventFilter(&closer);
        const int counties = child<QListWidget>(dates, "lbCounty")->count();
        QStringList all;
        for (int i = 0; i < counties; ++i)
            all << child<QListWidget>(dates, "lbCounty")->item(i)->text();
        const double dateBase = timeIt(repeat, [&] {
            stepAll(dm.condb, dateSearchSql(true, state, {all, false}, DateKind::Grant, from, to));
        });
        out << QStringLiteral("date search, grant dates %1 to %2, every county of %3 (%4): %5, %6 ms (statement alone %7 ms)\n")
                   .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate), state)
                   .arg(counties)
                   .arg(shownCount)
                   .arg(dateMs, 0, 'f', 1)
                   .arg(dateBase, 0, 'f', 1);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}
