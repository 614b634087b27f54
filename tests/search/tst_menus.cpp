// The six single-value searches of the Search menu, from the menu entry to the result window.
#include "SearchTests.h"

#include "core/Database.h"
#include "search/SearchActions.h"
#include "tests/support/ImportSteps.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WidgetLookup.h"
#include "ui/ResultModel.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

void TestSearchMenus::init() {
    m_dm = std::make_unique<TDM>();
    m_form = std::make_unique<TForm1>(*m_dm);
    m_form->setImportStep([](const ImportJob& j) {
        QTest::qFail("the fixture databases are full; nothing is imported", __FILE__, __LINE__);
        return importDone(j);
    });
    m_form->setDownloadStep([](const QString&, const QString&) { return false; });
    ScopedDialogAnswers quiet;
    m_form->FormActivate();
}

void TestSearchMenus::cleanup() {
    m_form.reset();
    m_dm.reset();
    QFile::remove(programDataPath() + QStringLiteral("Quillmarsh.cfg"));
}

void TestSearchMenus::menuSearches_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("canadian");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<bool>("notActive");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");
    const QString zip = usSearchPrompt(UsSearchField::ZipCode), last = usSearchPrompt(UsSearchField::LastName),
                  city = usSearchPrompt(UsSearchField::City);
    const QStringList none, noRecords{"No records found"};
    QTest::newRow("zip code") << "mnuZipcodeSearch_US" << zip << false << "06111" << false << false << true
                              << " Zipcode Search Result" << QStringList{"W1AAB", "W1ABC", "W1AW", "W1DUP", "W1DUP"} << none;
    QTest::newRow("zip code cancelled") << "mnuZipcodeSearch_US" << zip << false << "06111" << false << false << false << ""
                                        << none << none;
    QTest::newRow("last name GMRS") << "mnuLastNameSearch_USA" << last << false << "o'neil" << true << false << true << ""
                                    << QStringList{"WRQU0TE"} << none;
    QTest::newRow("last name empty: nothing") << "mnuLastNameSearch_USA" << last << false << "" << false << false << true << ""
                                              << none << none;
    QTest::newRow("last name with a quote") << "mnuLastNameSearch_USA" << last << false << "o\"neil" << false << false << true
                                            << "" << none << noRecords;
    QTest::newRow("city non-active") << "mniCitySearch_USA" << city << false << "newington" << false << true << true << ""
                                     << QStringList{"W1AZZ"} << none;
    QTest::newRow("canadian club") << "CDNLastName" << cdnSearchPrompt(CdnSearchField::LastName) << true << "ABC RADIO CLUB"
                                   << false << false << true << "" << QStringList{"VA3CLB"} << none;
    QTest::newRow("canadian city, GMRS chosen has no effect")
        << "CDNCity" << cdnSearchPrompt(CdnSearchField::City) << true << "ottawa" << true << true << true << ""
        << QStringList{"VE3ABC", "VA3CLB"} << none;
    QTest::newRow("canadian postal code empty: searched") << "CDNPostal" << cdnSearchPrompt(CdnSearchField::PostalCode) << true
                                                          << "" << false << false << true << "" << QStringList{"VE2NOC"} << none;
}

