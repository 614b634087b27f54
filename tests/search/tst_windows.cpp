// The search prompt and the result table window, offscreen; modal windows are driven by name.
#include "SearchTests.h"

#include "core/AppContext.h"
#include "search/TfrmQuery.h"
#include "search/TTableResults.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WidgetLookup.h"
#include "ui/GridHelpers.h"
#include "ui/ResultModel.h"

#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What a window receives from the main window, over the fixture databases.
struct Context {
    Context() : settings(programDataPath() + QStringLiteral("Quillmarsh.cfg")) { dm.condb.open(searchDatabaseFile()); }
    TAppContext get() { return TAppContext{dm, settings, props, values, services}; }
    TDM dm;
    TSettings settings;
    TGlobalProps props;
    TAppValues values;
    ServiceConfig services;
};

SearchSql plainSql(const QString& sql) { return SearchSql::plain(sql); }

const QString kFourCalls = QStringLiteral(
    "select call_sign, city from fcc_en where service='AMAT' and call_sign in ('W1AW','K7ABC','N0EXP','KB1BOX')");

void clickTitle(QWidget* window, int column) {
    QHeaderView* h = child<QTableView>(*window, "dbgrd1")->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
}

QStringList column(QWidget* window, int c) {
    const auto* model = qobject_cast<const ResultModel*>(child<QTableView>(*window, "dbgrd1")->model());
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->displayText(r, c);
    return out;
}

void dismiss(QWidget* window) { QTest::mouseClick(child<QPushButton>(*window, "btnDismiss"), Qt::LeftButton); }

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

void TestSearchWindows::sortFlagAlternatesAcrossColumnsAndWindows() {
    QCOMPARE(TTableResults::SortAscending, false);   // as the program starts
    Context ctx;
    QStringList seen;
    {
        TTableResults first(ctx.get(), nullptr);
        const QStringList pending = driveModals([&] { first.ShowDialog(plainSql(kFourCalls)); },
                                                {{"TableResults", [&](QWidget* w) {
                                                      clickTitle(w, 1);   // ascending
                                                      seen << column(w, 0).join(',');
                                                      clickTitle(w, 0);   // descending, another column
                                                      seen << column(w, 0).join(',');
                                                      clickTitle(w, 1);   // ascending again: ties keep their last order
                                                      seen << column(w, 0).join(',');
                                                      seen << QString::number(child<QTableView>(*w, "dbgrd1")->currentIndex().row());
                                                      dismiss(w);
                                                  }}});
        QVERIFY(pending.isEmpty());
    }
    {
        TTableResults second(ctx.get(), nullptr);
        const QStringList pending = driveModals([&] { second.ShowDialog(plainSql(kFourCalls)); },
                                                {{"TableResults", [&](QWidget* w) {
                                                      clickTitle(w, 1);   // the flag goes on: descending
                                                      seen << column(w, 0).join(',');
                                                      dismiss(w);
                                                  }}});
        QVERIFY(pending.isEmpty());
    }
    QCOMPARE(seen, QStringList({"W1AW,KB1BOX,K7ABC,N0EXP", "W1AW,N0EXP,KB1BOX,K7ABC", "W1AW,KB1BOX,N0EXP,K7ABC", "0",
                                "K7ABC,N0EXP,KB1BOX,W1AW"}));
    QCOMPARE(TTableResults::SortAscending, false);
}

