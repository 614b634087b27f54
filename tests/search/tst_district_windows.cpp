// The district editor and the county search window, offscreen, on the county fixture.
#include "CountyFixture.h"

#include "search/DistrictFiles.h"
#include "search/TCountySearch.h"
#include "search/TDistrictEditor.h"
#include "tests/support/WidgetLookup.h"
#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {

QStringList items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void pick(QComboBox* box, const QString& text) {
    const int i = box->findText(text);
    if (i < 0)
        qFatal("no %s in %s", qPrintable(text), qPrintable(box->objectName()));
    box->setCurrentIndex(i);
}

void setCurrent(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        qFatal("no %s in %s", qPrintable(text), qPrintable(list->objectName()));
    list->setCurrentItem(found.first());
}

// The editor driven through its handlers, as its controls call them.
struct Editor {
    explicit Editor(CountyFixtureEnv& env) : w(env.context(), nullptr) {
        w.setDocumentOpener([this](const QString& path) { opened << path; });
    }
    void state(const QString& code) {
        pick(child<QComboBox>(w, "cboState"), code);
        w.cboStateSelect();
    }
    void district(const QString& name) {
        pick(child<QComboBox>(w, "cboDistrict"), name);
        w.cboDistrictSelect();
    }
    void add(const QString& county) {
        setCurrent(child<QListWidget>(w, "lbCounty"), county);
        w.lbCountyDblClick();
    }
    void remove(const QString& county) {
        setCurrent(child<QListWidget>(w, "lbDistrict"), county);
        w.lbDistrictDblClick();
    }
    QStringList shown() { return items(child<QListWidget>(w, "lbDistrict")); }
    QStringList districts() {
        auto* box = child<QComboBox>(w, "cboDistrict");
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    TDistrictEditor w;
    QStringList opened;
};

} // namespace

class TestDistrictEditor : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<CountyFixtureEnv>(); }
    void cleanup() { m_env.reset(); }

    void windowAndLists();
    void addTwiceRemoveAndEmptyIsZeroBytes();
    void newDistrict_data();
    void newDistrict();
    void noStateOrNoDistrictChosen();
    void changeThenSwitchWritesOnlyChanges();
    void secondEditorStartsWithNoDistrict();
    void byteOrderMarkKeptThroughEditor();
    void failuresKeepTheList();
    void missingStateFolderIsMade();
    void helpOpensShippedPage();

private:
    std::unique_ptr<CountyFixtureEnv> m_env;
};

