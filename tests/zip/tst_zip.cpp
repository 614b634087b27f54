// The zip table editor: its search and writes run directly on a small postal.db, then the record
// form and the editor window offscreen, with the message boxes answered through the seam.
#include "core/DataModule.h"
#include "core/SchemaCheck.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WidgetLookup.h"
#include "ui/MessageDialog.h"
#include "zip/TfrmPostalEditor.h"
#include "zip/TfrmZipCRUD.h"
#include "zip/ZipTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QVariantList kRows[] = {
    {"85701", "Tucson", "AZ", 32.2217, -110.9265, "Pima"},
    {"85702", "Tucson", "AZ", 32.2, -110.9, "Pima"},
    {"18570", "Somewhere", "PA", 40.0, -75.0, "Bucks"},
    {"06111", "Newington", "CT", 41.6869, -72.7305, "Hartford"},
    {"12%45", "Percent", "ZZ", 1.0, 1.0, ""},
    {"12_45", "Underscore", "ZZ", 1.0, 1.0, ""},
    {"12345", "Plain", "ZZ", 1.0, 1.0, ""},
    {"K1A", "Ottawa", "ON", 45.4166, -75.7, "Ottawa Region"},
    {"k1b", "Lower", "ON", 45.0, -75.0, ""},
};
constexpr int kRowCount = int(std::size(kRows));

QStringList zipsOf(const Query& q) {
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r)
        out << q.text(r, QStringLiteral("zip"));
    out.sort();
    return out;
}

void type(QLineEdit* box, const QString& text) {
    box->clear();
    QTest::keyClicks(box, text);
}

// Types the values into the boxes as a user would; the read-only key box is set as the editor sets it.
void fill(TfrmZipCRUD& form, const ZipRecordText& r) {
    type(form.edtZip, r.zip);
    type(form.edtCity, r.city);
    type(form.edtState, r.state);
    type(form.edtLatitude, r.latitude);
    type(form.edtLongitude, r.longitude);
    type(form.edtCounty, r.county);
    form.edtKey->setText(r.key);
}

} // namespace

class TestZip : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void searchMatchesLiterally_data();
    void searchMatchesLiterally();
    void recordChecks_data();
    void recordChecks();
    void coordinatesInCommaLocale();
    void addStoresValuesBound();
    void addDuplicateWarnsAndCloses();
    void badValuesKeepFormOpen_data();
    void badValuesKeepFormOpen();
    void updateChangesRowByKey();
    void updateUnknownKeySaysSo();
    void editorShowsAllRowsNarrowColumns();
    void editorSearchAndShowAll();
    void editorAddNewLeavesGridUntilSearch();
    void editorUpdateRefreshesAndKeepsRow();
    void editorUpdateOnEmptyGrid();

private:
    int rowCount(const QString& where = QStringLiteral("1=1"), const QVariantList& params = {});
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDM> m_dm;
};

void TestZip::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_dir);
    m_dm = std::make_unique<TDM>();
    m_dm->Zipdb.open(m_dir->filePath(QStringLiteral("postal.db")));
    runSchemaScript(m_dm->Zipdb, QStringLiteral("postal.sql"));
    Statement ins(m_dm->Zipdb, QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values(?1,?2,?3,?4,?5,?6)"));
    for (const auto& r : kRows) {
        ins.bindAll(r);
        ins.execute();
    }
}

void TestZip::cleanup() {
    m_dm.reset();
    m_dir.reset();
}

int TestZip::rowCount(const QString& where, const QVariantList& params) {
    return m_dm->Zipdb.scalar(QStringLiteral("select count(*) from zipcodes where ") + where, params).toInt();
}

void TestZip::searchMatchesLiterally_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("zips");
    QTest::newRow("empty is every row") << "" << QStringList();   // checked by count below
    QTest::newRow("anywhere in the code") << "857" << QStringList{"18570", "85701", "85702"};
    QTest::newRow("percent is a character") << "%" << QStringList{"12%45"};
    QTest::newRow("underscore is a character") << "2_4" << QStringList{"12_45"};
    QTest::newRow("ASCII case ignored") << "K1" << QStringList{"K1A", "k1b"};
    QTest::newRow("double quote") << "12\"" << QStringList();
    QTest::newRow("quote and SQL") << "1' or '1'='1" << QStringList();
    QTest::newRow("backslash") << "\\" << QStringList();
}

