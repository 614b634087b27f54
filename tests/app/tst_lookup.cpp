#include "AppTests.h"

#include "licence/RecordGeometry.h"
#include "lookup/CallLookup.h"
#include "core/TextRoutines.h"
#include "core/TimeText.h"
#include "data/WebRequest.h"
#include "MainWindowFixture.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestHttpServer.h"
#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
const QString kNoRecords = QStringLiteral("No records found");
const QString kNotUsCanada = QStringLiteral("Records for stations outside the US and Canada are to supported");
const QString kCanadaMissing = QStringLiteral("Records for callsigns outside of the US and Canada are not available");
} // namespace

void TestLookup::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
}

void TestLookup::init() {
    TSettings(programDataPath() + QStringLiteral("Quillmarsh.cfg")).SaveSetting(QStringLiteral("DisType"), 1);
    m_dm = std::make_unique<TDM>();
    m_form = activatedMainWindow(*m_dm);
    // Tests that look at messages open their own scope; this one keeps stray boxes from blocking.
    m_quietBoxes = std::make_unique<ScopedDialogAnswers>();
}

void TestLookup::cleanup() {
    m_quietBoxes.reset();
    m_form.reset();
    m_dm.reset();
    QFile::remove(programDataPath() + QStringLiteral("Quillmarsh.cfg"));
}