void TestSearchWindows::countTitlesAndDismiss() {
    Context ctx;
    TTableResults window(ctx.get(), nullptr);
    window.setWindowTitle(QStringLiteral(" Zipcode Search Result"));
    int result = -1;
    const QStringList pending = driveModals(
        [&] { result = window.ShowDialog(usSearchSql(UsSearchField::LastName, true, true, QStringLiteral("carter"))); },
        {{"TableResults", [&](QWidget* w) {
              QCOMPARE(child<QLabel>(*w, "lblRecords")->text(), QStringLiteral("Total Records: 1"));
              QCOMPARE(w->windowTitle(), QStringLiteral(" Zipcode Search Result"));
              QLabel* hint = child<QLabel>(*w, "Label1");
              QCOMPARE(hint->text(), QStringLiteral("Click on column header name to sort"));
              QVERIFY(hint->font().bold());
              QCOMPARE(child<QPushButton>(*w, "btnExport")->text(), QStringLiteral("Export"));
              QCOMPARE(w->size(), QSize(814, 461));
              QCOMPARE(w->minimumSize(), w->maximumSize());
              QTableView* grid = child<QTableView>(*w, "dbgrd1");
              QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("call_sign"));
              QCOMPARE(grid->model()->headerData(17, Qt::Horizontal).toString(), QStringLiteral("last_action_date"));
              QCOMPARE(column(w, 0), QStringList{"N0EXP"});
              QCOMPARE(grid->currentIndex().row(), 0);
              const QFontMetrics fm(grid->font()), hfm(grid->horizontalHeader()->font());
              for (int c = 0; c < grid->model()->columnCount(); ++c) {
                  const int title = hfm.horizontalAdvance(grid->model()->headerData(c, Qt::Horizontal).toString());
                  const int cell = fm.horizontalAdvance(grid->model()->index(0, c).data().toString());
                  QCOMPARE(grid->columnWidth(c), std::max(title, cell) + 10);
              }
              dismiss(w);
          }}});
    QVERIFY(pending.isEmpty());
    QCOMPARE(result, 2);
    QVERIFY(!window.isVisible());
}

void TestSearchWindows::columnWidthsMatchMeasuringEveryCell() {
    // More rows than the estimate's threads start at, with texts of every width.
    QVector<QVariantList> rows;
    const QString letters = QStringLiteral("iIlWMmw0._ Ëé-'");
    for (int i = 0; i < 70000; ++i) {
        QString a, b;
        for (int k = 0; k < 1 + i % 13; ++k)
            a += letters.at((i * 7 + k * 3) % letters.size());
        for (int k = 0; k < 5; ++k)
            b += QChar(u'0' + (i / (k + 1)) % 10);
        rows.push_back({a, b, i % 3 == 0 ? QVariant() : QVariant(i * 0.5)});
    }
    ResultModel model;
    model.setRows({QStringLiteral("text"), QStringLiteral("digits"), QStringLiteral("n")}, rows);
    QTableView grid;
    grid.setModel(&model);
    AutoSizeGridColumns(&grid);
    const QFontMetrics fm(grid.font()), hfm(grid.horizontalHeader()->font());
    for (int c = 0; c < 3; ++c) {
        int widest = hfm.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < model.rowCount(); ++r)
            widest = std::max(widest, fm.horizontalAdvance(model.displayText(r, c)));
        QCOMPARE(grid.columnWidth(c), widest + 10);
    }
}

void TestSearchWindows::noRowsNoWindow() {
    Context ctx;
    ScopedDialogAnswers answers;
    TTableResults window(ctx.get(), nullptr);
    const QStringList pending = driveModals(
        [&] { QCOMPARE(window.ShowDialog(usSearchSql(UsSearchField::ZipCode, true, true, QStringLiteral("00000"))), 0); },
        {{"TableResults", [](QWidget* w) { w->close(); }}});
    QCOMPARE(pending, QStringList{"TableResults"});   // it never showed
    QCOMPARE(answers.texts(), QStringList{"No records found"});
    QCOMPARE(answers.messages.first().kind, MsgKind::Information);
    QCOMPARE(answers.messages.first().buttons, MsgButtons(MsgButton::Ok));
}

void TestSearchWindows::databaseErrorOpensNothing() {
    Context ctx;
    ScopedDialogAnswers answers;
    TTableResults window(ctx.get(), nullptr);
    bool threw = false;
    const QStringList pending = driveModals(
        [&] {
            try {
                window.ShowDialog(plainSql(QStringLiteral("select no_such_column from fcc_en")));
            } catch (const std::exception& e) {
                threw = QString::fromUtf8(e.what()).contains(QStringLiteral("no_such_column"));
            }
        },
        {{"TableResults", [](QWidget* w) { w->close(); }}});
    QVERIFY(threw);
    QCOMPARE(pending, QStringList{"TableResults"});
    QVERIFY(answers.messages.isEmpty());
}

