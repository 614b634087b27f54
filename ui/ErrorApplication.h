#pragma once
// The application object: named "Quillmarsh"; whatever error escapes an event handler is caught here and shown in
// the general error report (a message box with the error's text); the program goes on.
// That is the last resort. Qt's own libraries are built without exception support, so an error
// that unwinds through them skips their clean-up: events and guards are never freed, and state
// such as the button that holds the mouse is left half-changed. So whatever Qt calls back into
// (slots, event filters, event handlers) reports its errors at its own edge: connect slots with
// reporting() (a member slot or any callable), and run the body of a handler through reportErrors().
// Collaborators: CenteredMessageDialog.

#include <QApplication>
#include <exception>
#include <type_traits>
#include <utility>

class QmApplication : public QApplication {
    Q_OBJECT
public:
    QmApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The general error report, for code that catches an error itself and wants the same report.
void ShowErrorReport(const std::exception& error);
void ShowErrorReport(const QString& text);

// Runs f; an error it throws is shown in the general error report. True when f finished.
template <class F>
bool reportErrors(F&& f) {
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception& e) {
        ShowErrorReport(e);
    } catch (...) {
        ShowErrorReport(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

// The slot as a functor that reports its errors, for connect():
//   connect(btnSearch, &QPushButton::clicked, this, reporting(this, &TForm1::btnSearchClick));
template <class Obj, class... Args>
auto reporting(Obj* object, void (Obj::*slot)(Args...)) {
    return [object, slot](Args... args) { reportErrors([&] { (object->*slot)(std::forward<Args>(args)...); }); };
}

// Any callable as a slot that reports its errors, for connect() with a lambda:
//   connect(action, &QAction::triggered, this, reporting([this] { openEditor(); }));
template <class F>
auto reporting(F f) {
    return [f = std::move(f)](auto&&... args) {
        reportErrors([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}