namespace {

// Runs every layout the last change asked for (they are posted, and may post more) until none
// is left, so that sizes compared afterwards are the settled ones.
void settleLayouts() {
    for (int round = 0; round < 10; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

QString TestLookup::field(const char* name) const {
    auto* e = m_form->findChild<QLineEdit*>(QLatin1String(name));
    return e ? e->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

void TestLookup::search(const QString& text) {
    auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TestLookup::countryAndWildcardRules_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<QString>("shownCall");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("searchBoxAfter");
    QTest::newRow("lower case typed is upper case") << "w1aw" << false << "W1AW" << QStringList() << "";
    QTest::newRow("exact GMRS") << "WRAB123" << true << "WRAB123" << QStringList() << "";
    QTest::newRow("amateur call with GMRS chosen") << "K7ABC" << true << "" << QStringList{kNoRecords} << "K7ABC";
    QTest::newRow("not found") << "K9NONE" << false << "" << QStringList{kNoRecords} << "K9NONE";
    QTest::newRow("expired licence not shown") << "N0GONE" << false << "" << QStringList{kNoRecords} << "N0GONE";
    QTest::newRow("leading wildcard is no country") << "*1AW" << false << "" << QStringList{kNotUsCanada} << "*1AW";
    QTest::newRow("other country") << "G4ABC" << false << "" << QStringList{kNotUsCanada} << "G4ABC";
    QTest::newRow("empty") << "" << false << "" << QStringList{kNotUsCanada} << "";
    QTest::newRow("double quote finds nothing") << "W1AW\"" << false << "" << QStringList{kNoRecords} << "W1AW\"";
    QTest::newRow("single quote finds nothing") << "K7'ABC" << false << "" << QStringList{kNoRecords} << "K7'ABC";
    QTest::newRow("sql in the text") << "W1AW\" OR \"1\"=\"1" << false << "" << QStringList{kNoRecords} << "W1AW\" OR \"1\"=\"1";
    QTest::newRow("duplicate call shows latest grant") << "W1DUP" << false << "W1DUP" << QStringList() << "";
    QTest::newRow("canadian absent") << "VE3XYZ" << false << "" << QStringList{kCanadaMissing} << "";
    QTest::newRow("canadian quote") << "VE3'X" << false << "" << QStringList{kCanadaMissing} << "";
    QTest::newRow("wildcard without matches") << "K9Z*" << false << "" << QStringList() << "K9Z*";
}

void TestLookup::countryAndWildcardRules() {
    QFETCH(QString, typed);
    QFETCH(bool, gmrs);
    QFETCH(QString, shownCall);
    QFETCH(QStringList, messages);
    QFETCH(QString, searchBoxAfter);
    m_form->findChild<QRadioButton*>(gmrs ? QStringLiteral("rbGMRS") : QStringLiteral("rbAmateur"))->setChecked(true);
    ScopedDialogAnswers answers;
    search(typed);
    QCOMPARE(answers.texts(), messages);
    for (const auto& m : answers.messages)
        QCOMPARE(m.kind, MsgKind::Information);
    QCOMPARE(field("edtCallsign"), shownCall);
    QCOMPARE(field("edtSearch"), searchBoxAfter);
    if (typed == QLatin1String("W1DUP"))
        QCOMPARE(field("edtName"), QStringLiteral("New  Holder"));
    if (typed.startsWith(QLatin1Char('V')))
        QVERIFY(m_form->findChild<QGroupBox*>(QStringLiteral("grpcdn"))->isVisibleTo(m_form.get()));
}

void TestLookup::wildcardListFillsDropDownAndChoosingShows() {
    ScopedDialogAnswers answers;
    auto* combo = m_form->findChild<QComboBox*>(QStringLiteral("cbbResults"));
    search(QStringLiteral("W1A*"));
    QVERIFY2(answers.messages.isEmpty(), qPrintable(QStringLiteral("[%1] %2").arg(answers.messages.value(0).text).arg(int(answers.messages.value(0).kind))));
    QVERIFY(combo->isVisibleTo(m_form.get()));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{"W1AAB", "W1ABC", "W1AW"}));   // the expired W1AZZ is left out
    QCOMPARE(field("edtSearch"), QString());
    QCOMPARE(field("edtCallsign"), QString());
    combo->setCurrentIndex(1);
    QVERIFY(!combo->isVisibleTo(m_form.get()));
    QCOMPARE(field("edtCallsign"), QStringLiteral("W1ABC"));

    search(QStringLiteral("W?AW"));   // a single-character wildcard with one match: listed and shown
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("W1AW"));
    QCOMPARE(field("edtCallsign"), QStringLiteral("W1AW"));
    QCOMPARE(field("edtCounty"), QStringLiteral("Hartford"));
    search(QStringLiteral("W1D*"));   // two active rows of one call are one entry, shown at once
    QCOMPARE(combo->count(), 1);
    QCOMPARE(field("edtName"), QStringLiteral("New  Holder"));

    search(QStringLiteral("W1A\"*"));
    QCOMPARE(combo->count(), 0);
    QCOMPARE(answers.texts(), QStringList());
}

void TestLookup::windowKeepsItsSizeAcrossLookups() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    settleLayouts();
    const QSize size = m_form->size();
    auto* grpUSA = m_form->findChild<QGroupBox*>(QStringLiteral("grpUSA"));
    const QRect place = grpUSA->geometry();
    // A US record after a Canadian one and back, a drop-down list, the other-service call shown
    // and hidden: nothing moves and the window keeps its size.
    for (const char* call : {"VA3CLB", "K7ABC", "VE3ABC", "W1AW", "W1A*", "VE9XYZ", "K7ABC"}) {
        search(QLatin1String(call));
        settleLayouts();
        QCOMPARE(m_form->size(), size);
        QCOMPARE(grpUSA->geometry(), place);
        QCOMPARE(m_form->findChild<QGroupBox*>(QStringLiteral("grpcdn"))->geometry(), place);
    }
    // It fits a 1280 x 1024 screen with room for the window frame and a task bar.
    QVERIFY2(m_form->frameGeometry().height() <= 960 && m_form->frameGeometry().width() <= 1280,
             qPrintable(QStringLiteral("%1 x %2").arg(m_form->frameGeometry().width()).arg(m_form->frameGeometry().height())));
    // The city box holds a long place name; any longer value is in the box's tool-tip.
    auto* city = m_form->findChild<QLineEdit*>(QStringLiteral("edtCity"));
    QVERIFY(city->width() >= city->fontMetrics().horizontalAdvance(QStringLiteral("Rappahannock Academy")));
    QCOMPARE(city->toolTip(), QStringLiteral("Tucson"));
    QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("edtName"))->toolTip(), QStringLiteral("John Q Public"));
}

void TestLookup::focusReturnsToSearchBox() {
    auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    auto* combo = m_form->findChild<QComboBox*>(QStringLiteral("cbbResults"));
    m_form->show();
    search(QStringLiteral("W1A*"));
    QCOMPARE(m_form->focusWidget(), edit);
    combo->setFocus();   // the user opens the list and picks an entry
    combo->setCurrentIndex(2);
    QCOMPARE(field("edtCallsign"), QStringLiteral("W1AW"));
    QCOMPARE(m_form->focusWidget(), edit);
    search(QStringLiteral("K9NONE"));   // also after a message
    QCOMPARE(m_form->focusWidget(), edit);
}

