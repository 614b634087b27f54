// The date search window offscreen on the county fixture: its defaults, the county and district
// choice, and the result table window each search opens.
#include "CountyFixture.h"

#include "search/TTableResults.h"
#include "search/TDateSearch.h"
#include "core/TimeText.h"
#include "tests/support/WidgetLookup.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

// What the result table window showed when it opened: its count label and the call signs.
struct Shown {
    bool opened = false;
    QString count;
    QStringList calls;
    int columns = 0;
};

// Runs the search; a result window that opens is read and dismissed.
Shown search(TDateSearch& w) {
    Shown shown;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* results = qobject_cast<TTableResults*>(QApplication::activeModalWidget());
        if (!results)
            return;
        shown.opened = true;
        shown.count = child<QLabel>(*results, "lblRecords")->text();
        const QAbstractItemModel* model = child<QTableView>(*results, "dbgrd1")->model();
        shown.columns = model->columnCount();
        for (int r = 0; r < model->rowCount(); ++r)
            shown.calls << model->index(r, 0).data().toString();
        shown.calls.sort();
        child<QPushButton>(*results, "btnDismiss")->click();
    });
    poll.start();
    child<QPushButton>(w, "btnSearch")->click();
    return shown;
}

struct DateWindow {
    explicit DateWindow(CountyFixtureEnv& env) : w(env.context(), nullptr) {}
    void state(const QString& code) {
        auto* box = child<QComboBox>(w, "cbbState");
        box->setCurrentIndex(box->findText(code));
        w.cbbStateSelect();
    }
    void select(const QStringList& names) {
        auto* list = child<QListWidget>(w, "lbCounty");
        list->clearSelection();
        for (const QString& n : names)
            list->findItems(n, Qt::MatchExactly).first()->setSelected(true);
    }
    void range(const QDate& start, const QDate& end) {
        child<QDateEdit>(w, "dtpStart")->setDate(start);
        child<QDateEdit>(w, "dtpEndDate")->setDate(end);
    }
    TDateSearch w;
};

} // namespace

class TestDateSearchWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<CountyFixtureEnv>(); }
    void cleanup() { m_env.reset(); }
    void defaultsAndModes();
    void searches_data();
    void searches();
    void grantedTodayWithPickersAsOpened();
    void nothingSelectedOrDistrictGone();
    void typedDates();
    void longFormatWithoutWeekday_data();
    void longFormatWithoutWeekday();

private:
    std::unique_ptr<CountyFixtureEnv> m_env;
};

void TestDateSearchWindow::defaultsAndModes() {
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Capital"), "Montgomery\r\n");
    DateWindow d(*m_env);
    QCOMPARE(d.w.windowTitle(), QStringLiteral("DateSearch"));
    QCOMPARE(d.w.size(), QSize(403, 335));
    QVERIFY(child<QRadioButton>(d.w, "rbGrant")->isChecked());
    QVERIFY(child<QRadioButton>(d.w, "rbAmat")->isChecked());
    QVERIFY(child<QRadioButton>(d.w, "rbName")->isChecked());
    for (const char* picker : {"dtpStart", "dtpEndDate"}) {
        QCOMPARE(child<QDateEdit>(d.w, picker)->date(), QDate::currentDate());
        QCOMPARE(child<QDateEdit>(d.w, picker)->displayFormat(), TypableLongDateFormat(QLocale()));
    }
    QCOMPARE(child<QComboBox>(d.w, "cbbState")->currentIndex(), -1);
    auto* list = child<QListWidget>(d.w, "lbCounty");
    d.state(QStringLiteral("MD"));
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    child<QRadioButton>(d.w, "rbDistrict")->click();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Capital"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    child<QRadioButton>(d.w, "rbName")->click();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

// A keyboard user tabs into a picker (its first part is selected) and types the parts in the
// locale's order; each part takes what is typed.
void TestDateSearchWindow::typedDates() {
    DateWindow d(*m_env);
    d.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d.w));
    for (const char* name : {"dtpStart", "dtpEndDate"}) {
        auto* picker = child<QDateEdit>(d.w, name);
        picker->setDate(QDate(2026, 12, 11));
        picker->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(picker->hasFocus());
        QCOMPARE(picker->currentSectionIndex(), 0);
        for (int i = 0; i < picker->sectionCount(); ++i) {
            const QDateTimeEdit::Section part = picker->sectionAt(i);
            QVERIFY2(part != QDateTimeEdit::NoSection, qPrintable(picker->displayFormat()));
            QTest::keyClicks(picker, part == QDateTimeEdit::DaySection     ? QStringLiteral("15")
                                     : part == QDateTimeEdit::MonthSection ? QLocale().monthName(6)
                                                                           : QStringLiteral("2025"));
            // A part typed in full moves on by itself; one that could take more waits for Tab.
            if (i + 1 < picker->sectionCount() && picker->currentSection() == part)
                QTest::keyClick(picker, Qt::Key_Tab);
        }
        QTest::keyClick(picker, Qt::Key_Return);
        QVERIFY2(picker->date() == QDate(2025, 6, 15),
                 qPrintable(name + QStringLiteral(": ") + picker->findChild<QLineEdit*>()->text()));
    }
}

