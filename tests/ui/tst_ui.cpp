// Message box placement and seam, the error-reporting application, result sorting, CSV export, styles.
#include "core/Database.h"
#include "core/Paths.h"
#include "ui/ErrorApplication.h"
#include "ui/JobRunner.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"
#include "ui/ResultModel.h"
#include "ui/StyleManager.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QPointer>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class TestUi : public QObject {
    Q_OBJECT
private slots:
    void centeredPosition_data();
    void centeredPosition();
    void keptOnScreen_data();
    void keptOnScreen();
    void boxPlacedOnItsWrappedSize_data();
    void boxPlacedOnItsWrappedSize();
    void titlesAreExactlyTheKinds();
    void seamRecordsAndAnswers();
    void errorEscapingHandlerIsReported();
    void sortAndExportFollowGridOrder();
    void exportQuotesNullsAndHiddenColumns();
    void cancelledExportAndSortChangeNothing();
    void writeFailureIsToldAndLeavesNothing();
    void jobWindowCancelsAndHoldsInput_data();
    void jobWindowCancelsAndHoldsInput();
    void jobErrorsReachTheCaller();
    void shortJobShowsNoWindow();
    void ownerDestroyedWhileTheJobRuns();
    void styleNamesAndSwitching();
    void everyStyleHasContrast_data();
    void everyStyleHasContrast();
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

void TestUi::keptOnScreen_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("inside stays") << QPoint(100, 200) << QSize(300, 100) << QPoint(100, 200);
    QTest::newRow("left of the screen") << QPoint(-112, 300) << QSize(500, 150) << QPoint(0, 300);
    QTest::newRow("past the bottom right") << QPoint(1000, 990) << QSize(400, 100) << QPoint(880, 924);
    QTest::newRow("larger than the screen: its corner") << QPoint(-50, -50) << QSize(1400, 1100) << QPoint(0, 0);
}

void TestUi::keptOnScreen() {
    QFETCH(QPoint, at);
    QFETCH(QSize, box);
    QFETCH(QPoint, expected);
    QCOMPARE(::keptOnScreen(at, box, QRect(0, 0, 1280, 1024)), expected);
}

void TestUi::boxPlacedOnItsWrappedSize_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<bool>("centred");
    QTest::newRow("owner mid-screen") << QRect(150, 100, 500, 400) << true;
    QTest::newRow("narrow owner at the left edge") << QRect(0, 100, 200, 300) << false;
    QTest::newRow("owner partly below the screen") << QRect(300, 450, 500, 400) << false;
}