void TestZip::searchMatchesLiterally() {
    QFETCH(QString, text);
    QFETCH(QStringList, zips);
    openZipSearch(m_dm->Zipdb, m_dm->QuerySearch, text);
    if (text.isEmpty()) {
        QCOMPARE(m_dm->QuerySearch.recordCount(), kRowCount);
        QCOMPARE(m_dm->QuerySearch.fieldNames(),
                 QStringList({"key", "zip", "city", "state", "latitude", "longitude", "county"}));
    } else {
        QCOMPARE(zipsOf(m_dm->QuerySearch), zips);
    }
}

void TestZip::recordChecks_data() {
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("update");
    QTest::addColumn<QString>("problemStart");   // empty: none
    QTest::newRow("plain add") << "32.5" << "-110.25" << "" << false << "";
    QTest::newRow("edges") << "-90" << "180" << "" << false << "";
    QTest::newRow("spaces around") << " 45.5 " << " -75 " << "" << false << "";
    QTest::newRow("latitude over 90") << "90.0001" << "0" << "" << false << "Latitude:";
    QTest::newRow("longitude under -180") << "0" << "-180.5" << "" << false << "Longitude:";
    QTest::newRow("empty latitude") << "" << "0" << "" << false << "Latitude:";
    QTest::newRow("words") << "north" << "0" << "" << false << "Latitude:";
    QTest::newRow("statement in a coordinate") << "1); drop table zipcodes; --" << "0" << "" << false << "Latitude:";
    QTest::newRow("not a number") << "nan" << "0" << "" << false << "Latitude:";
    QTest::newRow("infinite") << "0" << "inf" << "" << false << "Longitude:";
    QTest::newRow("update needs key") << "1" << "1" << "" << true << "Record Key:";
    QTest::newRow("update key not a number") << "1" << "1" << "x1" << true << "Record Key:";
    QTest::newRow("update with key") << "1" << "1" << "7" << true << "";
}

void TestZip::recordChecks() {
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(QString, key);
    QFETCH(bool, update);
    QFETCH(QString, problemStart);
    const QString problem = zipRecordProblem({"99999", "City", "ST", lat, lon, "County", key}, update);
    if (problemStart.isEmpty())
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    else
        QVERIFY2(problem.startsWith(problemStart), qPrintable(problem));
    QVERIFY(zipRecordProblem({"", "City", "ST", "1", "1", "", "1"}, false).startsWith(QStringLiteral("Zip/Posal Code:")));
}

void TestZip::coordinatesInCommaLocale() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto comma = parseCoordinate(QStringLiteral("41,5"));
    const auto point = parseCoordinate(QStringLiteral("41.123"));   // not the group separator here
    QLocale::setDefault(before);
    QVERIFY(comma && point);
    QCOMPARE(*comma, 41.5);
    QCOMPARE(*point, 41.123);
    // Where the comma is no decimal separator it is no group separator either: "0,045" is not 45.
    for (const char* text : {"0,045", "1,234", "41,5"})
        QVERIFY2(!parseCoordinate(QLatin1String(text)), text);
    QCOMPARE(parseCoordinate(QStringLiteral("41.123")).value_or(0), 41.123);
}

void TestZip::addStoresValuesBound() {
    ScopedDialogAnswers boxes;
    TfrmZipCRUD form(nullptr, *m_dm);
    form.show();
    fill(form, {"63366", "O'Fallon", "MO", "38.81", "-90.7", "St. Charles\"); delete from zipcodes; --", ""});
    QTest::mouseClick(child<QPushButton>(form, "btnAdd"), Qt::LeftButton);

    QCOMPARE(boxes.texts(), QStringList{"Record Added Sucessfully"});
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(rowCount(), kRowCount + 1);
    QCOMPARE(rowCount(QStringLiteral("zip='63366' and city=?1 and county=?2 and latitude=38.81 and longitude=-90.7 "
                                      "and typeof(latitude)='real'"),
                      {"O'Fallon", "St. Charles\"); delete from zipcodes; --"}),
             1);
}

void TestZip::addDuplicateWarnsAndCloses() {
    ScopedDialogAnswers boxes;
    TfrmZipCRUD form(nullptr, *m_dm);
    form.show();
    fill(form, {"85701", "Other", "", "1", "1", "", ""});
    form.btnAddClick();
    QCOMPARE(boxes.texts(), QStringList{"A postal code with that value alreay exists"});
    QCOMPARE(boxes.messages.at(0).kind, MsgKind::Warning);
    QVERIFY(!form.isVisible());
    QCOMPARE(rowCount(), kRowCount);
    QCOMPARE(rowCount(QStringLiteral("city='Other'")), 0);
}

void TestZip::badValuesKeepFormOpen_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("box");
    QTest::newRow("add, empty latitude") << 0 << "" << "" << "Latitude:";
    QTest::newRow("add, latitude 123") << 0 << "123" << "" << "Latitude:";
    QTest::newRow("update, empty key") << 1 << "30" << "" << "Record Key:";
}