void TestSearchMenus::menuSearches() {
    QFETCH(QString, menu);
    QFETCH(QString, prompt);
    QFETCH(bool, canadian);
    QFETCH(QString, typed);
    QFETCH(bool, gmrs);
    QFETCH(bool, notActive);
    QFETCH(bool, ok);
    QFETCH(QString, caption);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);

    QAction* action = m_form->findChild<QAction*>(menu);
    QVERIFY(action);
    ScopedDialogAnswers answers;
    QString shownPrompt, shownCaption, count;
    bool serviceShown = false;
    QStringList shownCalls;
    QList<ModalStep> steps{{"frmQuery", [&](QWidget* w) {
                                shownPrompt = child<QLabel>(*w, "Label1")->text();
                                serviceShown = child<QRadioButton>(*w, "rbGMRS")->isVisible();
                                QTest::keyClicks(child<QLineEdit>(*w, "edtSearch"), typed);
                                if (gmrs)
                                    child<QRadioButton>(*w, "rbGMRS")->setChecked(true);
                                if (notActive)
                                    child<QRadioButton>(*w, "rbNotActive")->setChecked(true);
                                QTest::mouseClick(child<QPushButton>(*w, ok ? "btnOK" : "btnCancel"), Qt::LeftButton);
                            }}};
    if (!calls.isEmpty())
        steps << ModalStep{"TableResults", [&](QWidget* w) {
                               shownCaption = w->windowTitle();
                               count = child<QLabel>(*w, "lblRecords")->text();
                               const auto* model = qobject_cast<const ResultModel*>(child<QTableView>(*w, "dbgrd1")->model());
                               for (int r = 0; r < model->rowCount(); ++r)
                                   shownCalls << model->displayText(r, 0);
                               QTest::mouseClick(child<QPushButton>(*w, "btnDismiss"), Qt::LeftButton);
                           }};
    const QStringList pending = driveModals([&] { action->trigger(); }, steps);
    QVERIFY2(pending.isEmpty(), qPrintable(pending.join(',')));
    QCOMPARE(shownPrompt, prompt);
    QCOMPARE(serviceShown, !canadian);
    QCOMPARE(shownCalls, calls);
    if (!calls.isEmpty()) {
        QCOMPARE(shownCaption, caption);
        QCOMPARE(count, QStringLiteral("Total Records: %1").arg(calls.size()));
    }
    QCOMPARE(answers.texts(), messages);
}

// A search whose reading fails (a table gone from the licence database, as a damaged or foreign
// file would have it): told in one error message naming the cause, no result window, and the
// program goes on — the same search works once the table is back.
void TestSearchMenus::databaseErrorFromTheMenu() {
    const QString file = programDataPath() + QStringLiteral("FCCdata.db");
    const QString kept = file + QStringLiteral(".kept");
    QFile::remove(kept);
    QVERIFY(QFile::copy(file, kept));
    {
        Database db;
        db.open(file);
        db.exec(QStringLiteral("drop table FCC_AM"));
    }
    auto zipSearch = [&](QStringList& shownCalls) {
        QList<ModalStep> steps{{"frmQuery", [&](QWidget* w) {
                                    QTest::keyClicks(child<QLineEdit>(*w, "edtSearch"), QStringLiteral("06111"));
                                    QTest::mouseClick(child<QPushButton>(*w, "btnOK"), Qt::LeftButton);
                                }},
                               {"TableResults", [&](QWidget* w) {
                                    shownCalls << child<QLabel>(*w, "lblRecords")->text();
                                    QTest::mouseClick(child<QPushButton>(*w, "btnDismiss"), Qt::LeftButton);
                                }}};
        return driveModals([&] { m_form->findChild<QAction*>(QStringLiteral("mnuZipcodeSearch_US"))->trigger(); }, steps);
    };
    {
        ScopedDialogAnswers answers;
        QStringList shown;
        const QStringList pending = zipSearch(shown);
        QCOMPARE(pending, QStringList{"TableResults"});
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(answers.messages.first().kind, MsgKind::Error);
        QVERIFY2(answers.messages.first().text.contains(QLatin1String("no such table"), Qt::CaseInsensitive),
                 qPrintable(answers.messages.first().text));
        QVERIFY(m_form->isEnabled());
    }
    // The file as it was (a file swapped in under the same name, as Update Data does).
    QVERIFY(QFile::remove(file));
    QVERIFY(QFile::rename(kept, file));
    {
        ScopedDialogAnswers answers;
        QStringList shown;
        QVERIFY(zipSearch(shown).isEmpty());
        QCOMPARE(shown, QStringList{"Total Records: 5"});
        QVERIFY(answers.messages.isEmpty());
    }
}