void TestLookup::previousCallFallBack_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownCall");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("previous call of one active licence") << "KD7OLD" << "K7ABC" << QStringList();
    QTest::newRow("previous call of an expired licence") << "KX0GONE" << "" << QStringList();
    QTest::newRow("previous call of two licences") << "KA1TWO" << "" << QStringList{kNoRecords};
}

void TestLookup::enterOnlyAfterItsOwnPress() {
    ScopedDialogAnswers answers;
    auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    edit->setText(QStringLiteral("K9NONE"));
    // The release of an Enter pressed elsewhere (the one that closed a message box) starts nothing.
    QTest::keyRelease(edit, Qt::Key_Return);
    QCOMPARE(answers.messages.size(), 0);
    QTest::keyPress(edit, Qt::Key_Return);
    QTest::keyPress(edit, Qt::Key_Return, Qt::NoModifier, -1);
    QCOMPARE(answers.messages.size(), 0);   // nothing on the press
    QTest::keyRelease(edit, Qt::Key_Return);
    QCOMPARE(answers.texts(), QStringList{kNoRecords});
    QTest::keyRelease(edit, Qt::Key_Return);
    QCOMPARE(answers.messages.size(), 1);
}

void TestLookup::previousCallFallBack() {
    QFETCH(QString, typed);
    QFETCH(QString, shownCall);
    QFETCH(QStringList, messages);
    ScopedDialogAnswers answers;
    search(typed);
    QCOMPARE(answers.texts(), messages);
    QCOMPARE(field("edtCallsign"), shownCall);
}

void TestLookup::usRecordDisplay() {
    search(QStringLiteral("K7ABC"));
    QCOMPARE(field("edtCallsign"), QStringLiteral("K7ABC"));
    QCOMPARE(field("edPreviousCall"), QStringLiteral("KD7OLD"));
    QCOMPARE(field("edtLicense"), QStringLiteral("Extra"));
    QCOMPARE(field("edtName"), QStringLiteral("John Q Public"));
    QCOMPARE(field("edtIssueDate"), QStringLiteral("2019-05-17"));
    QCOMPARE(field("edtExpireDate"), QStringLiteral("2030-01-01"));
    QCOMPARE(field("edtAddress"), QStringLiteral("1 Elm St"));
    QCOMPARE(field("edtCity"), QStringLiteral("Tucson"));
    QCOMPARE(field("edtState"), QStringLiteral("AZ"));
    QCOMPARE(field("edtPostal"), QStringLiteral("857011234"));   // shown as stored; the first five find the zip row
    QCOMPARE(field("edtCounty"), QStringLiteral("Pima"));
    QCOMPARE(field("edtLatitude"), QStringLiteral("32.2217"));
    QCOMPARE(field("edtLongitude"), QStringLiteral("-110.9265"));
    QCOMPARE(field("edtGrid"), QStringLiteral("DM42MF"));
    QVERIFY(!field("edtSunRise").isEmpty());
    const TAppValues& v = m_form->values();
    QCOMPARE(v.CurrentCallsign, QStringLiteral("K7ABC"));
    QCOMPARE(v.CurrentUSI, QStringLiteral("101"));
    QCOMPARE(v.CurrentAddress, QStringLiteral("1 Elm St"));
    QCOMPARE(v.CurrentCity, QStringLiteral("Tucson"));
    QCOMPARE(v.CurrentState, QStringLiteral("AZ"));
}

void TestLookup::distanceUnits_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("distance");
    // Station at the default position (32.22917, -110.875); W1AW's zip row in Newington is 3514.24 km away.
    QTest::newRow("SM") << 0 << "Distance (SM)" << "2183";
    QTest::newRow("KM") << 1 << "Distance (KM)" << "3514";
    QTest::newRow("NM") << 2 << "Distance (NM)" << "1897";
    QTest::newRow("unknown value reads as NM") << 7 << "Distance (NM)" << "1897";
}