void TestSearchWindows::exportFormatFollowsSortOrder() {
    Context ctx;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.csv"));
    ScopedDialogAnswers answers;
    answers.fileAnswers << file;
    TTableResults window(ctx.get(), nullptr);
    int currentAfter = -1;
    driveModals([&] {
        window.ShowDialog(plainSql(QStringLiteral(
            "select call_sign, city, case call_sign when 'W1AW' then '\"A\"' when 'K7ABC' then null else last_name end as note "
            "from fcc_en where service='AMAT' and call_sign in ('W1AW','K7ABC','N0EXP')")));
    },
                {{"TableResults", [&](QWidget* w) {
                      // Descending by city, whatever the shared flag says now.
                      clickTitle(w, 1);
                      if (TTableResults::SortAscending)
                          clickTitle(w, 1);
                      QTableView* grid = child<QTableView>(*w, "dbgrd1");
                      grid->setCurrentIndex(grid->model()->index(1, 2));
                      QTest::mouseClick(child<QPushButton>(*w, "btnExport"), Qt::LeftButton);
                      currentAfter = grid->currentIndex().row();
                      dismiss(w);
                  }}});
    QCOMPARE(readAll(file), QByteArray("\"call_sign\",\"city\",\"note\"\r\n"
                                       "\"K7ABC\",\"Tucson\",\"\"\r\n"
                                       "\"N0EXP\",\"Tucson\",\"Carter\"\r\n"
                                       "\"W1AW\",\"Newington\",\"\"\"A\"\"\"\r\n"));
    QCOMPARE(currentAfter, 1);
    QCOMPARE(answers.texts(), QStringList{"Export Complete"});
    QCOMPARE(answers.messages.first().kind, MsgKind::Information);
}

void TestSearchWindows::overwriteAnsweredNoKeepsFile() {
    Context ctx;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("old.csv"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me\n");
    }
    ScopedDialogAnswers answers(MsgButton::No);
    answers.fileAnswers << file << file;
    TTableResults window(ctx.get(), nullptr);
    QByteArray afterNo, afterYes;
    driveModals([&] { window.ShowDialog(plainSql(kFourCalls)); },
                {{"TableResults", [&](QWidget* w) {
                      auto* exportButton = child<QPushButton>(*w, "btnExport");
                      QTest::mouseClick(exportButton, Qt::LeftButton);
                      afterNo = readAll(file);
                      answers.answer = MsgButton::Yes;
                      QTest::mouseClick(exportButton, Qt::LeftButton);
                      afterYes = readAll(file);
                      QTest::mouseClick(exportButton, Qt::LeftButton);   // the file dialog cancelled
                      dismiss(w);
                  }}});
    QCOMPARE(afterNo, QByteArray("keep me\n"));
    QVERIFY(afterYes.startsWith("\"call_sign\",\"city\"\r\n"));
    QCOMPARE(answers.texts(), QStringList({"Filename exists, Overwrite?", "Filename exists, Overwrite?", "Export Complete"}));
    QCOMPARE(answers.messages.first().kind, MsgKind::Warning);
    QCOMPARE(answers.messages.first().buttons, MsgButton::Yes | MsgButton::No);
}

void TestSearchWindows::unwritablePathIsReportedAndWindowStays() {
    Context ctx;
    const QString file = QStringLiteral("/nonexistent-quillmarsh-folder/out.csv");
    ScopedDialogAnswers answers;
    answers.fileAnswers << file;
    TTableResults window(ctx.get(), nullptr);
    bool stillOpen = false;
    driveModals([&] { window.ShowDialog(plainSql(kFourCalls)); },
                {{"TableResults", [&](QWidget* w) {
                      QTest::mouseClick(child<QPushButton>(*w, "btnExport"), Qt::LeftButton);
                      stillOpen = w->isVisible();
                      dismiss(w);
                  }}});
    QVERIFY(stillOpen);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages.first().kind, MsgKind::Error);
    QVERIFY2(answers.messages.first().text.startsWith(QStringLiteral("Cannot write \"%1\": ").arg(file)), qPrintable(answers.messages.first().text));
    QVERIFY(answers.messages.first().text.size() > file.size() + 20);   // the reason follows the name
    QVERIFY(!QFile::exists(file));
}

