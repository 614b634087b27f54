#pragma once
// TForm1: the main window. Owns the settings store, the calculation object and the program-wide
// values; runs the start-up (creation, show, first activation) and close steps; holds the menu,
// the Theme menu, the call sign look-up, the record displays and the clock.
// Collaborators: TDM (the two connections and shared data sets), TSettings/TGlobalProps,
// StyleManager, CenteredMessageDialog, the database check and the import step, UpdateSequence
// (fetching, unpacking and rebuilding the data), the download and import windows.

#include "licence/LicenceQueries.h"
#include "licence/RecordGeometry.h"
#include "core/AppContext.h"
#include "core/AppValues.h"
#include "core/DataModule.h"
#include "core/ImportTypes.h"
#include "core/Services.h"
#include "core/Settings.h"
#include "data/UpdateSequence.h"
#include "geo/HamCalc.h"
#include "service/LookupService.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QPushButton;
class QTimer;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(TDM& dm, QWidget* parent = nullptr);
    ~TForm1() override;

    // Life cycle steps (also callable from tests).
    void FormShow();
    void FormActivate();
    void FormClose();

    void SetTheme(const QString& stheme);
    QString GetTheme() const { return mTheme; }
    const QStringList& styleList() const { return StyleList; }

    void ClearResults();
    void CheckDatabases();
    void DoLocalSolar();
    void tmr1Timer();
    void Timer1Timer();
    bool CheckUpdate();
    void CheckFiles();
    void FetchFiles();
    void mnuUpdateDataClick();
    // Fetches and applies the daily changes of the amateur and GMRS licences.
    void mnuApplyDailyChangesClick();
    void GetFCC();
    void GetGMRS();
    void GetRac();
    // How an archive is fetched: the download window by default; tests may replace it.
    void setDownloadStep(std::function<DownloadOutcome(const QString& url, const QString& file)> step) {
        m_downloadStep = std::move(step);
    }
    // The start-up fetch or Update Data is under way (it goes on from the event loop while an
    // archive is unpacked).
    bool dataWorkRunning() const { return m_sequence != nullptr; }
    void lblupdateClick();
    ServiceConfig& services() { return m_services; }

    // Look-up.
    // The record the look-up settled on (shown when Display is true); nothing when the text
    // names no single record.
    CallRecord FetchCallsign(const QString& strcallsign, bool Display);
    // The wildcard list (into the drop-down), or for a plain call its exact look-up's call.
    QStringList Lookup(const QString& callsign);
    std::optional<CanadianLicence> LookupCDn(const QString& callsign);
    // The exact US look-up with the previous-call fall-back (the drop-down is left alone).
    UsLookup LookupExact(const QString& callsign);
    void DisplayRecord(const UsLicence& licence);
    void DisplayRecordGMRS(const UsLicence& licence);
    void DisplayRecordCDN(const CanadianLicence& licence);

    // How CheckDatabases runs one import: the import window by default. A step set here gets
    // every due source, found or not.
    void setImportStep(ImportRunner step) { m_importStep = std::move(step); }

    TAppValues& values() { return App; }
    TSettings& settings() { return *Settings; }
    TGlobalProps& globalProps() { return GlobalProps; }
    TDM& dataModule() { return DM; }
    // What the windows opened from here receive.
    TAppContext context() { return TAppContext{DM, *Settings, GlobalProps, App, m_services}; }
    // The look-up service for other programs as the settings ask: started, moved to another port
    // or stopped. A port it cannot have is told with the next status.
    void applyLookupService();
    LookupService* lookupService() const { return m_lookupService.get(); }
    // The status text: what is missing from the licence tables, the licence data's date and what
    // is offered to bring it up to date, and the notices not told yet.
    void showDataStatus();
    bool formActivated() const { return FormActivated; }

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    ArchiveSource archive(ArchiveId which) const;
    DownloadOutcome downloadArchive(const ArchiveSource& a, bool showErrors);
    // One import through the import window (or the test's step), to its end.
    ImportResult runImport(const ImportJob& job, ImportSetting setting);
    void startDataSequence(UpdateMode mode, std::function<void(const UpdateOutcome&)> then);
    void showUnpacking(bool busy, const QString& caption);
    // The steps of the first activation after the start-up fetch.
    void filesChecked(const UpdateOutcome& outcome);
    void updateFinished(const UpdateOutcome& outcome, const QDateTime& start);
    void setStatusText(const QString& text);
    void tellSettingNotices();
    // Builds the indexes an interrupted load left pending, with progress and Cancel; a cancel
    // leaves them pending for the next start.
    void settlePendingIndexesInBackground();

    // The station from the settings, and the figures of the zip row just read, as the displays show them.
    LatLon stationPosition();
    PlaceFigures placeFiguresAt(const ZipGeography& place, TDisType unit, int offsetSeconds);

    void FormCreate();
    void buildUi();
    void buildMenu();
    // Each connects the menu entries of one group of windows (found by object name).
    void wireSearchMenus();
    void wireToolMenus();
    void wireInfoMenus();
    QAction* menuAction(const char* name) const;
    QWidget* buildUsaGroup();
    QWidget* buildCanadaGroup();
    void StyleOnClick(QAction* action);
    void CreateDistrictFolders();
    void applyStoredAppearance();
    void saveAppearance();
    void mnuExitClick();
    void btnSearchClick();
    void cbbResultsChange(const QString& text);
    LicenceService selectedService() const;

    TDM& DM;
    TAppValues App;
    std::unique_ptr<TSettings> Settings;
    TGlobalProps GlobalProps;
    std::unique_ptr<THamUtil> HamUtil;
    bool FormActivated = false;
    bool m_closed = false;
    bool m_shown = false;
    bool m_enterPressedInSearch = false;
    QString mTheme;
    QStringList StyleList;
    int m_fontCharSet = 1;
    int m_fontColor = int(0xFF000008);   // the system window-text colour
    ImportRunner m_importStep;         // a test's replacement of the import window
    ImportReport m_importReport;     // what the last database check imported, missed and skipped
    QList<ArchiveFailure> m_fetchFailures;   // archives the start-up could not fetch, told with the check
    ServiceConfig m_services;
    QStringList m_notices;   // told once, with the next data status (a missing services.ini, indexes left pending)
    std::function<DownloadOutcome(const QString&, const QString&)> m_downloadStep;
    UpdateSequence* m_sequence = nullptr;
    int m_busy = 0;   // long work in progress: the window does not close
    std::unique_ptr<LookupService> m_lookupService;

    // Components
    QMenu* mnuTheme = nullptr;
    QActionGroup* m_themeGroup = nullptr;
    QGroupBox* grp3 = nullptr;
    QLabel* lblSunrise = nullptr;
    QLabel* lblSolarNoon = nullptr;
    QLabel* lblSunset = nullptr;
    QLabel* lblupdate = nullptr;
    QGroupBox* grp1 = nullptr;
    QRadioButton* rbAmateur = nullptr;
    QRadioButton* rbGMRS = nullptr;
    QLineEdit* edtSearch = nullptr;
    QPushButton* btnSearch = nullptr;
    QComboBox* cbbResults = nullptr;
    QGroupBox* grpUSA = nullptr;
    QGroupBox* grpcdn = nullptr;
    QLabel* lblDistance = nullptr;
    QLabel* lblDistance_cdn = nullptr;
    QLabel* lblOthercall = nullptr;
    QLineEdit* edtOtherCall = nullptr;
    QLabel* txtDate = nullptr;
    QLabel* txtTime = nullptr;
    QLabel* txtMessage = nullptr;
    QTimer* tmr1 = nullptr;
    QTimer* Timer1 = nullptr;
};