void TestDistrictEditor::windowAndLists() {
    Editor e(*m_env);
    QCOMPARE(e.w.windowTitle(), QStringLiteral("District Editor"));
    QCOMPARE(e.w.size(), QSize(585, 489));
    QCOMPARE(child<QComboBox>(e.w, "cboState")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(e.w, "cboState")->count(), m_env->app.StateList.size());
    for (const char* b : {"bntNew", "btnHelp", "btnUpdate", "btnDismiss"})
        QVERIFY(child<QWidget>(e.w, b));
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Eastern Shore"), "Queen Anne's\r\n");
    e.state(QStringLiteral("MD"));
    QCOMPARE(items(child<QListWidget>(e.w, "lbCounty")),
             (QStringList{"Anne Arundel", "Montgomery", "Odd \"Quoted\" County", "Prince George's", "Queen Anne's"}));
    QCOMPARE(e.districts(), QStringList{"Eastern Shore"});
    QCOMPARE(child<QComboBox>(e.w, "cboDistrict")->currentIndex(), -1);
    // A real double-click on a county adds it.
    e.district(QStringLiteral("Eastern Shore"));
    auto* counties = child<QListWidget>(e.w, "lbCounty");
    e.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.w));
    QListWidgetItem* item = counties->findItems(QStringLiteral("Montgomery"), Qt::MatchExactly).first();
    const QPoint at = counties->visualItemRect(item).center();
    QTest::mouseClick(counties->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(counties->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(e.shown(), (QStringList{"Queen Anne's", "Montgomery"}));
    QVERIFY(e.w.districtChanged());
}

void TestDistrictEditor::addTwiceRemoveAndEmptyIsZeroBytes() {
    ScopedDialogAnswers boxes;
    const QString file = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Capital"), "MONTGOMERY\r\n");
    Editor e(*m_env);
    e.state(QStringLiteral("MD"));
    e.district(QStringLiteral("Capital"));
    e.add(QStringLiteral("Montgomery"));   // listed already, in other letters
    QVERIFY(!e.w.districtChanged());
    e.add(QStringLiteral("Prince George's"));
    e.add(QStringLiteral("Prince George's"));
    e.add(QStringLiteral("Anne Arundel"));
    QCOMPARE(e.shown(), (QStringList{"MONTGOMERY", "Prince George's", "Anne Arundel"}));
    e.remove(QStringLiteral("Prince George's"));
    child<QPushButton>(e.w, "btnUpdate")->click();
    QCOMPARE(fileBytes(file), QByteArray("MONTGOMERY\r\nAnne Arundel\r\n"));
    QVERIFY(!e.w.districtChanged());
    e.remove(QStringLiteral("MONTGOMERY"));
    e.remove(QStringLiteral("Anne Arundel"));
    child<QPushButton>(e.w, "btnUpdate")->click();
    QCOMPARE(QFileInfo(file).size(), 0);
    QVERIFY(boxes.messages.isEmpty());
}

void TestDistrictEditor::newDistrict_data() {
    QTest::addColumn<QStringList>("answers");   // empty: the input box is cancelled
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("districtsAfter");
    QTest::newRow("new name") << QStringList{"Capital Area"} << QString() << QStringList{"Capital Area", "Eastern Shore"};
    QTest::newRow("name in use") << QStringList{"Eastern Shore"} << "That name already in use, try again"
                                 << QStringList{"Eastern Shore"};
    QTest::newRow("slash") << QStringList{"North/South"} << "That name is invalid, try again" << QStringList{"Eastern Shore"};
    QTest::newRow("colon") << QStringList{"C:Area"} << "That name is invalid, try again" << QStringList{"Eastern Shore"};
    QTest::newRow("empty") << QStringList{""} << "That name is invalid, try again" << QStringList{"Eastern Shore"};
    QTest::newRow("cancelled") << QStringList{} << QString() << QStringList{"Eastern Shore"};
}

void TestDistrictEditor::newDistrict() {
    QFETCH(QStringList, answers);
    QFETCH(QString, message);
    QFETCH(QStringList, districtsAfter);
    const QString shore = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Eastern Shore"), "Queen Anne's\r\n");
    ScopedDialogAnswers boxes;
    Editor e(*m_env);
    e.state(QStringLiteral("MD"));
    e.district(QStringLiteral("Eastern Shore"));
    e.add(QStringLiteral("Anne Arundel"));
    boxes.inputAnswers = answers;
    child<QPushButton>(e.w, "bntNew")->click();
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(QDir(m_env->stateFolder(QStringLiteral("MD"))).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase), districtsAfter);
    QCOMPARE(e.districts(), districtsAfter);
    const bool created = districtsAfter.size() == 2;
    if (created) {
        // The new, empty district is current, none is shown as chosen, the change before is dropped.
        const QString fresh = districtFilePath(m_env->stateFolder(QStringLiteral("MD")), QStringLiteral("Capital Area"));
        QCOMPARE(e.w.districtFile(), fresh);
        QCOMPARE(QFileInfo(fresh).size(), 0);
        QVERIFY(e.shown().isEmpty());
        QCOMPARE(child<QComboBox>(e.w, "cboDistrict")->currentIndex(), -1);
        QCOMPARE(fileBytes(shore), QByteArray("Queen Anne's\r\n"));
        e.add(QStringLiteral("Montgomery"));
        child<QPushButton>(e.w, "btnUpdate")->click();
        QCOMPARE(fileBytes(fresh), QByteArray("Montgomery\r\n"));
    } else {
        // Update still writes to the district that was shown.
        QCOMPARE(e.w.districtFile(), shore);
        child<QPushButton>(e.w, "btnUpdate")->click();
        QCOMPARE(fileBytes(shore), QByteArray("Queen Anne's\r\nAnne Arundel\r\n"));
    }
}