void TestZip::badValuesKeepFormOpen() {
    QFETCH(int, tag);
    QFETCH(QString, lat);
    QFETCH(QString, key);
    QFETCH(QString, box);
    ScopedDialogAnswers boxes;
    TfrmZipCRUD form(nullptr, *m_dm);
    form.Tag = tag;
    form.show();
    fill(form, {tag == 1 ? "85701" : "55555", "Kept", "", lat, "-100", "", key});
    form.btnAddClick();
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY2(boxes.messages.at(0).text.startsWith(box), qPrintable(boxes.messages.at(0).text));
    QVERIFY(form.isVisible());
    QCOMPARE(form.edtCity->text(), QStringLiteral("Kept"));
    QCOMPARE(form.edtLatitude->text(), lat);
    QCOMPARE(rowCount(QStringLiteral("city='Kept'")), 0);
    QCOMPARE(rowCount(), kRowCount);
}

void TestZip::updateChangesRowByKey() {
    const qint64 key = m_dm->Zipdb.scalar(QStringLiteral("select key from zipcodes where zip='06111'")).toLongLong();
    ScopedDialogAnswers boxes;
    TfrmZipCRUD form(nullptr, *m_dm);
    form.Tag = 1;
    form.show();
    QCOMPARE(child<QLabel>(form, "lblAction")->text(), QStringLiteral("Update Record"));
    fill(form, {"06111", "O'Newington", "CT", "41.5", "-72.5", "Hartford", QString::number(key)});
    form.btnAddClick();
    QCOMPARE(boxes.texts(), QStringList{"Record Updated Sucessfully"});
    QVERIFY(!form.isVisible());
    QCOMPARE(rowCount(QStringLiteral("key=?1 and city=?2 and latitude=41.5 and longitude=-72.5"), {key, "O'Newington"}), 1);
    QCOMPARE(rowCount(QStringLiteral("city='Newington'")), 0);
    QCOMPARE(rowCount(), kRowCount);
}

void TestZip::updateUnknownKeySaysSo() {
    ScopedDialogAnswers boxes;
    TfrmZipCRUD form(nullptr, *m_dm);
    form.Tag = 1;
    form.show();
    fill(form, {"85701", "Ghost", "", "1", "1", "", "9999"});
    form.btnAddClick();
    QCOMPARE(boxes.texts(), QStringList{"No zip record has the key 9999; nothing was changed."});
    QCOMPARE(rowCount(QStringLiteral("city='Ghost'")), 0);
}

void TestZip::editorShowsAllRowsNarrowColumns() {
    TfrmPostalEditor editor(nullptr, *m_dm);
    editor.show();
    auto* grid = child<QTableView>(editor, "dbgrd1");
    QCOMPARE(grid->model()->rowCount(), kRowCount);
    QCOMPARE(grid->model()->columnCount(), 7);
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("zip"));
    int narrower = 0;
    for (int c = 0; c < 7; ++c) {
        QVERIFY2(grid->columnWidth(c) <= TfrmPostalEditor::kMaxColumnWidth, qPrintable(QString::number(grid->columnWidth(c))));
        narrower += grid->columnWidth(c) < TfrmPostalEditor::kMaxColumnWidth ? 1 : 0;
    }
    // The key and state columns fit their contents and keep that width.
    QVERIFY(narrower >= 2);
}

