// Creation, show, first activation and close of the main window; its menu and Theme menu.
#include "app/Main.h"

#include "core/Paths.h"
#include "core/SchemaCheck.h"
#include "data/TableIndexes.h"
#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"
#include "ui/StyleManager.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int kCream = 0xF0FBFF;   // window colour in the settings' colour encoding (red in the low byte)
constexpr int kSystemWindowText = int(0xFF000008);
constexpr int kSystemButtonFace = int(0xFF00000F);

bool isSystemColor(int encoded) { return (quint32(encoded) >> 24) == 0xFF; }
QColor decodeColor(int encoded) { return QColor(encoded & 0xFF, (encoded >> 8) & 0xFF, (encoded >> 16) & 0xFF); }

// Folders the desktop gives for the two special folder numbers the program uses.
QString GetSpecialFolder(int csidl) {
    const auto loc = csidl == 46 ? QStandardPaths::GenericDataLocation : QStandardPaths::DocumentsLocation;
    QString path = QStandardPaths::writableLocation(loc);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.left(260);
}

// Where a window of that size goes when a stored position asks for `wanted`: onto the screen
// whose available area it overlaps most (the primary one when it overlaps none), wholly inside
// it when it fits and at its top-left corner when it does not. Positions from a settings file
// may be anything (2147483647), so the sums are 64-bit.
QPoint onScreen(QPoint wanted, QSize size) {
    const qint64 x = wanted.x(), y = wanted.y(), w = std::max(size.width(), 1), h = std::max(size.height(), 1);
    QRect area;
    qint64 best = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        const qint64 ow = std::min<qint64>(x + w, qint64(a.x()) + a.width()) - std::max<qint64>(x, a.x());
        const qint64 oh = std::min<qint64>(y + h, qint64(a.y()) + a.height()) - std::max<qint64>(y, a.y());
        if (ow > 0 && oh > 0 && ow * oh > best) {
            best = ow * oh;
            area = a;
        }
    }
    if (area.isEmpty() && QGuiApplication::primaryScreen())
        area = QGuiApplication::primaryScreen()->availableGeometry();
    if (area.isEmpty())
        return wanted;
    auto fit = [](qint64 v, qint64 length, qint64 start, qint64 extent) {
        return int(std::clamp(v, start, std::max(start, start + extent - length)));
    };
    return {fit(x, w, area.x(), area.width()), fit(y, h, area.y(), area.height())};
}

// Drop-down menus are windows of their own and keep the application's font unless told, which
// would set them smaller than the menu bar above them.
void fontToMenus(QMenuBar* bar, const QFont& font) {
    for (QMenu* menu : bar->findChildren<QMenu*>())
        menu->setFont(font);
}

} // namespace

TForm1::TForm1(TDM& dm, QWidget* parent) : QMainWindow(parent), DM(dm) {
    setObjectName(QStringLiteral("Form1"));
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    QFont f(QStringLiteral("Tahoma"), 12);
    setFont(f);
    buildUi();
    fontToMenus(menuBar(), font());
    resize(547, 616);

    App.StateList.clear();
    App.AppDataPath = GetSpecialFolder(46) + QStringLiteral("/Quillmarsh/");
    App.DistrictsPath = App.AppDataPath + QStringLiteral("Districts/");
    App.SettingsFile = App.AppDataPath + QStringLiteral("Quillmarsh.cfg");
    App.FCCDatabaseFile = App.AppDataPath + QStringLiteral("FCCdata.db");
    App.PostalDatabaseFile = App.AppDataPath + QStringLiteral("postal.db");
    setWindowTitle(QStringLiteral("Quillmarsh - Amatuer and GMRS - ") + App.AppDataPath);

    HamUtil = std::make_unique<THamUtil>([this](const QString& text) {
        CenteredMessageDialog(this, text, MsgKind::Warning, MsgButton::Ok);
    });
    Settings = std::make_unique<TSettings>(App.SettingsFile);
    QString servicesNotice;
    m_services = loadServiceConfig(&servicesNotice);
    if (!servicesNotice.isEmpty())
        m_notices << servicesNotice;

    StyleList = StyleManager::styleNames();
    std::sort(StyleList.begin(), StyleList.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    buildMenu();

    applyStoredAppearance();
    SetTheme(Settings->GetSetting(QStringLiteral("Theme"), QStringLiteral("Windows")));

    QDir().mkpath(App.AppDataPath);
    App.VersionData = ReadVersionData(QCoreApplication::applicationFilePath());
    ClearResults();

    tmr1 = new QTimer(this);
    tmr1->setObjectName(QStringLiteral("tmr1"));
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, reporting(this, &TForm1::tmr1Timer));
    tmr1->start();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(750);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, reporting(this, &TForm1::Timer1Timer));

    edtSearch->setFocus();
}