void TestSearchWindows::promptDefaultsAndOk() {
    TfrmQuery query(nullptr);
    QCOMPARE(query.SearchResult(), QString());
    QVERIFY(!query.IsAmat());
    QVERIFY(!query.IsActive());
    int result = -1;
    const QString prompt = QStringLiteral("Enter a zipcode with wildcards as necessary.");
    driveModals([&] { result = query.ShowDialog(prompt); },
                {{"frmQuery", [&](QWidget* w) {
                      QLabel* label = child<QLabel>(*w, "Label1");
                      QCOMPARE(label->text(), prompt);
                      QVERIFY(label->wordWrap());
                      QCOMPARE(label->buddy(), child<QLineEdit>(*w, "edtSearch"));
                      QCOMPARE(w->windowTitle(), QString());
                      QCOMPARE(w->size(), QSize(440, 224));
                      QCOMPARE(child<QRadioButton>(*w, "rbAmat")->text(), QStringLiteral("Amatuer"));
                      QVERIFY(child<QRadioButton>(*w, "rbAmat")->isChecked());
                      QCOMPARE(child<QRadioButton>(*w, "rbNotActive")->text(), QStringLiteral("Non-Active"));
                      QVERIFY(child<QRadioButton>(*w, "rbActive")->isChecked());
                      QCOMPARE(child<QRadioButton>(*w, "rbGMRS")->parentWidget(), child<QGroupBox>(*w, "GroupBox1"));
                      QVERIFY(child<QLineEdit>(*w, "edtSearch")->text().isEmpty());
                      QTest::mouseClick(child<QPushButton>(*w, "btnOK"), Qt::LeftButton);
                  }}});
    QCOMPARE(result, 1);
    QCOMPARE(query.SearchResult(), QString());
    QVERIFY(query.IsAmat());
    QVERIFY(query.IsActive());
}

void TestSearchWindows::promptKeepsTypedTextAndChoices() {
    TfrmQuery query(nullptr);
    query.hideServiceButtons();
    bool frameStays = false, buttonsHidden = false;
    driveModals([&] { query.ShowDialog(QStringLiteral("x")); },
                {{"frmQuery", [&](QWidget* w) {
                      buttonsHidden = !child<QRadioButton>(*w, "rbAmat")->isVisible() && !child<QRadioButton>(*w, "rbGMRS")->isVisible();
                      frameStays = child<QGroupBox>(*w, "GroupBox1")->isVisible();
                      QTest::keyClicks(child<QLineEdit>(*w, "edtSearch"), QStringLiteral("  van Dyke  "));
                      child<QRadioButton>(*w, "rbGMRS")->setChecked(true);
                      QTest::mouseClick(child<QRadioButton>(*w, "rbNotActive"), Qt::LeftButton);
                      QTest::mouseClick(child<QPushButton>(*w, "btnOK"), Qt::LeftButton);
                  }}});
    QVERIFY(buttonsHidden);
    QVERIFY(frameStays);
    QCOMPARE(query.SearchResult(), QStringLiteral("  van Dyke  "));
    QVERIFY(!query.IsAmat());
    QVERIFY(!query.IsActive());
}

void TestSearchWindows::promptCancelEnterEscape() {
    TfrmQuery query(nullptr);
    int result = -1;
    bool openAfterKeys = false;
    driveModals([&] { result = query.ShowDialog(QStringLiteral("x")); },
                {{"frmQuery", [&](QWidget* w) {
                      auto* edit = child<QLineEdit>(*w, "edtSearch");
                      QTest::keyClicks(edit, QStringLiteral("Smith"));
                      QTest::keyClick(edit, Qt::Key_Return);
                      QTest::keyClick(edit, Qt::Key_Enter);
                      QTest::keyClick(edit, Qt::Key_Escape);
                      QTest::keyClick(w, Qt::Key_Escape);
                      openAfterKeys = w->isVisible();
                      for (const char* name : {"btnOK", "btnCancel"})
                          QVERIFY(!child<QPushButton>(*w, name)->autoDefault() && !child<QPushButton>(*w, name)->isDefault());
                      QTest::mouseClick(child<QPushButton>(*w, "btnCancel"), Qt::LeftButton);
                  }}});
    QVERIFY(openAfterKeys);
    QCOMPARE(result, 2);
    QCOMPARE(query.SearchResult(), QString());
    QVERIFY(!query.IsAmat());

    // Closed by the title bar: cancel as well.
    TfrmQuery other(nullptr);
    driveModals([&] { result = other.ShowDialog(QStringLiteral("x")); }, {{"frmQuery", [](QWidget* w) { w->close(); }}});
    QCOMPARE(result, 2);
}
