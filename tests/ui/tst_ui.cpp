// Message box placement and seam, the error-reporting application, result sorting, CSV export, styles.
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"
#include "ui/ResultModel.h"
#include "ui/StyleManager.h"

#include <QFile>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestUi : public QObject {
    Q_OBJECT
private slots:
    void centeredPosition_data();
    void centeredPosition();
    void seamRecordsAndAnswers();
    void errorEscapingHandlerIsReported();
    void sortAndExportFollowGridOrder();
    void exportQuotesNullsAndHiddenColumns();
    void styleNamesAndSwitching();
};

void TestUi::centeredPosition_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("odd difference truncates") << QRect(100, 50, 500, 400) << QSize(301, 120) << QPoint(199, 190);
    QTest::newRow("box wider than owner truncates toward zero") << QRect(0, 0, 100, 100) << QSize(301, 101) << QPoint(-100, 0);
    QTest::newRow("may leave the screen") << QRect(-400, -300, 200, 100) << QSize(100, 50) << QPoint(-350, -275);
}

void TestUi::centeredPosition() {
    QFETCH(QRect, owner);
    QFETCH(QSize, box);
    QFETCH(QPoint, expected);
    QCOMPARE(::centeredPosition(owner, box), expected);
}

void TestUi::seamRecordsAndAnswers() {
    QWidget owner;
    {
        ScopedDialogAnswers answers(MsgButton::No);
        answers.inputAnswers << QStringLiteral("Pima");
        answers.fileAnswers << QStringLiteral("/tmp/x.csv");
        QCOMPARE(CenteredMessageDialog(&owner, QStringLiteral("Sure?"), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No),
                 MsgButton::No);
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(answers.messages.first().kind, MsgKind::Confirmation);
        QString value;
        QVERIFY(InputQuery(&owner, QStringLiteral("County"), QStringLiteral("Name"), value));
        QCOMPARE(value, QStringLiteral("Pima"));
        QVERIFY(!InputQuery(&owner, QStringLiteral("County"), QStringLiteral("Name"), value));
        QCOMPARE(PromptSaveFileName(&owner, {}, {}, {}), QStringLiteral("/tmp/x.csv"));
        QCOMPARE(PromptSaveFileName(&owner, {}, {}, {}), QString());
    }
    // Nested scopes restore the outer handler.
    ScopedDialogAnswers outer(MsgButton::Ok);
    { ScopedDialogAnswers inner(MsgButton::Cancel); }
    QCOMPARE(CenteredMessageDialog(&owner, QStringLiteral("x"), MsgKind::Information, MsgButton::Ok), MsgButton::Ok);
    QCOMPARE(outer.texts(), QStringList{QStringLiteral("x")});
}

namespace {
// A slot owner whose slot fails, and an object whose event handler fails.
class Failing : public QObject {
public:
    int calls = 0;
    void fail(bool) {
        ++calls;
        throw std::runtime_error("disk on fire");
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        return QObject::event(e);
    }
};
} // namespace

void TestUi::errorEscapingHandlerIsReported() {
    ScopedDialogAnswers answers;
    Failing failing;
    QPushButton button;
    connect(&button, &QPushButton::clicked, &failing, reporting(&failing, &Failing::fail));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(answers.texts(), QStringList{QStringLiteral("disk on fire")});
    QCOMPARE(answers.messages.first().kind, MsgKind::Error);
    // The program goes on: the next click is handled and reported again.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(failing.calls, 2);
    QCOMPARE(answers.messages.size(), 2);

    QVERIFY(reportErrors([] {}));
    QVERIFY(!reportErrors([] { throw 42; }));
    QCOMPARE(answers.messages.last().text, QStringLiteral("An unknown error occurred."));

    // The last resort: an error that leaves an event handler is reported by the application.
    QEvent user(QEvent::User);
    QCoreApplication::sendEvent(&failing, &user);
    QCOMPARE(answers.messages.last().text, QStringLiteral("handler failed"));
    QCOMPARE(answers.messages.size(), 4);
}

