#pragma once
// The main window's tests: start-up, menus, themes and close (TestMainWindow); look-up, record
// displays and clock (TestLookup). Both run in one process with the clock seven hours behind UTC.

#include "app/Main.h"
#include "ui/MessageDialog.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStartOnEmptyFolder();
    void districtsFromZipTableAndActivationOnce();
    void menusCarryTheirNamesAndCaptions_data();
    void menusCarryTheirNamesAndCaptions();
    void themeEntryWithAcceleratorMark();
    void closeSavesAndNextStartRestores();
    void unreadableDatabaseIsReportedAndStartGoesOn();
    void pendingIndexesBuiltAtStart();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

class TestLookup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void countryAndWildcardRules_data();
    void countryAndWildcardRules();
    void wildcardListFillsDropDownAndChoosingShows();
    void windowKeepsItsSizeAcrossLookups();
    void focusReturnsToSearchBox();
    void enterOnlyAfterItsOwnPress();
    void previousCallFallBack_data();
    void previousCallFallBack();
    void usRecordDisplay();
    void distanceUnits_data();
    void distanceUnits();
    void clubPoBoxAndMissingZip();
    void otherServiceThroughRegistrationNumber();
    void canadianDisplay();
    void commonLayoutMatchesTheRecordDisplay_data();
    void commonLayoutMatchesTheRecordDisplay();
    void sunTimesShiftedByClockOffset();
    void polarPlaceShowsWords();
    void clockShowsSuffixAndUtcDate();
    void unreadableStationSettingIsReported();
    void outOfRangeStationSettings_data();
    void outOfRangeStationSettings();
    void updateNoticeFromVersionFile();

private:
    QString field(const char* name) const;
    void search(const QString& text);
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<ScopedDialogAnswers> m_quietBoxes;
};