void TestDistrictEditor::noStateOrNoDistrictChosen() {
    ScopedDialogAnswers boxes;
    boxes.inputAnswers = {QStringLiteral("Never Asked")};
    {
        Editor e(*m_env);
        child<QPushButton>(e.w, "bntNew")->click();
        QCOMPARE(boxes.texts(), QStringList{"Choose a state first"});
        QCOMPARE(boxes.inputAnswers.size(), 1);   // the name was not asked for

        e.state(QStringLiteral("MD"));
        e.add(QStringLiteral("Montgomery"));
        boxes.messages.clear();
        child<QPushButton>(e.w, "btnUpdate")->click();
        QCOMPARE(boxes.texts(), QStringList{"Choose or create a district first"});
        boxes.messages.clear();
        e.w.show();
        child<QPushButton>(e.w, "btnDismiss")->click();
        QVERIFY(!e.w.isVisible());
        QVERIFY(boxes.messages.isEmpty());
    }
    for (const QString& state : std::as_const(m_env->app.StateList))
        QVERIFY(QDir(m_env->stateFolder(state)).isEmpty());
}

void TestDistrictEditor::changeThenSwitchWritesOnlyChanges() {
    ScopedDialogAnswers boxes;
    const QString a = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("A"), "Montgomery\r\n");
    const QString b = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("B"), "Anne Arundel\r\n");
    Editor e(*m_env);
    e.state(QStringLiteral("MD"));
    e.district(QStringLiteral("A"));
    e.add(QStringLiteral("Queen Anne's"));
    e.district(QStringLiteral("B"));
    QCOMPARE(fileBytes(a), QByteArray("Montgomery\r\nQueen Anne's\r\n"));
    QCOMPARE(e.shown(), QStringList{"Anne Arundel"});
    QVERIFY(!e.w.districtChanged());
    // Without a change nothing is written: what another program put in B stays.
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("B"), "Written elsewhere\r\n");
    e.district(QStringLiteral("A"));
    QCOMPARE(fileBytes(b), QByteArray("Written elsewhere\r\n"));
    // Closing writes only when changed.
    e.add(QStringLiteral("Anne Arundel"));
    e.w.show();
    e.w.close();
    QCOMPARE(fileBytes(a), QByteArray("Montgomery\r\nQueen Anne's\r\nAnne Arundel\r\n"));
    QVERIFY(boxes.messages.isEmpty());
}

void TestDistrictEditor::secondEditorStartsWithNoDistrict() {
    const QString a = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("A"), "Montgomery\r\n");
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("B"), "Anne Arundel\r\n");
    {
        Editor first(*m_env);
        first.state(QStringLiteral("MD"));
        first.district(QStringLiteral("A"));
        first.add(QStringLiteral("Queen Anne's"));
        first.w.show();
        first.w.close();
    }
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("A"), "Changed since\r\n");
    Editor second(*m_env);
    QVERIFY(second.w.districtFile().isEmpty());
    QVERIFY(second.w.stateFolder().isEmpty());
    QVERIFY(second.shown().isEmpty());
    second.state(QStringLiteral("MD"));
    second.district(QStringLiteral("B"));
    second.add(QStringLiteral("Montgomery"));
    second.w.show();
    second.w.close();
    QCOMPARE(fileBytes(a), QByteArray("Changed since\r\n"));
}

