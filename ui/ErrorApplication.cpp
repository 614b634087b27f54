#include "ui/ErrorApplication.h"

#include "ui/MessageDialog.h"

QmApplication::QmApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application's title. No display name is set: the platform would append it to every
    // window title ("Information — Quillmarsh"), and titles are the program's own texts.
    setApplicationName(QStringLiteral("Quillmarsh"));
}

bool QmApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowErrorReport(e);
    } catch (...) {
        ShowErrorReport(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

void ShowErrorReport(const QString& text) {
    CenteredMessageDialog(QApplication::activeWindow(), text, MsgKind::Error, MsgButton::Ok);
}

void ShowErrorReport(const std::exception& error) { ShowErrorReport(QString::fromUtf8(error.what())); }
