// bench_window_lookup DATA_HOME [--repeat R] [PATTERN...]
// Times a wildcard look-up as the user meets it: typed into the main window's search box and
// Enter pressed, until the drop-down holds its list (query, list model, window update). DATA_HOME
// is used as XDG_DATA_HOME, so the program reads DATA_HOME/Quillmarsh/FCCdata.db and postal.db
// (copies of full-scale databases, never the user's own); its downloads are refused. Runs
// offscreen unless a display is asked for with QT_QPA_PLATFORM. Prints figures; not part of ctest.

#include "app/Main.h"
#include "core/DataModule.h"
#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        QTextStream(stderr) << "usage: bench_window_lookup DATA_HOME [--repeat R] [PATTERN...]\n";
        return 2;
    }
    qputenv("XDG_DATA_HOME", argv[1]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QmApplication app(argc, argv);
    QTextStream out(stdout);
    int repeat = 5;
    QStringList patterns;
    const QStringList args = app.arguments();
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = args[++i].toInt();
        else
            patterns << args[i];
    }
    if (patterns.isEmpty())
        patterns = {QStringLiteral("K*"), QStringLiteral("W1A*")};

    ScopedDialogAnswers answers;   // a message would otherwise wait for a click
    TDM dm;
    TForm1 form(dm);
    form.setDownloadStep([](const QString&, const QString&) { return false; });
    form.show();
    QElapsedTimer t;
    t.start();
    form.FormActivate();
    out << "start-up checks: " << t.elapsed() << " ms\n";
    out.flush();
    auto* edit = form.findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    auto* combo = form.findChild<QComboBox*>(QStringLiteral("cbbResults"));
    for (const QString& pattern : std::as_const(patterns)) {
        std::vector<double> ms;
        int listed = 0;
        for (int r = 0; r < repeat; ++r) {
            edit->setText(pattern);
            const qsizetype messagesBefore = answers.messages.size();
            t.restart();
            QTest::keyClick(edit, Qt::Key_Return);
            QCoreApplication::sendPostedEvents();
            form.repaint();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            // A text answered by a message leaves the drop-down as it was: it listed nothing.
            listed = answers.messages.size() == messagesBefore && combo->isVisible() ? combo->count() : 0;
        }
        std::sort(ms.begin(), ms.end());
        out << "window look-up " << pattern << ": " << listed << " calls in the drop-down; median "
            << QString::number(ms[ms.size() / 2], 'f', 1) << " ms, max " << QString::number(ms.back(), 'f', 1) << " ms over "
            << repeat << " runs\n";
        out.flush();
    }
    if (!answers.messages.isEmpty())
        out << "messages: " << answers.texts().join(QStringLiteral(" | ")) << "\n";
    return 0;
}