void TestUi::boxPlacedOnItsWrappedSize() {
    QFETCH(QRect, owner);
    QFETCH(bool, centred);
    QWidget window;
    QFont f = window.font();
    f.setPointSize(15);
    window.setFont(f);
    window.setGeometry(owner);
    window.show();
    QWidget inner(&window);   // a control of the window asks, as the program's windows do

    const QString text = QStringLiteral("The archive could not be read: ").repeated(12);
    CenteredMessageBox box(&inner, text, MsgKind::Error, MsgButton::Ok);
    box.show();
    const QRect screen = window.screen()->availableGeometry();
    const QRect frame = box.frameGeometry();
    QVERIFY2(frame.width() < screen.width() * 3 / 4, "the text is wrapped");
    QVERIFY2(screen.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    const QPoint middle = ::centeredPosition(window.frameGeometry(), frame.size());
    if (centred)
        QCOMPARE(box.pos(), middle);
    else
        QCOMPARE(box.pos(), ::keptOnScreen(middle, frame.size(), screen));
    QCOMPARE(box.font().pointSize(), 15);   // the window's font, not the application's
}

void TestUi::titlesAreExactlyTheKinds() {
    const std::pair<MsgKind, const char*> kinds[] = {
        {MsgKind::Warning, "Warning"}, {MsgKind::Error, "Error"}, {MsgKind::Information, "Information"}, {MsgKind::Confirmation, "Confirm"}};
    for (const auto& [kind, title] : kinds) {
        CenteredMessageBox box(nullptr, QStringLiteral("x"), kind, MsgButton::Ok);
        QCOMPARE(box.windowTitle(), QLatin1String(title));
    }
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmarsh"));
    // No display name is pinned (the platform would add it to every title): it follows the name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString shown = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    QCOMPARE(shown, QStringLiteral("probe"));
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

void TestUi::everyStyleHasContrast_data() {
    QTest::addColumn<QString>("style");
    for (const QString& name : StyleManager::styleNames())
        QTest::newRow(qPrintable(name)) << name;
}

namespace {
// The strongest contrast against the background among the pixels of a part of a rendered widget.
double strongestContrast(const QImage& image, const QRect& part, const QColor& background) {
    double best = 1;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (image.rect().contains(x, y))
                best = std::max(best, StyleManager::contrastRatio(image.pixelColor(x, y), background));
    return best;
}
} // namespace

void TestUi::everyStyleHasContrast() {
    QFETCH(QString, style);
    const QPalette p = StyleManager::paletteFor(style);
    auto ratio = [&](QPalette::ColorRole a, QPalette::ColorRole b) { return StyleManager::contrastRatio(p.color(a), p.color(b)); };
    QVERIFY2(ratio(QPalette::WindowText, QPalette::Window) >= 4.5, "captions on the window");
    QVERIFY2(ratio(QPalette::Text, QPalette::Base) >= 4.5, "text in boxes, radio dots and check marks");
    QVERIFY2(ratio(QPalette::ButtonText, QPalette::Button) >= 4.5, "button captions");
    QVERIFY2(ratio(QPalette::HighlightedText, QPalette::Highlight) >= 4.5, "the chosen entry of a list");
    QVERIFY2(ratio(QPalette::PlaceholderText, QPalette::Base) >= 3, "hints in empty boxes");
    const QColor border = StyleManager::borderColor(p);
    QVERIFY2(StyleManager::contrastRatio(border, p.color(QPalette::Window)) >= 4.5, "outlines against the window");
    QVERIFY2(StyleManager::contrastRatio(border, p.color(QPalette::Base)) >= 4.5, "outlines against the box");

    // What is drawn: an unchecked radio button, an unchecked check box and an empty edit box show
    // an outline that stands out from the window.
    QVERIFY(StyleManager::trySetStyle(style));
    QWidget window;
    window.setPalette(QApplication::palette());
    window.setAutoFillBackground(true);
    QRadioButton radio(QStringLiteral("GMRS"), &window);
    QCheckBox check(QStringLiteral("Basic"), &window);
    QLineEdit edit(&window);
    radio.move(10, 10);
    check.move(10, 40);
    edit.setGeometry(10, 70, 120, 28);
    window.resize(200, 110);
    const QImage image = window.grab().toImage();
    const QColor face = QApplication::palette().color(QPalette::Window);
    QStyleOptionButton ro;
    ro.initFrom(&radio);
    const QRect radioMark = radio.style()->subElementRect(QStyle::SE_RadioButtonIndicator, &ro, &radio).translated(radio.pos());
    QStyleOptionButton co;
    co.initFrom(&check);
    const QRect checkMark = check.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &co, &check).translated(check.pos());
    QVERIFY2(strongestContrast(image, radioMark, face) >= 3, "radio button");
    QVERIFY2(strongestContrast(image, checkMark, face) >= 3, "check box");
    QVERIFY2(strongestContrast(image, QRect(edit.x(), edit.y(), edit.width(), 2), face) >= 3, "edit box border");
    StyleManager::trySetStyle(QStringLiteral("Windows"));
}


// A cancel heard by the export leaves the file that was there, and no temporary file beside it; a
// cancelled sort leaves the rows in their order.
void TestUi::cancelledExportAndSortChangeNothing() {
    ResultTable table({QStringLiteral("n")});
    for (int i = 0; i < 40000; ++i)
        table.appendRow({(i * 7919) % 40000});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.csv"));
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    JobControl cancelled;
    cancelled.cancel();
    QVERIFY_THROWS_EXCEPTION(JobCancelled, writeResultCsv(table, {0}, file, &cancelled));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.csv")});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("earlier"));

    const std::vector<quint32> before = table.order();
    QVERIFY_THROWS_EXCEPTION(JobCancelled, (void)table.sortedOrder(0, true, &cancelled));
    QVERIFY(table.order() == before);
    JobControl running;
    table.setOrder(table.sortedOrder(0, true, &running));
    QCOMPARE(table.text(0, 0), QStringLiteral("0"));
    QCOMPARE(table.text(39999, 0), QStringLiteral("39999"));
}

// A disk that fills up as the last buffered part is written out (here a file size limit, which
// fails the same way): the reason is told, not "Unknown error", and nothing is left behind.
void TestUi::writeFailureIsToldAndLeavesNothing() {
    ResultTable table({QStringLiteral("call")});
    for (int i = 0; i < 4000; ++i)
        table.appendRow({QStringLiteral("W%1AW").arg(i)});
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("out.csv")), text = dir.filePath(QStringLiteral("out.txt"));
    const QStringList lines(4000, QStringLiteral("W1AW"));
    rlimit before {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 8192;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    QString csvError, textError;
    try {
        writeResultCsv(table, {0}, csv);
    } catch (const std::runtime_error& e) {
        csvError = QString::fromUtf8(e.what());
    }
    try {
        writeTextLines(text, lines);
    } catch (const std::runtime_error& e) {
        textError = QString::fromUtf8(e.what());
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    for (const QString& error : {csvError, textError}) {
        QVERIFY2(error.startsWith(QStringLiteral("Cannot write \"")), qPrintable(error));
        QVERIFY2(!error.contains(QStringLiteral("Unknown error")), qPrintable(error));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestUi::jobWindowCancelsAndHoldsInput_data() {
    QTest::addColumn<bool>("escape");   // Escape instead of the Cancel button
    QTest::newRow("Cancel") << false;
    QTest::newRow("Escape") << true;
}

// Work that would never end on its own: only the progress window's Cancel (or Escape) ends it.
// Meanwhile the window that started it takes no clicks.
void TestUi::jobWindowCancelsAndHoldsInput() {
    QFETCH(bool, escape);
    QWidget owner;
    auto* button = new QPushButton(QStringLiteral("Again"), &owner);
    int clicks = 0;
    connect(button, &QPushButton::clicked, [&] { ++clicks; });
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    setJobWindowDelayMs(0);
    QString count, cancelCaption;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!window || window->objectName() != QLatin1String("frmJob"))
            return;
        // The window counts what the work has done so far: wait for the work's first count.
        count = window->findChild<QLabel*>(QStringLiteral("lblJobCount"))->text();
        if (count != QLatin1String("3 of 10 records"))
            return;
        poll.stop();
        // Through the window system, as a real click comes, where modality applies.
        QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        auto* cancel = window->findChild<QPushButton*>(QStringLiteral("btnJobCancel"));
        cancelCaption = cancel->text();
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            cancel->click();
    });
    poll.start();
    const bool finished = runJob(&owner, QStringLiteral("Searching"), [](JobControl& control) {
        control.setTotal(10);
        control.add(3);
        while (!control.isCancelled())
            QThread::msleep(2);
        control.checkCancelled();
    });
    setJobWindowDelayMs(300);
    QVERIFY(!finished);
    QCOMPARE(cancelCaption, QStringLiteral("Cancel"));
    QCOMPARE(clicks, 0);
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    QCOMPARE(clicks, 1);   // the same click once the work is over
}

void TestUi::jobErrorsReachTheCaller() {
    QWidget owner;
    try {
        runJob(&owner, QStringLiteral("Searching"), [](JobControl&) { throw DatabaseError(QStringLiteral("no such column: x")); });
        QFAIL("no error");
    } catch (const DatabaseError& e) {
        QCOMPARE(e.message(), QStringLiteral("no such column: x"));
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             runJob(&owner, QStringLiteral("Exporting"), [](JobControl&) { throw std::runtime_error("disk full"); }));
}

void TestUi::shortJobShowsNoWindow() {
    QWidget owner;
    bool seen = false;
    QTimer poll;
    poll.setInterval(1);
    connect(&poll, &QTimer::timeout, [&] { seen = seen || QApplication::activeModalWidget(); });
    poll.start();
    int value = 0;
    QVERIFY(runJob(&owner, QStringLiteral("Sorting"), [&](JobControl&) { value = 42; }));
    QCOMPARE(value, 42);
    QVERIFY(!seen);
}

// The window that started the work is deleted while the work runs (its progress window open):
// the work is asked to stop, nothing is deleted twice, and the caller learns it was cancelled.
void TestUi::ownerDestroyedWhileTheJobRuns() {
    auto* owner = new QWidget;
    owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner));
    QPointer<QWidget> watch(owner);
    setJobWindowDelayMs(0);
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        auto* window = QApplication::activeModalWidget();
        if (!window || window->objectName() != QLatin1String("frmJob"))
            return;
        poll.stop();
        delete owner;
    });
    poll.start();
    const bool finished = runJob(owner, QStringLiteral("Sorting"), [](JobControl& control) {
        while (!control.isCancelled())
            QThread::msleep(2);
        control.checkCancelled();
    });
    setJobWindowDelayMs(300);
    QVERIFY(watch.isNull());
    QVERIFY(!finished);
    QVERIFY(!QApplication::activeModalWidget());
}

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    TestUi t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_ui.moc"