void TestDistrictEditor::byteOrderMarkKeptThroughEditor() {
    QByteArray utf16("\xFF\xFE");
    for (char c : QByteArray("Montgomery\r\n"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    const QString file = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Wide"), utf16);
    Editor e(*m_env);
    e.state(QStringLiteral("MD"));
    e.district(QStringLiteral("Wide"));
    QCOMPARE(e.shown(), QStringList{"Montgomery"});
    e.add(QStringLiteral("Queen Anne's"));
    child<QPushButton>(e.w, "btnUpdate")->click();
    const QByteArray written = fileBytes(file);
    QVERIFY(written.startsWith("\xFF\xFE"));
    const DistrictList back = decodeDistrict(written);
    QCOMPARE(back.counties, (QStringList{"Montgomery", "Queen Anne's"}));
    QCOMPARE(back.encoding, DistrictEncoding::Utf16LE);
}

void TestDistrictEditor::failuresKeepTheList() {
    ScopedDialogAnswers boxes(MsgButton::No);
    const QString a = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("A"), "Montgomery\r\n");
    const QString b = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("B"), "Anne Arundel\r\n");
    Editor e(*m_env);
    e.state(QStringLiteral("MD"));
    e.district(QStringLiteral("A"));

    // A district that disappeared: reported with its path; A stays current and shown.
    QFile::remove(b);
    e.district(QStringLiteral("B"));
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY2(boxes.messages.first().text.contains(QDir::toNativeSeparators(b)), qPrintable(boxes.messages.first().text));
    QCOMPARE(e.w.districtFile(), a);
    QCOMPARE(e.shown(), QStringList{"Montgomery"});
    QCOMPARE(child<QComboBox>(e.w, "cboDistrict")->currentText(), QStringLiteral("A"));

    // A write that fails: reported with path and reason, the list stays, still marked changed.
    e.add(QStringLiteral("Queen Anne's"));
    const QString folder = m_env->stateFolder(QStringLiteral("MD"));
    QVERIFY(QDir(folder).removeRecursively());
    boxes.messages.clear();
    child<QPushButton>(e.w, "btnUpdate")->click();
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY2(boxes.messages.first().text.contains(QDir::toNativeSeparators(a)), qPrintable(boxes.messages.first().text));
    QCOMPARE(e.shown(), (QStringList{"Montgomery", "Queen Anne's"}));
    QVERIFY(e.w.districtChanged());

    // Closing: the failed write asks before the changes are lost; No keeps the window open.
    e.w.show();
    boxes.messages.clear();
    e.w.close();
    QVERIFY(e.w.isVisible());
    QCOMPARE(boxes.messages.last().kind, MsgKind::Confirmation);

    // Once the folder is back, Update saves what the list showed.
    QVERIFY(QDir().mkpath(folder));
    child<QPushButton>(e.w, "btnUpdate")->click();
    QCOMPARE(fileBytes(a), QByteArray("Montgomery\r\nQueen Anne's\r\n"));
    e.w.close();
    QVERIFY(!e.w.isVisible());
}

void TestDistrictEditor::missingStateFolderIsMade() {
    ScopedDialogAnswers boxes;
    const QString folder = m_env->stateFolder(QStringLiteral("TX"));
    QVERIFY(QDir(folder).removeRecursively());
    Editor e(*m_env);
    e.state(QStringLiteral("TX"));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(boxes.messages.isEmpty());
    QCOMPARE(items(child<QListWidget>(e.w, "lbCounty")), (QStringList{"Harris", "Montgomery"}));
    boxes.inputAnswers = {QStringLiteral("Lake Area")};
    child<QPushButton>(e.w, "bntNew")->click();
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Lake Area")));
}

void TestDistrictEditor::helpOpensShippedPage() {
    Editor e(*m_env);
    child<QPushButton>(e.w, "btnHelp")->click();
    QCOMPARE(e.opened.size(), 1);
    QVERIFY(e.opened.first().endsWith(QStringLiteral("DistrictHelp.htm")));
    const QByteArray page = fileBytes(e.opened.first());
    QVERIFY(page.startsWith("<!DOCTYPE html>"));
    QVERIFY(page.contains("</html>"));
}

class TestCountySearchWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<CountyFixtureEnv>(); }
    void cleanup() { m_env.reset(); }
    void modesAndSelection();
    void searchCountAndResultArea();
    void districtSearchAndMissingFile();
    void sortFlagOfTheWindowClass();
    void exportCsv();

private:
    std::unique_ptr<CountyFixtureEnv> m_env;
};