void TestZip::editorSearchAndShowAll() {
    TfrmPostalEditor editor(nullptr, *m_dm);
    editor.show();
    auto* grid = child<QTableView>(editor, "dbgrd1");
    auto* search = child<QLineEdit>(editor, "edtSearch");
    QTest::keyClicks(search, QStringLiteral("857"));
    QTest::mouseClick(child<QPushButton>(editor, "btngo"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 3);
    search->clear();
    QTest::mouseClick(child<QPushButton>(editor, "btngo"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), kRowCount);
}

void TestZip::editorAddNewLeavesGridUntilSearch() {
    ScopedDialogAnswers boxes;
    TfrmPostalEditor editor(nullptr, *m_dm);
    editor.show();
    auto* grid = child<QTableView>(editor, "dbgrd1");
    QStringList seen;
    QColor keyBackground;
    whenShown<TfrmZipCRUD>([&](TfrmZipCRUD& form) {
        for (QLineEdit* box : {form.edtZip, form.edtCity, form.edtState, form.edtLatitude, form.edtLongitude, form.edtCounty, form.edtKey})
            seen << box->text();
        seen << child<QLabel>(form, "lblAction")->text();
        keyBackground = form.edtKey->grab().toImage().pixelColor(form.edtKey->width() - 4, form.edtKey->height() / 2);
        fill(form, {"99501", "Anchorage", "AK", "61.2", "-149.9", "", ""});
        QTest::mouseClick(child<QPushButton>(form, "btnAdd"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(editor, "btnAdd"), Qt::LeftButton);
    QCOMPARE(seen, QStringList({"", "", "", "", "", "", "", "Add Record"}));
    QCOMPARE(keyBackground, QColor(Qt::yellow));
    QCOMPARE(boxes.texts(), QStringList{"Record Added Sucessfully"});
    QCOMPARE(rowCount(QStringLiteral("zip='99501'")), 1);
    QCOMPARE(grid->model()->rowCount(), kRowCount);
    QTest::mouseClick(child<QPushButton>(editor, "btngo"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), kRowCount + 1);
}

void TestZip::editorUpdateRefreshesAndKeepsRow() {
    ScopedDialogAnswers boxes;
    TfrmPostalEditor editor(nullptr, *m_dm);
    editor.show();
    auto* grid = child<QTableView>(editor, "dbgrd1");
    QTest::keyClicks(child<QLineEdit>(editor, "edtSearch"), QStringLiteral("857"));
    QTest::mouseClick(child<QPushButton>(editor, "btngo"), Qt::LeftButton);
    const int zipColumn = 1;
    int row = -1;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        if (grid->model()->index(r, zipColumn).data().toString() == QLatin1String("85702"))
            row = r;
    QVERIFY(row >= 0);
    grid->setCurrentIndex(grid->model()->index(row, 0));

    QStringList seen;
    bool zipReadOnly = false;
    QColor zipBackground;
    whenShown<TfrmZipCRUD>([&](TfrmZipCRUD& form) {
        seen << form.edtZip->text() << form.edtCity->text() << form.edtLatitude->text() << form.edtLongitude->text()
             << form.edtCounty->text() << child<QLabel>(form, "lblAction")->text();
        zipReadOnly = form.edtZip->isReadOnly();
        zipBackground = form.edtZip->grab().toImage().pixelColor(form.edtZip->width() - 4, form.edtZip->height() / 2);
        type(form.edtCity, QStringLiteral("South Tucson"));
        QTest::mouseClick(child<QPushButton>(form, "btnAdd"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(editor, "btnUpdate"), Qt::LeftButton);
    QCOMPARE(seen, QStringList({"85702", "Tucson", "32.2", "-110.9", "Pima", "Update Record"}));
    QVERIFY(zipReadOnly);
    QCOMPARE(zipBackground, QColor(Qt::yellow));
    QCOMPARE(boxes.texts(), QStringList{"Record Updated Sucessfully"});
    // The search is shown again, with the changed row current.
    QCOMPARE(grid->model()->rowCount(), 3);
    const QModelIndex current = grid->currentIndex();
    QCOMPARE(grid->model()->index(current.row(), zipColumn).data().toString(), QStringLiteral("85702"));
    QCOMPARE(grid->model()->index(current.row(), 2).data().toString(), QStringLiteral("South Tucson"));
}

void TestZip::editorUpdateOnEmptyGrid() {
    ScopedDialogAnswers boxes;
    TfrmPostalEditor editor(nullptr, *m_dm);
    editor.show();
    QTest::keyClicks(child<QLineEdit>(editor, "edtSearch"), QStringLiteral("nothing"));
    QTest::mouseClick(child<QPushButton>(editor, "btngo"), Qt::LeftButton);
    QCOMPARE(child<QTableView>(editor, "dbgrd1")->model()->rowCount(), 0);
    QStringList seen;
    bool stayedOpen = false;
    whenShown<TfrmZipCRUD>([&](TfrmZipCRUD& form) {
        seen << form.edtZip->text() << form.edtKey->text();
        type(form.edtLatitude, QStringLiteral("1"));
        type(form.edtLongitude, QStringLiteral("1"));
        form.edtZip->setText(QStringLiteral("00000"));
        QTest::mouseClick(child<QPushButton>(form, "btnAdd"), Qt::LeftButton);
        stayedOpen = form.isVisible();
        QTest::mouseClick(child<QPushButton>(form, "btncancel"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(editor, "btnUpdate"), Qt::LeftButton);
    QCOMPARE(seen, QStringList({"", ""}));
    QVERIFY(stayedOpen);
    QCOMPARE(boxes.messages.size(), 1);
    QVERIFY(boxes.messages.at(0).text.startsWith(QStringLiteral("Record Key:")));
    QCOMPARE(rowCount(), kRowCount);
}

QTEST_MAIN(TestZip)
#include "tst_zip.moc"
