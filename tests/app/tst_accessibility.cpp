// What a screen reader gets from every window of the program, read through Qt's accessibility
// interfaces (what the AT-SPI bridge hands on): every control has a name, every box and every
// value label exposes what it shows, and names follow captions when a caption changes.
#include "app/Main.h"
#include "batch/TProcessBatch.h"
#include "info/TAboutBox.h"
#include "info/TBrowser.h"
#include "search/TCountySearch.h"
#include "search/TDateSearch.h"
#include "search/TDistrictEditor.h"
#include "search/TTableResults.h"
#include "search/TfrmQuery.h"
#include "setup/TfrmSetup.h"
#include "MainWindowFixture.h"
#include "tests/support/Fixtures.h"
#include "ui/MessageDialog.h"
#include "zip/TfrmPostalEditor.h"
#include "zip/TfrmZipCRUD.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

QString accessibleText(QWidget* w, QAccessible::Text kind) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(kind) : QString();
}

bool isControl(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w)
           || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QGroupBox*>(w)
           || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QPlainTextEdit*>(w);
}

// Parts of a control that belong to another one (a combo box's line, a table's scroll bars) are
// read through their owner.
bool insideOtherControl(QWidget* w, QWidget* window) {
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractItemView*>(p)
            || qobject_cast<QPlainTextEdit*>(p))
            return true;
    return false;
}

// A label that is some box's caption is read as that box's name; every other label with text is
// a value (a date, a count, a time) and must be heard as it is shown.
bool isCaption(const QLabel* l, const QWidget* window) {
    for (const QLabel* other : window->findChildren<QLabel*>())
        if (other == l && l->buddy())
            return true;
    return false;
}

// What a screen reader misses in the window: the problems found, one per control.
QStringList unreadable(QWidget* window) {
    QStringList problems;
    const auto who = [](QWidget* w) { return QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className())); };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || insideOtherControl(w, window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString shown = label->text().trimmed();
            if (isCaption(label, window) || shown.isEmpty() || label->textFormat() == Qt::RichText || shown.startsWith(QLatin1Char('<')))
                continue;
            if (!accessibleText(w, QAccessible::Name).contains(shown) && !accessibleText(w, QAccessible::Value).contains(shown))
                problems << who(w) + QStringLiteral(" shows \"%1\" but reads \"%2\"").arg(shown, accessibleText(w, QAccessible::Name));
            continue;
        }
        if (!isControl(w))
            continue;
        if (accessibleText(w, QAccessible::Name).trimmed().isEmpty())
            problems << who(w) + QStringLiteral(" has no name");
        QString shown;
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->echoMode() == QLineEdit::Normal)
            shown = edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            shown = combo->currentText();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
            shown = spin->text();
        if (!shown.isEmpty() && accessibleText(w, QAccessible::Value) != shown)
            problems << who(w) + QStringLiteral(" shows \"%1\" but its value reads \"%2\"").arg(shown, accessibleText(w, QAccessible::Value));
    }
    return problems;
}

using WindowMaker = std::function<std::unique_ptr<QWidget>(TForm1&)>;

} // namespace

Q_DECLARE_METATYPE(WindowMaker)

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyWindowIsReadable_data();
    void everyWindowIsReadable();
    void namesFollowCaptions();
    void modeButtonsFollowTheToggleAction_data();
    void modeButtonsFollowTheToggleAction();

private:
    void search(const QString& call);
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<ScopedDialogAnswers> m_quietBoxes;
};

void TestAccessibility::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
}

void TestAccessibility::init() {
    m_dm = std::make_unique<TDM>();
    m_form = activatedMainWindow(*m_dm);
    m_quietBoxes = std::make_unique<ScopedDialogAnswers>();
}

void TestAccessibility::cleanup() {
    m_quietBoxes.reset();
    m_form.reset();
    m_dm.reset();
    QFile::remove(programDataPath() + QStringLiteral("Quillmarsh.cfg"));
}