void TestLookup::distanceUnits() {
    QFETCH(int, unit);
    QFETCH(QString, caption);
    QFETCH(QString, distance);
    m_form->settings().SaveSetting(QStringLiteral("DisType"), unit);
    search(QStringLiteral("W1AW"));
    QCOMPARE(m_form->findChild<QLabel*>(QStringLiteral("lblDistance"))->text(), caption);
    QCOMPARE(field("edtDistance"), distance);
    QCOMPARE(field("edtAzimuth"), QStringLiteral("61"));
    search(QStringLiteral("VE3ABC"));
    QCOMPARE(m_form->findChild<QLabel*>(QStringLiteral("lblDistance_cdn"))->text(), caption);
}

void TestLookup::clubPoBoxAndMissingZip() {
    search(QStringLiteral("W1AW"));
    QCOMPARE(field("edtName"), QStringLiteral("Arrl Hq Operators Club"));
    QCOMPARE(field("edtLicense"), QStringLiteral("Club"));

    search(QStringLiteral("KB1BOX"));
    QCOMPARE(field("edtName"), QStringLiteral("Mary  Smith"));
    QCOMPARE(field("edtAddress"), QStringLiteral("PO Box 1234"));
    QCOMPARE(m_form->values().CurrentAddress, QStringLiteral("PO Box 1234"));
    for (const char* name : {"edtCounty", "edtLatitude", "edtLongitude", "edtGrid", "edtAzimuth", "edtDistance", "edtSunRise",
                             "edtSolarNoon", "edtSunSet"})
        QVERIFY2(field(name).isEmpty(), name);
}

void TestLookup::otherServiceThroughRegistrationNumber() {
    auto* label = m_form->findChild<QLabel*>(QStringLiteral("lblOthercall"));
    auto* other = m_form->findChild<QLineEdit*>(QStringLiteral("edtOtherCall"));
    search(QStringLiteral("K7ABC"));
    QCOMPARE(label->text(), QStringLiteral("GMRS Callsign"));
    QVERIFY(label->isVisibleTo(m_form.get()) && other->isVisibleTo(m_form.get()));
    QCOMPARE(other->text(), QStringLiteral("WRAB123"));
    // What the look-up hands back is the record shown, not whatever the other service's query
    // read after it.
    const CallRecord shown = m_form->FetchCallsign(QStringLiteral("K7ABC"), true);
    QVERIFY(shown.us && !shown.canadian);
    QCOMPARE(shown.us->callSign, QStringLiteral("K7ABC"));
    QCOMPARE(shown.us->frn, QStringLiteral("0002"));

    search(QStringLiteral("N0EXP"));   // the GMRS licence expired; it is still named
    QCOMPARE(other->text(), QStringLiteral("WRZZ999"));

    search(QStringLiteral("W1ABC"));   // no GMRS licence under this number
    QVERIFY(!label->isVisibleTo(m_form.get()) && !other->isVisibleTo(m_form.get()));

    m_form->findChild<QRadioButton*>(QStringLiteral("rbGMRS"))->setChecked(true);
    search(QStringLiteral("WRAB123"));
    QCOMPARE(label->text(), QStringLiteral("Amatuer Callsign"));
    QCOMPARE(other->text(), QStringLiteral("K7ABC"));
    QCOMPARE(field("edtLicense"), QString());
    QCOMPARE(field("edPreviousCall"), QString());

    search(QStringLiteral("WRZZ999"));   // expired GMRS licence is not found at all
    search(QStringLiteral("WRQU0TE"));   // a stored apostrophe changes nothing
    QCOMPARE(field("edtName"), QStringLiteral("Pat  O'Neil"));
}

