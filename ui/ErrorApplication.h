#pragma once
// The application object: named "Quillmarsh"; whatever error escapes an event handler is caught
// here and shown in the general error report (a message box with the error's text); the program
// goes on.
// Collaborators: CenteredMessageDialog.

#include <QApplication>
#include <exception>

class QmApplication : public QApplication {
    Q_OBJECT
public:
    QmApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The general error report, for code that catches an error itself and wants the same report.
void ShowErrorReport(const std::exception& error);
void ShowErrorReport(const QString& text);