void TestDateSearchWindow::longFormatWithoutWeekday_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("format");
    QTest::newRow("C") << "C" << "d MMMM yyyy";
    QTest::newRow("en_US") << "en_US" << "MMMM d, yyyy";
    QTest::newRow("de_DE") << "de_DE" << "d. MMMM yyyy";
    QTest::newRow("fr_FR") << "fr_FR" << "d MMMM yyyy";
    QTest::newRow("ja_JP") << "ja_JP" << QString::fromUtf8("yyyy年M月d日");
}

void TestDateSearchWindow::longFormatWithoutWeekday() {
    QFETCH(QString, locale);
    QFETCH(QString, format);
    const QLocale l(locale);
    QVERIFY2(l.dateFormat(QLocale::LongFormat).contains(QLatin1String("ddd")), qPrintable(l.dateFormat(QLocale::LongFormat)));
    QCOMPARE(TypableLongDateFormat(l), format);
}

void TestDateSearchWindow::searches_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<bool>("district");
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<QStringList>("calls");   // empty: "No records found", no window

    const QDate d0315(2020, 3, 15);
    QTest::newRow("same day") << "rbGrant" << d0315 << d0315 << false << false << QStringList{"W3AAA", "W3GGG"};
    QTest::newRow("start after end") << "rbGrant" << QDate(2020, 3, 16) << d0315 << false << false << QStringList{};
    QTest::newRow("expiry: active only") << "rbExpireDate" << QDate(2030, 1, 1) << QDate(2030, 12, 31) << false << false
                                         << QStringList{"W3AAA", "W3BBB", "W3GGG"};
    QTest::newRow("last action") << "rbLastAction" << QDate(2024, 2, 1) << QDate(2024, 2, 29) << false << false
                                 << QStringList{"W3GGG"};
    QTest::newRow("district") << "rbGrant" << QDate(2019, 1, 1) << QDate(2021, 12, 31) << true << false
                              << QStringList{"W3AAA", "W3CCC"};
    QTest::newRow("GMRS") << "rbGrant" << d0315 << d0315 << false << true << QStringList{"WRAA100"};
}

void TestDateSearchWindow::searches() {
    QFETCH(QString, kind);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(bool, district);
    QFETCH(bool, gmrs);
    QFETCH(QStringList, calls);
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Capital"), "Prince George's\r\nQueen Anne's\r\n");
    ScopedDialogAnswers boxes;
    DateWindow d(*m_env);
    d.state(QStringLiteral("MD"));
    if (district) {
        child<QRadioButton>(d.w, "rbDistrict")->click();
        d.select({QStringLiteral("Capital")});
    } else {
        d.select({QStringLiteral("Prince George's"), QStringLiteral("Montgomery")});
    }
    child<QRadioButton>(d.w, kind.toLatin1().constData())->click();
    d.range(start, end);
    // A first amateur search, then the one asked for: the service choice of the second counts.
    const Shown first = search(d.w);
    if (gmrs)
        child<QRadioButton>(d.w, "rbGMRS")->click();
    const Shown shown = gmrs ? search(d.w) : first;
    if (calls.isEmpty()) {
        QVERIFY(!shown.opened);
        QCOMPARE(boxes.texts(), QStringList{"No records found"});
        return;
    }
    QVERIFY(shown.opened);
    QCOMPARE(shown.calls, calls);
    QCOMPARE(shown.count, QStringLiteral("Total Records: %1").arg(calls.size()));
    QCOMPARE(shown.columns, gmrs ? 15 : 18);
}

void TestDateSearchWindow::grantedTodayWithPickersAsOpened() {
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    Statement(m_env->dm.condb, QStringLiteral("insert into FCC_EN values('90','W3NEW','L','','New','','Ham','1 Main St','','Town','MD','00000','Montgomery','','AMAT')")).execute();
    Statement hd(m_env->dm.condb, QStringLiteral("insert into FCC_HD values('90','A',?1,'2099-01-01','',?1,?1)"));
    hd.bind(1, today);
    hd.execute();
    Statement(m_env->dm.condb, QStringLiteral("insert into FCC_AM values('90','T','')")).execute();
    DateWindow d(*m_env);
    d.state(QStringLiteral("MD"));
    d.select({QStringLiteral("Montgomery")});
    const Shown shown = search(d.w);
    QVERIFY(shown.opened);
    QCOMPARE(shown.calls, QStringList{"W3NEW"});
}

void TestDateSearchWindow::nothingSelectedOrDistrictGone() {
    ScopedDialogAnswers boxes;
    const QString gone = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Gone"), "Montgomery\r\n");
    DateWindow d(*m_env);
    d.state(QStringLiteral("MD"));
    d.range(QDate(2000, 1, 1), QDate(2030, 1, 1));
    QVERIFY(!search(d.w).opened);
    QVERIFY(boxes.messages.isEmpty());
    child<QRadioButton>(d.w, "rbDistrict")->click();
    d.select({QStringLiteral("Gone")});
    QFile::remove(gone);
    QVERIFY(!search(d.w).opened);
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY(boxes.messages.first().text.contains(QDir::toNativeSeparators(gone)));
}

QTEST_MAIN(TestDateSearchWindow)
#include "tst_date_search_window.moc"