void TestLookup::canadianDisplay() {
    search(QStringLiteral("VE3ABC"));
    QCOMPARE(field("CDNedtCallsign"), QStringLiteral("VE3ABC"));
    QCOMPARE(field("CDNedtFirstName"), QStringLiteral("John"));
    QCOMPARE(field("CDNedtsurname"), QStringLiteral("Doe"));
    QCOMPARE(field("CDNedtPostal"), QStringLiteral("K1A 0B1"));
    QCOMPARE(field("CDNedtqual_a"), QStringLiteral("A"));
    QCOMPARE(field("CDNedtqual_b"), QString());
    QCOMPARE(field("CDNedtLatitude"), QStringLiteral("45.4166"));
    QCOMPARE(field("CDNedtGrid"), QStringLiteral("FN25DJ"));
    QCOMPARE(field("CDNedtClubName1"), QString());
    QCOMPARE(m_form->values().CurrentCallsign, QStringLiteral("VE3ABC"));
    QVERIFY(!m_form->findChild<QGroupBox*>(QStringLiteral("grpUSA"))->isVisibleTo(m_form.get()));

    search(QStringLiteral("VA3CLB"));
    QCOMPARE(field("CDNedtClubName1"), QStringLiteral("ABC RADIO CLUB "));
    QCOMPARE(field("CDNedtclub_city"), QStringLiteral("Ottawa"));
    QCOMPARE(field("CDNedtQual_D"), QStringLiteral("D"));

    search(QStringLiteral("VE9XYZ"));   // no zip row for its prefix: geography stays empty
    QCOMPARE(field("CDNedtCallsign"), QStringLiteral("VE9XYZ"));
    for (const char* name : {"CDNedtLatitude", "CDNedtLongitude", "CDNedtGrid", "CDNAzimuth", "CDNDistance", "CDNSunRise",
                             "CDNSolarNoon", "CDNSunSet", "CDNedtClubName1"})
        QVERIFY2(field(name).isEmpty(), name);
    QCOMPARE(m_form->values().CurrentUSI, QString());   // a Canadian record sets only the call sign
}

void TestLookup::commonLayoutMatchesTheRecordDisplay_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("gmrs");   // the window's service choice
    QTest::newRow("US amateur") << "K7ABC" << false;
    QTest::newRow("club") << "W1AW" << false;
    QTest::newRow("PO box, no zip row") << "KB1BOX" << false;
    QTest::newRow("reassigned") << "W1DUP" << false;
    QTest::newRow("previous call") << "KD7OLD" << false;
    QTest::newRow("GMRS only") << "WRAB123" << true;
    QTest::newRow("Canadian") << "VE3ABC" << false;
    QTest::newRow("Canadian club") << "VA3CLB" << false;
}

// What other programs get for a call (the service's and quillmarsh-lookup's layout) against what
// the window shows for it, field by field.
void TestLookup::commonLayoutMatchesTheRecordDisplay() {
    QFETCH(QString, typed);
    QFETCH(bool, gmrs);
    m_form->findChild<QRadioButton*>(gmrs ? QStringLiteral("rbGMRS") : QStringLiteral("rbAmateur"))->setChecked(true);
    search(typed);
    CallLookup lookup(m_dm->condb, m_dm->Zipdb);
    const QJsonObject c = QJsonDocument::fromJson(hamDbJson(lookup.find(typed))).object()[QStringLiteral("hamdb")][QStringLiteral("callsign")].toObject();
    auto json = [&](const char* key) { return c.value(QLatin1String(key)).toString(); };
    if (json("country") == QLatin1String("Canada")) {
        const QStringList pairs{"call", "CDNedtCallsign", "fname", "CDNedtFirstName", "name", "CDNedtsurname", "addr1", "CDNedtAddress",
                                "addr2", "CDNedtCity", "state", "CDNedtProv", "zip", "CDNedtPostal", "lat", "CDNedtLatitude",
                                "lon", "CDNedtLongitude", "grid", "CDNedtGrid"};
        for (int i = 0; i < pairs.size(); i += 2)
            QCOMPARE(json(pairs[i].toLatin1().constData()), field(pairs[i + 1].toLatin1().constData()));
        QCOMPARE(json("class"), field("CDNedtqual_a") + field("CDNedtqual_b") + field("CDNedtQual_C") + field("CDNedtQual_D"));
        return;
    }
    QCOMPARE(json("country"), QStringLiteral("United States"));
    const QStringList pairs{"call", "edtCallsign", "addr1", "edtAddress", "addr2", "edtCity", "state", "edtState",
                            "zip", "edtPostal", "lat", "edtLatitude", "lon", "edtLongitude", "grid", "edtGrid"};
    for (int i = 0; i < pairs.size(); i += 2)
        QCOMPARE(json(pairs[i].toLatin1().constData()), field(pairs[i + 1].toLatin1().constData()));
    // The display writes the name whole and the class by name; the layout splits and abbreviates.
    QCOMPARE(licenseeName(json("fname"), json("mi"), json("fname").isEmpty() ? QString() : json("name"), json("name")), field("edtName"));
    if (!gmrs)
        QCOMPARE(LicenseClassName(json("class")), field("edtLicense"));
    const QDate expires = QDate::fromString(json("expires"), QStringLiteral("MM/dd/yyyy"));
    QVERIFY2(expires.isValid(), qPrintable(json("expires")));
    QCOMPARE(expires.toString(Qt::ISODate), field("edtExpireDate"));
}

