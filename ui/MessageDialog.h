#pragma once
// CenteredMessageDialog: every message box of the program, centred over the window that asks,
// plus the input box and the file dialogs. All of them go through one replaceable handler set,
// so tests answer them without a real modal box.
// Collaborators: every window; tests install handlers with ScopedDialogAnswers.

#include <QFlags>
#include <QMessageBox>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class MsgButton { None = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

MsgButton CenteredMessageDialog(QWidget* owner, const QString& text, MsgKind kind, MsgButtons buttons);

// Top-left of a box of the given size centred over the owner's frame (divisions truncate toward zero).
QPoint centeredPosition(const QRect& ownerFrame, const QSize& boxSize);
// The top-left moved just enough for a box of that size to lie inside the available area (its
// top-left corner when the box is larger than the area).
QPoint keptOnScreen(const QPoint& topLeft, const QSize& boxSize, const QRect& available);

// The box CenteredMessageDialog shows: the kind's icon and title, the main window's font, and
// placed once Qt has wrapped its text (only then is its size known): centred over the owner's
// window and kept on that window's screen.
class CenteredMessageBox : public QMessageBox {
    Q_OBJECT
public:
    CenteredMessageBox(QWidget* owner, const QString& text, MsgKind kind, MsgButtons buttons);

protected:
    void showEvent(QShowEvent* e) override;

private:
    QPointer<QWidget> m_owner;
};

// Input box: returns false when cancelled.
bool InputQuery(QWidget* owner, const QString& caption, const QString& prompt, QString& value);
// File dialogs: an empty text when cancelled.
QString PromptOpenFileName(QWidget* owner, const QString& caption, const QString& dir, const QString& filter);
QString PromptSaveFileName(QWidget* owner, const QString& caption, const QString& dir, const QString& filter);

struct DialogHandlers {
    std::function<MsgButton(QWidget*, const QString&, MsgKind, MsgButtons)> message;
    std::function<bool(QWidget*, const QString& caption, const QString& prompt, QString& value)> input;
    std::function<QString(QWidget*, const QString& caption, const QString& dir, const QString& filter)> openFile;
    std::function<QString(QWidget*, const QString& caption, const QString& dir, const QString& filter)> saveFile;
};
// Replaces the handlers (an empty function keeps the real dialog); returns the previous set.
DialogHandlers setDialogHandlers(const DialogHandlers& handlers);

// For tests: records every message and answers it; restores the previous handlers on destruction.
struct RecordedMessage {
    QString text;
    MsgKind kind;
    MsgButtons buttons;
};
class ScopedDialogAnswers {
public:
    explicit ScopedDialogAnswers(MsgButton answer = MsgButton::Ok);
    ~ScopedDialogAnswers();
    ScopedDialogAnswers(const ScopedDialogAnswers&) = delete;
    ScopedDialogAnswers& operator=(const ScopedDialogAnswers&) = delete;

    QList<RecordedMessage> messages;
    MsgButton answer;
    QStringList inputAnswers;     // consumed in order; when empty the input box is cancelled
    QStringList fileAnswers;      // consumed in order by open and save dialogs

    QStringList texts() const;

private:
    DialogHandlers m_previous;
};