void TForm1::buildMenu() {
    QMenuBar* mm1 = menuBar();
    mm1->setObjectName(QStringLiteral("mm1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto sub = [](QWidget* parent, const char* name, const QString& caption) {
        auto* m = new QMenu(caption, parent);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    QMenu* file = sub(mm1, "mnuFile", QStringLiteral("&File"));
    connect(item(file, "mnuUpdateData", QStringLiteral("Update Data")), &QAction::triggered, this, reporting(this, &TForm1::mnuUpdateDataClick));
    connect(item(file, "mnuApplyDailyChanges", QStringLiteral("Apply Daily Changes")), &QAction::triggered, this,
            reporting(this, &TForm1::mnuApplyDailyChangesClick));
    item(file, "mnuEditZipCode", QStringLiteral("Edit Zipcode Table"));
    item(file, "mnuBatchProcess", QStringLiteral("Batch Process"));
    file->addSeparator();
    connect(item(file, "mnuExit", QStringLiteral("Exit")), &QAction::triggered, this, reporting(this, &TForm1::mnuExitClick));
    mm1->addMenu(file);

    QMenu* options = sub(mm1, "mnuOptions", QStringLiteral("&Options"));
    item(options, "mnuSetup", QStringLiteral("Setup"));
    mnuTheme = sub(options, "mnuTheme", QStringLiteral("Theme"));
    options->addMenu(mnuTheme)->setObjectName(QStringLiteral("mnuThemeAction"));
    m_themeGroup = new QActionGroup(this);
    m_themeGroup->setExclusive(true);
    for (const QString& name : StyleList) {
        QAction* a = mnuTheme->addAction(name);
        a->setCheckable(true);
        a->setObjectName(QStringLiteral("Theme_") + QString(name).remove(QLatin1Char(' ')));
        m_themeGroup->addAction(a);
    }
    connect(m_themeGroup, &QActionGroup::triggered, this, reporting(this, &TForm1::StyleOnClick));
    options->addSeparator();
    item(options, "DistrictEditor1", QStringLiteral("District Editor"));
    options->addSeparator();
    item(options, "mniFCCULSLink1", QStringLiteral("FCC ULS Link"));
    item(options, "mniLookupQRZ", QStringLiteral("Lookup QRZ"));
    item(options, "mniGoogleMaps1", QStringLiteral("Google Maps"));
    mm1->addMenu(options);

    QMenu* search = sub(mm1, "mnuSearch", QStringLiteral("&Search"));
    QMenu* us = sub(search, "mnuUnitedStates", QStringLiteral("United States"));
    item(us, "mnuZipcodeSearch_US", QStringLiteral("Zip Code"));
    item(us, "mnuLastNameSearch_USA", QStringLiteral("Last Name"));
    item(us, "mniCitySearch_USA", QStringLiteral("City"));
    item(us, "mnuCountySearch_USA", QStringLiteral("County"));
    item(us, "mniDateSearch", QStringLiteral("Dates"));
    search->addMenu(us);
    QMenu* ca = sub(search, "mnuCanada", QStringLiteral("Canada"));
    item(ca, "CDNLastName", QStringLiteral("Last Name"));
    item(ca, "CDNCity", QStringLiteral("City"));
    item(ca, "CDNPostal", QStringLiteral("Postal Code"));
    search->addMenu(ca);
    mm1->addMenu(search);

    QMenu* help = sub(mm1, "mnuHelp", QStringLiteral("&Help"));
    item(help, "mnuAbout", QStringLiteral("About"));
    mm1->addMenu(help);

    wireSearchMenus();
    wireToolMenus();
    wireInfoMenus();
}

QAction* TForm1::menuAction(const char* name) const { return menuBar()->findChild<QAction*>(QLatin1String(name)); }

void TForm1::applyStoredAppearance() {
    QFont f = font();
    f.setFamily(Settings->GetSetting(QStringLiteral("FontName"), f.family()));
    m_fontCharSet = Settings->GetSetting(QStringLiteral("FontCharSet"), m_fontCharSet);
    m_fontColor = Settings->GetSetting(QStringLiteral("FontColor"), m_fontColor);
    const int size = Settings->GetSetting(QStringLiteral("FontSize"), f.pointSize());
    if (size > 0 && size < 200)
        f.setPointSize(size);
    int style = (f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0);
    style = Settings->GetSetting(QStringLiteral("FontStyle"), style);
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    setFont(f);
    // The stored window colour is read for compatibility; the window always starts cream.
    (void)Settings->GetSetting(QStringLiteral("Color"), kSystemButtonFace);
}

void TForm1::saveAppearance() {
    const QFont f = font();
    Settings->SaveSetting(QStringLiteral("Form1_Top"), y());
    Settings->SaveSetting(QStringLiteral("Form1_Left"), x());
    Settings->SaveSetting(QStringLiteral("FontName"), f.family());
    Settings->SaveSetting(QStringLiteral("FontCharSet"), m_fontCharSet);
    Settings->SaveSetting(QStringLiteral("FontColor"), m_fontColor);
    Settings->SaveSetting(QStringLiteral("FontSize"), f.pointSize());
    const int style = (f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0);
    Settings->SaveSetting(QStringLiteral("FontStyle"), style);
    Settings->SaveSetting(QStringLiteral("Color"), kCream);
    Settings->SaveSetting(QStringLiteral("Theme"), GetTheme());
}

void TForm1::SetTheme(const QString& stheme) {
    // A name the program does not carry (a hand-edited file) falls back to the platform's look.
    const QString name = StyleList.contains(stheme) ? stheme : StyleManager::nativeStyleName();
    mTheme = name;
    StyleManager::trySetStyle(name);
    const int i = StyleList.indexOf(name);
    const auto actions = m_themeGroup->actions();
    if (i >= 0 && i < actions.size())
        actions.at(i)->setChecked(true);

    // The cream window colour belongs to the platform look; a theme paints with its own palette.
    QPalette p = StyleManager::paletteFor(name);
    if (name == StyleManager::nativeStyleName()) {
        p.setColor(QPalette::Window, decodeColor(kCream));
        if (!isSystemColor(m_fontColor))
            p.setColor(QPalette::WindowText, decodeColor(m_fontColor));
    }
    setPalette(p);
    setAutoFillBackground(true);
}

void TForm1::StyleOnClick(QAction* action) {
    QString caption = action->text();
    caption.remove(QLatin1Char('&'));
    SetTheme(caption);
}

void TForm1::CreateDistrictFolders() {
    QDir().mkpath(App.DistrictsPath);
    for (const QString& code : std::as_const(App.StateList))
        QDir().mkpath(App.DistrictsPath + code);
}

void TForm1::FormShow() {
    // Without a stored position the window manager places the window.
    constexpr int kUnset = std::numeric_limits<int>::min();
    const int top = Settings->GetSetting(QStringLiteral("Form1_Top"), kUnset);
    const int left = Settings->GetSetting(QStringLiteral("Form1_Left"), kUnset);
    if (top != kUnset || left != kUnset)
        move(onScreen(QPoint(left == kUnset ? x() : left, top == kUnset ? y() : top), frameGeometry().size()));
}

void TForm1::FormActivate() {
    if (FormActivated)
        return;
    FormActivated = true;

    DM.condb.setFileName(App.FCCDatabaseFile);
    DM.Zipdb.setFileName(App.PostalDatabaseFile);
    App.DocumentsPath = GetSpecialFolder(5);
    try {
        DM.condb.open();
        DM.Zipdb.open();
    } catch (const std::exception& e) {
        CenteredMessageDialog(this, QStringLiteral("Exception raised with message") + QString::fromUtf8(e.what()), MsgKind::Error,
                              MsgButton::Ok);
    }
    // A new postal.db has no zip table yet; create it so that the state list can be read and the
    // start-up reaches the import of the shipped zip list.
    if (DM.Zipdb.isOpen())
        ensureZipTable(DM.Zipdb);
    GetStateList(DM.Zipdb, App.StateList);
    if (!QDir(App.DistrictsPath).exists())
        CreateDistrictFolders();

    // The rest follows once the missing archives are fetched and unpacked (filesChecked).
    CheckFiles();
}

void TForm1::filesChecked(const UpdateOutcome& outcome) {
    m_fetchFailures = outcome.archiveFailures;
    // Only an error the sequence did not expect stops it at start-up; the shipped zip table and
    // what is already there still go in.
    if (outcome.result == UpdateOutcome::Result::Stopped)
        ShowErrorReport(outcome.stopReason);
    applyLookupService();
    CheckDatabases();

    // On a first start the zip table was empty when the state list was read; read it again so
    // every state gets its district folder.
    if (App.StateList.isEmpty()) {
        GetStateList(DM.Zipdb, App.StateList);
        CreateDistrictFolders();
    }
    Timer1->start();
}

void TForm1::CheckDatabases() {
    SchemaCheckPaths paths;
    paths.appDataPath = App.AppDataPath;
    m_importReport.clear();
    const QList<ArchiveFailure> fetchFailures = std::exchange(m_fetchFailures, {});
    try {
        runCheckDatabases(DM.condb, DM.Zipdb, paths, [this](const ImportJob& job) {
            // A source that is not there (no download yet, an offline first start) is told once
            // at the end instead of failing one window after another.
            if (m_importStep)
                runImport(job, ImportSetting::StartUp);
            else
                m_importReport.runOrNoteMissing(job, [this](const ImportJob& j) { return runImport(j, ImportSetting::StartUp); });
        });
        // Indexes a first load left for its second load to build are built now if that never came.
        settlePendingIndexesInBackground();
        upgradeCallSignIndex(DM.condb);
    } catch (...) {
        showDataStatus();
        throw;
    }
    showDataStatus();

    // Files of an archive that could not be fetched are told with it, not again as missing.
    QStringList missing;
    for (const QString& file : std::as_const(m_importReport.missing)) {
        bool told = false;
        for (const ArchiveFailure& f : fetchFailures)
            told = told || QDir::fromNativeSeparators(file).startsWith(f.source.folder + QLatin1Char('/'));
        if (!told)
            missing << file;
    }
    QStringList report;
    const QString fetchReport = fetchFailureReport(fetchFailures, DM.condb, DM.Zipdb);
    if (!fetchReport.isEmpty())
        report << fetchReport;
    if (!missing.isEmpty())
        report << QStringLiteral("These files were not found, so their tables stay empty until the data is updated:\n") +
                      missing.join(QLatin1Char('\n'));
    report << m_importReport.skippedTexts();
    if (!report.isEmpty())
        CenteredMessageDialog(this, report.join(QStringLiteral("\n\n")), fetchReport.isEmpty() ? MsgKind::Information : MsgKind::Warning,
                              MsgButton::Ok);
}

void TForm1::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    m_lookupService.reset();
    DM.condb.close();
    saveAppearance();
    tmr1->stop();
}

void TForm1::mnuExitClick() { close(); }

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && !FormActivated)
        QTimer::singleShot(0, this, reporting(this, &TForm1::FormActivate));
    if (e->type() == QEvent::FontChange)
        fontToMenus(menuBar(), font());
    return QMainWindow::event(e);
}

void TForm1::showEvent(QShowEvent* e) {
    if (!e->spontaneous() && !m_shown) {
        m_shown = true;
        reportErrors([this] { FormShow(); });
    }
    QMainWindow::showEvent(e);
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (m_busy > 0) {
        e->ignore();
        return;
    }
    // The window closes even when the settings cannot be saved; the error is still reported.
    reportErrors([this] { FormClose(); });
    e->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lblupdate && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        reportErrors([this] { lblupdateClick(); });
        return true;
    }
    // The search runs when Enter is released, but only for a press the search box itself took:
    // the release of the Enter that closed a message box, or a held key, starts nothing.
    if (watched == edtSearch && (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (enter && e->type() == QEvent::KeyPress && !k->isAutoRepeat())
            m_enterPressedInSearch = true;
        else if (enter && e->type() == QEvent::KeyRelease && !k->isAutoRepeat() && m_enterPressedInSearch) {
            m_enterPressedInSearch = false;
            reportErrors([this] { FetchCallsign(edtSearch->text(), true); });
        }
    }
    return QMainWindow::eventFilter(watched, e);
}
