// What assistive technology reads for the controls of the search windows: every control a user
// can reach has a name, taken from its own caption, from the label that is its buddy, or from an
// accessible name where the window shows no caption for it; the labels read what is on screen.
#include "CountyFixture.h"

#include "search/TCountySearch.h"
#include "search/TDateSearch.h"
#include "search/TDistrictEditor.h"
#include "search/TTableResults.h"
#include "search/TfrmQuery.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>

namespace {

QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

bool isControl(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w)
           || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QGroupBox*>(w);
}

// The part of a control that belongs to another control (a combo box's list, a date edit's line,
// a table's corner button) is named through its owner.
bool insideOtherControl(QWidget* w, QWidget* window) {
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractItemView*>(p))
            return true;
    return false;
}

} // namespace

using WindowMaker = std::function<std::unique_ptr<QWidget>(const TAppContext&)>;
Q_DECLARE_METATYPE(WindowMaker)

class TestSearchCaptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<CountyFixtureEnv>(); }
    void cleanupTestCase() { m_env.reset(); }
    void everyControlIsNamed_data();
    void everyControlIsNamed();

private:
    std::unique_ptr<CountyFixtureEnv> m_env;
};

void TestSearchCaptions::everyControlIsNamed_data() {
    QTest::addColumn<WindowMaker>("make");
    // Names the windows must give, control by object name (the captions on screen).
    QTest::addColumn<QStringList>("expected");
    // The prompt's text is the caption of the box it asks for (ShowDialog puts it there).
    QTest::newRow("search prompt") << WindowMaker([](const TAppContext&) {
        auto prompt = std::make_unique<TfrmQuery>(nullptr);
        prompt->findChild<QLabel*>(QStringLiteral("Label1"))->setText(QStringLiteral("Enter a zipcode"));
        return prompt;
    }) << QStringList{"edtSearch=Enter a zipcode", "GroupBox1=Service", "GroupBox2=Status", "rbAmat=Amatuer", "rbGMRS=GMRS",
                      "rbActive=Active", "rbNotActive=Non-Active", "btnOK=OK", "btnCancel=Cancel"};
    QTest::newRow("result table")
        << WindowMaker([](const TAppContext& c) { return std::make_unique<TTableResults>(c, nullptr); })
        << QStringList{"btnExport=Export", "btnDismiss=Dismiss"};
    QTest::newRow("district editor")
        << WindowMaker([](const TAppContext& c) { return std::make_unique<TDistrictEditor>(c, nullptr); })
        << QStringList{"cboState=Select State", "cboDistrict=Select District", "bntNew=New District", "btnHelp=Help",
                       "btnUpdate=Update", "btnDismiss=Dismiss"};
    QTest::newRow("county search")
        << WindowMaker([](const TAppContext& c) { return std::make_unique<TCountySearch>(c, nullptr); })
        << QStringList{"cbbState=US State", "rg1=US County/Parish", "rbAmat=Amatuer", "rbGMRS=GMRS", "rbActive=Active",
                       "rbNotAtive=Non-Active", "btnSearch=Search", "btnExport=Export"};
    QTest::newRow("date search")
        << WindowMaker([](const TAppContext& c) { return std::make_unique<TDateSearch>(c, nullptr); })
        << QStringList{"rbGrant=Grant Date", "rbExpireDate=Expire Date", "rbLastAction=Last Action", "dtpStart=Start Date",
                       "dtpEndDate=End Date", "cbbState=Filter By State", "rg2=County/Parish", "rbAmat=Amatuer",
                       "rbGMRS=GMRS", "btnSearch=Search", "btnQuit=Quit"};
}

void TestSearchCaptions::everyControlIsNamed() {
    QFETCH(WindowMaker, make);
    QFETCH(QStringList, expected);
    const std::unique_ptr<QWidget> window = make(m_env->context());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!isControl(w) || insideOtherControl(w, window.get()))
            continue;
        if (accessibleName(w).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("controls without a name: ") + unnamed.join(QLatin1String(", "))));

    for (const QString& pair : expected) {
        const QString name = pair.section(QLatin1Char('='), 0, 0), caption = pair.section(QLatin1Char('='), 1);
        auto* w = window->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(accessibleName(w), caption);
    }
}

QTEST_MAIN(TestSearchCaptions)
#include "tst_search_captions.moc"
