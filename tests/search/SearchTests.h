#pragma once
// The searches' tests: the SQL of every search against the fixture database and the table that
// holds the rows (TestSearchSql); the prompt and the result window (TestSearchWindows); the six
// Search menu entries from prompt to result window (TestSearchMenus). All share one temporary
// home holding the fixture databases plus a few rows of their own (SearchFixture.cpp).

#include "app/Main.h"
#include "ui/MessageDialog.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// The licence database of the shared temporary home.
QString searchDatabaseFile();
// Adds the rows these tests need beyond the shared fixture (a name holding a double quote, a
// Canadian row without city or postal code, a club named on its second line).
void addSearchFixtureRows(const QString& databaseFile);

// Runs `steps` against the modal windows that open while `trigger` runs: each step waits until a
// visible top-level window of its object name shows, then acts on it (and must close it).
// Returns the names of the steps that never ran.
struct ModalStep {
    QString objectName;
    std::function<void(QWidget*)> act;
};
QStringList driveModals(const std::function<void()>& trigger, const QList<ModalStep>& steps);

class TestSearchSql : public QObject {
    Q_OBJECT
private slots:
    void usSearches_data();
    void usSearches();
    void canadianSearches_data();
    void canadianSearches();
    void resultColumns();
    void partsReadLikeOneStatement_data();
    void partsReadLikeOneStatement();
    void partsFailAndCancelAsOne();
    void keptConnectionsFollowTheFile();
    void tableOrderAndJoin();
};

class TestSearchWindows : public QObject {
    Q_OBJECT
private slots:
    void sortFlagAlternatesAcrossColumnsAndWindows();
    void countTitlesAndDismiss();
    void columnWidthsMatchMeasuringEveryCell();
    void noRowsNoWindow();
    void databaseErrorOpensNothing();
    void exportFormatFollowsSortOrder();
    void overwriteAnsweredNoKeepsFile();
    void unwritablePathIsReportedAndWindowStays();
    void promptDefaultsAndOk();
    void promptKeepsTypedTextAndChoices();
    void promptCancelEnterEscape();
};

class TestSearchMenus : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menuSearches_data();
    void menuSearches();
    void databaseErrorFromTheMenu();

private:
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TForm1> m_form;
};