namespace {

struct CountyWindow {
    explicit CountyWindow(CountyFixtureEnv& env) : w(env.context(), nullptr) {}
    void state(const QString& code) {
        pick(child<QComboBox>(w, "cbbState"), code);
        w.cbbStateSelect();
    }
    void mode(bool district) {
        child<QRadioButton>(w, district ? "rbByDistrict" : "rbByName")->click();
    }
    void select(const QStringList& names) {
        auto* list = child<QListWidget>(w, "lbCounty");
        list->clearSelection();
        for (const QString& n : names)
            list->findItems(n, Qt::MatchExactly).first()->setSelected(true);
    }
    QStringList calls() {
        QStringList out;
        auto* model = child<QTableView>(w, "dbgrd1")->model();
        for (int r = 0; model && r < model->rowCount(); ++r)
            out << model->index(r, 0).data().toString();
        return out;
    }
    QString count() { return child<QLabel>(w, "lblNumRecords")->text(); }
    bool areaShown() { return !child<QGroupBox>(w, "grp1")->isHidden(); }
    TCountySearch w;
};

} // namespace

void TestCountySearchWindow::modesAndSelection() {
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Capital"), "Montgomery\r\n");
    CountyWindow c(*m_env);
    QCOMPARE(c.w.windowTitle(), QStringLiteral("US County Search"));
    QVERIFY(child<QRadioButton>(c.w, "rbByName")->isChecked());
    QVERIFY(child<QRadioButton>(c.w, "rbAmat")->isChecked());
    QCOMPARE(child<QRadioButton>(c.w, "rbAmat")->text(), QStringLiteral("Amatuer"));
    QVERIFY(child<QRadioButton>(c.w, "rbActive")->isChecked());
    QVERIFY(!c.areaShown());
    QCOMPARE(c.count(), QStringLiteral("0"));
    auto* list = child<QListWidget>(c.w, "lbCounty");
    c.state(QStringLiteral("MD"));
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    c.select({QStringLiteral("Montgomery"), QStringLiteral("Queen Anne's")});
    c.w.btnSearchClick();
    QCOMPARE(c.count(), QStringLiteral("3"));

    // A change of mode empties the list and the count, and keeps a shown area with its rows.
    c.mode(true);
    QCOMPARE(items(list), QStringList{"Capital"});
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(c.count(), QStringLiteral("0"));
    QVERIFY(c.areaShown());
    QCOMPARE(c.calls().size(), 3);
    c.mode(false);
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    c.state(QStringLiteral("TX"));
    QCOMPARE(items(list), (QStringList{"Harris", "Montgomery"}));
}

void TestCountySearchWindow::searchCountAndResultArea() {
    ScopedDialogAnswers boxes;
    CountyWindow c(*m_env);
    c.state(QStringLiteral("TX"));
    // Nothing selected: the area goes and nothing else happens.
    c.w.btnSearchClick();
    QVERIFY(!c.areaShown());
    // The first search finds nothing: count 0, the area shown with an empty grid.
    c.select({QStringLiteral("Harris")});
    c.w.btnSearchClick();
    QVERIFY(c.areaShown());
    QCOMPARE(c.count(), QStringLiteral("0"));
    QVERIFY(c.calls().isEmpty());

    c.state(QStringLiteral("MD"));
    c.select({QStringLiteral("Prince George's"), QStringLiteral("Montgomery")});
    child<QPushButton>(c.w, "btnSearch")->click();
    QCOMPARE(c.count(), QStringLiteral("3"));
    QCOMPARE(child<QTableView>(c.w, "dbgrd1")->model()->columnCount(), 18);
    child<QRadioButton>(c.w, "rbGMRS")->click();
    child<QRadioButton>(c.w, "rbNotAtive")->click();
    child<QPushButton>(c.w, "btnSearch")->click();
    QStringList calls = c.calls();
    calls.sort();
    QCOMPARE(calls, (QStringList{"WRAA200", "WRAA300"}));
    QCOMPARE(child<QTableView>(c.w, "dbgrd1")->model()->columnCount(), 15);
    // A later search without rows empties the bound grid.
    c.select({QStringLiteral("Anne Arundel")});
    c.w.btnSearchClick();
    QCOMPARE(c.count(), QStringLiteral("0"));
    QVERIFY(c.calls().isEmpty());
    QVERIFY(c.areaShown());
    QVERIFY(boxes.messages.isEmpty());
}

