#include "ui/ErrorApplication.h"

#include "ui/MessageDialog.h"

QmApplication::QmApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application's title. No display name is set: the platform would append it to every
    // window title ("Information — Quillmarsh"), and titles are the program's own texts.
    setApplicationName(QStringLiteral("Quillmarsh"));
}

bool QmApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    reportErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void ShowErrorReport(const QString& text) {
    CenteredMessageDialog(QApplication::activeWindow(), text, MsgKind::Error, MsgButton::Ok);
}

void ShowErrorReport(const std::exception& error) { ShowErrorReport(QString::fromUtf8(error.what())); }