void TestLookup::sunTimesShiftedByClockOffset() {
    QCOMPARE(LocalUtcOffsetSeconds(), -7 * 3600);
    const QDate day(2024, 5, 17);
    QCOMPARE(sunTimeText(QDateTime(day, QTime(12, 30), Qt::UTC), -7 * 3600, 32, day), QStringLiteral("5/17/2024 5:30:00 AM"));
    QCOMPARE(sunTimeText(QDateTime(day.addDays(1), QTime(2, 10), Qt::UTC), -7 * 3600, 32, day),
             QStringLiteral("5/17/2024 7:10:00 PM"));
    QCOMPARE(sunTimeText(QDateTime(day.addDays(1), QTime(2, 10), Qt::UTC), 0, 32, day), QStringLiteral("5/18/2024 2:10:00 AM"));

    // The record display uses the same offset: local when the clock is local, none in UTC.
    search(QStringLiteral("K7ABC"));
    const QString local = field("edtSolarNoon");
    m_form->globalProps().setIsUTC(m_form->settings(), true);
    search(QStringLiteral("K7ABC"));
    const QString utc = field("edtSolarNoon");
    const QDateTime l = QLocale().toDateTime(local, QStringLiteral("M/d/yyyy h:mm:ss AP"));
    const QDateTime u = QLocale().toDateTime(utc, QStringLiteral("M/d/yyyy h:mm:ss AP"));
    QVERIFY2(l.isValid() && u.isValid(), qPrintable(local + QLatin1String(" / ") + utc));
    QCOMPARE(l.secsTo(u), 7 * 3600);
}

void TestLookup::polarPlaceShowsWords() {
    const QDate june(2024, 6, 21);
    const QDate december(2024, 12, 21);
    QCOMPARE(sunTimeText(QDateTime(), 0, 89.0, june), QStringLiteral("Sun up all day"));
    QCOMPARE(sunTimeText(QDateTime(), 0, 89.0, december), QStringLiteral("Sun down all day"));
    QCOMPARE(sunTimeText(QDateTime(), 0, -89.0, december), QStringLiteral("Sun up all day"));
    search(QStringLiteral("VE8POL"));
    const QString rise = field("CDNSunRise");
    QVERIFY2(rise.startsWith(QLatin1String("Sun ")), qPrintable(rise));
    QVERIFY(!field("CDNSolarNoon").startsWith(QLatin1String("Sun ")));
}

void TestLookup::clockShowsSuffixAndUtcDate() {
    auto* date = m_form->findChild<QLabel*>(QStringLiteral("txtDate"));
    auto* time = m_form->findChild<QLabel*>(QStringLiteral("txtTime"));
    m_form->tmr1Timer();
    QVERIFY(time->text().endsWith(QLatin1String(" LCL")));
    QCOMPARE(date->text(), QLocale().toString(QDate::currentDate(), QStringLiteral("MMMM dd yyyy")));
    m_form->globalProps().setIsUTC(m_form->settings(), true);
    m_form->tmr1Timer();
    QVERIFY(time->text().endsWith(QLatin1String(" UTC")));
    QCOMPARE(date->text(), QLocale().toString(QDateTime::currentDateTimeUtc().date(), QStringLiteral("MMMM dd yyyy")));
    QVERIFY2(!time->text().contains(QLatin1String("MST")), qPrintable(time->text()));
    QCOMPARE(ClockDateText(QDate(2024, 5, 7)), QStringLiteral("May 07 2024"));

    m_form->Timer1Timer();
    QVERIFY(m_form->findChild<QLabel*>(QStringLiteral("lblSunrise"))->text().contains(QLatin1Char(':')));
}