void TestUi::sortAndExportFollowGridOrder() {
    ResultModel model;
    model.setRows({QStringLiteral("call_sign"), QStringLiteral("city"), QStringLiteral("n")},
                  {{QStringLiteral("W1AW"), QStringLiteral("Newington"), 10},
                   {QStringLiteral("K7ABC"), QStringLiteral("Tucson"), 9},
                   {QStringLiteral("N0X"), QStringLiteral("Ames"), 100}});
    QTableView grid;
    grid.setModel(&model);
    model.sort(1, Qt::DescendingOrder);
    QCOMPARE(model.displayText(0, 0), QStringLiteral("K7ABC"));
    model.sort(2, Qt::AscendingOrder);   // numbers compare as numbers, not text
    QCOMPARE(model.displayText(0, 2), QStringLiteral("9"));
    QCOMPARE(model.displayText(2, 2), QStringLiteral("100"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.csv"));
    ExportGridToCSV(&grid, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\"call_sign\",\"city\",\"n\"\r\n\"K7ABC\",\"Tucson\",\"9\"\r\n\"W1AW\",\"Newington\",\"10\"\r\n"
                                     "\"N0X\",\"Ames\",\"100\"\r\n"));

    AutoSizeGridColumns(&grid);
    const QFontMetrics fm(grid.font());
    QVERIFY(grid.columnWidth(1) >= fm.horizontalAdvance(QStringLiteral("Newington")) + 10);
    QTableView empty;
    AutoSizeGridColumns(&empty);   // no model: nothing happens
}

void TestUi::exportQuotesNullsAndHiddenColumns() {
    ResultModel model;
    model.setRows({QStringLiteral("a\"b"), QStringLiteral("hidden"), QStringLiteral("c")},
                  {{QStringLiteral("\"A\""), QStringLiteral("x"), QVariant()}, {QStringLiteral("Zoë, Jr."), QStringLiteral("y"), 1.5}});
    QTableView grid;
    grid.setModel(&model);
    grid.setColumnHidden(1, true);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.csv"));
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'z'));   // earlier content is replaced, not appended to
    old.close();
    ExportGridToCSV(&grid, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()),
             QStringLiteral("\"a\"\"b\",\"c\"\r\n\"\"\"A\"\"\",\"\"\r\n\"Zoë, Jr.\",\"1.5\"\r\n"));
}

void TestUi::styleNamesAndSwitching() {
    const QStringList names = StyleManager::styleNames();
    QCOMPARE(names.size(), 37);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 37);
    QVERIFY(names.contains(QStringLiteral("Windows10 SlateGray")));
    QVERIFY(StyleManager::isDark(QStringLiteral("Carbon")));
    QVERIFY(!StyleManager::isDark(QStringLiteral("Aqua Light Slate")));

    QVERIFY(StyleManager::trySetStyle(QStringLiteral("Obsidian")));
    QCOMPARE(StyleManager::activeStyle(), QStringLiteral("Obsidian"));
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() < 100);
    QVERIFY(StyleManager::trySetStyle(QStringLiteral("Sky")));
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() > 180);
    // Every carried style looks different from every other.
    QSet<QRgb> faces;
    for (const QString& n : names)
        faces.insert(StyleManager::paletteFor(n).color(QPalette::Window).rgb() ^ StyleManager::paletteFor(n).color(QPalette::Highlight).rgb());
    QCOMPARE(faces.size(), 37);
    QVERIFY(!StyleManager::trySetStyle(QStringLiteral("No Such Style")));
    QCOMPARE(StyleManager::activeStyle(), QStringLiteral("Sky"));
    QVERIFY(StyleManager::trySetStyle(QStringLiteral("Windows")));
}

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    TestUi t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_ui.moc"