void TestAccessibility::search(const QString& call) {
    auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    edit->setText(call);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TestAccessibility::everyWindowIsReadable_data() {
    QTest::addColumn<WindowMaker>("make");
    const auto owned = [](auto* w) { return std::unique_ptr<QWidget>(w); };
    QTest::newRow("main, US record") << WindowMaker([this](TForm1&) {
        search(QStringLiteral("W1AW"));
        return std::unique_ptr<QWidget>();
    });
    QTest::newRow("main, Canadian record") << WindowMaker([this](TForm1&) {
        search(QStringLiteral("VE3ABC"));
        return std::unique_ptr<QWidget>();
    });
    // The prompt's caption is the question it asks (ShowDialog puts it there).
    QTest::newRow("prompt") << WindowMaker([=](TForm1&) {
        auto* prompt = new TfrmQuery(nullptr);
        prompt->findChild<QLabel*>(QStringLiteral("Label1"))->setText(QStringLiteral("Enter a zipcode"));
        return owned(prompt);
    });
    QTest::newRow("result table") << WindowMaker([=](TForm1& f) { return owned(new TTableResults(f.context(), nullptr)); });
    QTest::newRow("county search") << WindowMaker([=](TForm1& f) { return owned(new TCountySearch(f.context(), nullptr)); });
    QTest::newRow("date search") << WindowMaker([=](TForm1& f) { return owned(new TDateSearch(f.context(), nullptr)); });
    QTest::newRow("district editor") << WindowMaker([=](TForm1& f) { return owned(new TDistrictEditor(f.context(), nullptr)); });
    QTest::newRow("batch") << WindowMaker([=](TForm1& f) { return owned(new TProcessBatch(nullptr, f.context())); });
    QTest::newRow("zip editor") << WindowMaker([=](TForm1& f) { return owned(new TfrmPostalEditor(nullptr, f.dataModule())); });
    QTest::newRow("zip form") << WindowMaker([=](TForm1& f) { return owned(new TfrmZipCRUD(nullptr, f.dataModule())); });
    QTest::newRow("setup") << WindowMaker([=](TForm1& f) { return owned(new TfrmSetup(nullptr, f.context())); });
    QTest::newRow("map") << WindowMaker([=](TForm1& f) { return owned(new TBrowser(nullptr, f.services(), std::nullopt)); });
    QTest::newRow("about") << WindowMaker([=](TForm1& f) { return owned(new TAboutBox(nullptr, f.values().AppDataPath)); });
}

void TestAccessibility::everyWindowIsReadable() {
    QFETCH(WindowMaker, make);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    std::unique_ptr<QWidget> made = make(*m_form);
    QWidget* window = made ? made.get() : m_form.get();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QStringList problems = unreadable(window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("\n  "))));
}

// The distance caption changes with the unit of the setup; the box's name goes with it.
void TestAccessibility::namesFollowCaptions() {
    for (const auto& [unit, caption] : {std::pair{0, "Distance (SM)"}, std::pair{1, "Distance (KM)"}, std::pair{2, "Distance (NM)"}}) {
        m_form->settings().SaveSetting(QStringLiteral("DisType"), unit);
        for (const auto& [call, box] : {std::pair{"W1AW", "edtDistance"}, std::pair{"VE3ABC", "CDNDistance"}}) {
            search(QLatin1String(call));
            auto* distance = m_form->findChild<QLineEdit*>(QLatin1String(box));
            QVERIFY2(!distance->text().isEmpty(), box);
            QCOMPARE(accessibleText(distance, QAccessible::Name), QLatin1String(caption));
        }
    }
}

void TestAccessibility::modeButtonsFollowTheToggleAction_data() {
    QTest::addColumn<WindowMaker>("make");
    QTest::addColumn<QString>("byDistrict");
    QTest::addColumn<QString>("byName");
    QTest::newRow("county search") << WindowMaker([](TForm1& f) { return std::unique_ptr<QWidget>(new TCountySearch(f.context(), nullptr)); })
                                   << "rbByDistrict" << "rbByName";
    QTest::newRow("date search") << WindowMaker([](TForm1& f) { return std::unique_ptr<QWidget>(new TDateSearch(f.context(), nullptr)); })
                                 << "rbDistrict" << "rbName";
}

// A screen reader switches a radio button through its toggle action, which never clicks it;
// the list shows the districts (or the counties) all the same.
void TestAccessibility::modeButtonsFollowTheToggleAction() {
    QFETCH(WindowMaker, make);
    QFETCH(QString, byDistrict);
    QFETCH(QString, byName);
    const QString folder = m_form->values().DistrictsPath + QStringLiteral("CT");
    QVERIFY(QDir().mkpath(folder));
    QFile district(folder + QStringLiteral("/Capitol Region"));
    QVERIFY(district.open(QIODevice::WriteOnly));
    district.write("Hartford\r\n");
    district.close();

    std::unique_ptr<QWidget> window = make(*m_form);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* state = window->findChild<QComboBox*>(QStringLiteral("cbbState"));
    auto* list = window->findChild<QListWidget*>(QStringLiteral("lbCounty"));
    state->setCurrentIndex(state->findText(QStringLiteral("CT")));
    emit state->activated(state->currentIndex());
    const QStringList counties = [&] {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }();
    QVERIFY(counties.contains(QStringLiteral("Hartford")));

    const auto toggle = [&](const QString& name) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window->findChild<QRadioButton*>(name));
        QVERIFY(iface && iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(window->findChild<QRadioButton*>(name)->isChecked());
    };
    toggle(byDistrict);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Capitol Region"));
    toggle(byName);
    QCOMPARE(list->count(), counties.size());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