void TestCountySearchWindow::districtSearchAndMissingFile() {
    ScopedDialogAnswers boxes;
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Capital"), "Prince George's\r\nQueen Anne's\r\n");
    const QString gone = m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Gone"), "Montgomery\r\n");
    m_env->putDistrict(QStringLiteral("MD"), QStringLiteral("Empty"), "");
    CountyWindow c(*m_env);
    c.state(QStringLiteral("MD"));
    c.mode(true);
    c.select({QStringLiteral("Capital")});
    c.w.btnSearchClick();
    QStringList calls = c.calls();
    calls.sort();
    QCOMPARE(calls, (QStringList{"W3AAA", "W3CCC"}));
    c.select({QStringLiteral("Empty")});
    c.w.btnSearchClick();
    QCOMPARE(c.count(), QStringLiteral("0"));
    QVERIFY(c.areaShown());
    QVERIFY(boxes.messages.isEmpty());

    QFile::remove(gone);
    c.select({QStringLiteral("Gone")});
    c.w.btnSearchClick();
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY(boxes.messages.first().text.contains(QDir::toNativeSeparators(gone)));
    QVERIFY(!c.areaShown());
}

void TestCountySearchWindow::sortFlagOfTheWindowClass() {
    TCountySearch::SortAscending = false;   // as at program start
    auto search = [this](CountyWindow& c) {
        c.state(QStringLiteral("MD"));
        c.select({QStringLiteral("Prince George's"), QStringLiteral("Montgomery"), QStringLiteral("Queen Anne's")});
        c.w.btnSearchClick();
    };
    CountyWindow one(*m_env);
    search(one);
    auto* header = child<QTableView>(one.w, "dbgrd1")->horizontalHeader();
    one.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&one.w));
    // A real click on the call_sign title sorts ascending first, then descending.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(one.calls(), (QStringList{"W3AAA", "W3BBB", "W3CCC", "W3GGG"}));
    one.w.dbgrd1TitleClick(0);
    QCOMPARE(one.calls(), (QStringList{"W3GGG", "W3CCC", "W3BBB", "W3AAA"}));
    // A new window goes on from there: its first click sorts ascending.
    CountyWindow two(*m_env);
    search(two);
    two.w.dbgrd1TitleClick(0);
    QCOMPARE(two.calls(), (QStringList{"W3AAA", "W3BBB", "W3CCC", "W3GGG"}));
    QVERIFY(TCountySearch::SortAscending);
}

void TestCountySearchWindow::exportCsv() {
    ScopedDialogAnswers boxes;
    const QString file = m_env->home->filePath(QStringLiteral("county.csv"));
    CountyWindow c(*m_env);
    boxes.fileAnswers = {file};
    c.w.btnExportClick();
    QCOMPARE(boxes.texts(), QStringList{"Nothing to export"});
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(boxes.fileAnswers.size(), 1);   // no file was asked for

    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old content that is longer than the export\r\n") > 0);
    old.close();
    c.state(QStringLiteral("MD"));
    child<QRadioButton>(c.w, "rbGMRS")->click();
    c.select({QStringLiteral("Prince George's")});
    c.w.btnSearchClick();
    boxes.messages.clear();
    child<QPushButton>(c.w, "btnExport")->click();
    QCOMPARE(boxes.texts(), QStringList{"Export Complete"});
    QCOMPARE(fileBytes(file),
             QByteArray("\"call_sign\",\"entity_name\",\"first_name\",\"mi\",\"last_name\",\"street_address\",\"po_box\",\"city\","
                        "\"county\",\"state\",\"zip_code\",\"grant_date\",\"expired_date\",\"effective_date\",\"last_action_date\"\r\n"
                        "\"WRAA100\",\"\",\"First\",\"\",\"Last\",\"1 Main St\",\"\",\"Town\",\"Prince George's\",\"MD\",\"00000\","
                        "\"2020-03-15\",\"2030-03-15\",\"2020-03-15\",\"2020-03-15\"\r\n"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestDistrictEditor t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestCountySearchWindow t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_district_windows.moc"