void TestLookup::unreadableStationSettingIsReported() {
    m_form->settings().SaveSetting(QStringLiteral("Latitude"), QStringLiteral("north"));
    ScopedDialogAnswers answers;
    m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"))->setText(QStringLiteral("K7ABC"));
    m_form->show();
    QTest::mouseClick(m_form->findChild<QPushButton*>(QStringLiteral("btnSearch")), Qt::LeftButton);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages.first().kind, MsgKind::Error);
    QVERIFY2(answers.messages.first().text.contains(QLatin1String("Latitude")), qPrintable(answers.messages.first().text));
    QCOMPARE(field("edtCallsign"), QStringLiteral("K7ABC"));   // what was read before the error stays
}

void TestLookup::outOfRangeStationSettings_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<QString>("distance");   // to W1AW, in km
    QTest::newRow("both huge") << "1e300" << "1e20" << QStringList{"Latitude", "Longitude"} << "3514";
    QTest::newRow("longitude far west") << "32.2" << "-1e20" << QStringList{"Longitude"} << "3515";
    QTest::newRow("latitude past the pole") << "90.5" << "-110.875" << QStringList{"Latitude"} << "3514";
}

// A damaged settings file: the sun panel and the record display work from the default station,
// the status bar says which setting was passed over (once), and the file keeps what it holds.
void TestLookup::outOfRangeStationSettings() {
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QStringList, told);
    QFETCH(QString, distance);
    TSettings& settings = m_form->settings();
    settings.SaveSetting(QStringLiteral("Latitude"), latitude);
    settings.SaveSetting(QStringLiteral("Longitude"), longitude);
    const QByteArray stored = [&] {
        QFile f(settings.fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    auto* message = m_form->findChild<QLabel*>(QStringLiteral("txtMessage"));
    message->clear();
    m_form->DoLocalSolar();
    for (const QString& key : told)
        QVERIFY2(message->text().contains(QLatin1Char('"') + key + QLatin1Char('"')), qPrintable(message->text()));
    QCOMPARE(message->text().count(QLatin1String("is used until")), told.size());
    const QString sunrise = m_form->findChild<QLabel*>(QStringLiteral("lblSunrise"))->text();
    QVERIFY2(sunrise.contains(QLatin1Char(':')), qPrintable(sunrise));

    message->clear();
    m_form->DoLocalSolar();
    search(QStringLiteral("W1AW"));
    QVERIFY2(message->text().isEmpty(), qPrintable(message->text()));
    QCOMPARE(field("edtDistance"), distance);
    QFile f(settings.fileName());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), stored);
}

void TestLookup::updateNoticeFromVersionFile() {
    auto* notice = m_form->findChild<QLabel*>(QStringLiteral("lblupdate"));
    QVERIFY(!notice->isVisibleTo(m_form.get()));
    m_form->show();
    settleLayouts();
    const QSize size = m_form->size();
    const QRect searchGroup = m_form->findChild<QGroupBox*>(QStringLiteral("grp1"))->geometry();
    // The shipped configuration names no update site: no request, no notice.
    QVERIFY(!m_form->CheckUpdate());

    TestHttpServer newer(200, "99.0.0.0\r\n");
    m_form->services().UpdateSite = newer.base();
    m_form->Timer1Timer();
    QVERIFY(notice->isVisibleTo(m_form.get()));
    QVERIFY(newer.request().startsWith("GET /files/quillmarsh.version"));
    settleLayouts();
    // The notice has its place from the start: announcing it moves nothing.
    QCOMPARE(m_form->size(), size);
    QCOMPARE(m_form->findChild<QGroupBox*>(QStringLiteral("grp1"))->geometry(), searchGroup);

    ScopedDialogAnswers answers(MsgButton::Cancel);
    m_form->show();
    QTest::mouseClick(notice, Qt::LeftButton);
    QCOMPARE(answers.texts(),
             QStringList{QStringLiteral("Click OK to close the application and open the download site. Download the update and install")});
    QVERIFY(m_form->isVisible());   // Cancel keeps the program open

    TestHttpServer same(200, m_form->values().VersionData.FileVersion.toUtf8());
    m_form->services().UpdateSite = same.base();
    QVERIFY(!m_form->CheckUpdate());
    TestHttpServer broken(500, "oops");
    m_form->services().UpdateSite = broken.base();
    QVERIFY_THROWS_EXCEPTION(UrlError, m_form->CheckUpdate());
}
