#include "ui/MessageDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
DialogHandlers& handlers() {
    static DialogHandlers h;
    return h;
}
} // namespace

DialogHandlers setDialogHandlers(const DialogHandlers& h) {
    DialogHandlers previous = handlers();
    handlers() = h;
    return previous;
}

QPoint centeredPosition(const QRect& ownerFrame, const QSize& boxSize) {
    // C++ integer division truncates toward zero, as the placement rule asks.
    return {ownerFrame.left() + (ownerFrame.width() - boxSize.width()) / 2,
            ownerFrame.top() + (ownerFrame.height() - boxSize.height()) / 2};
}

QPoint keptOnScreen(const QPoint& topLeft, const QSize& boxSize, const QRect& available) {
    if (!available.isValid())
        return topLeft;
    const int x = std::max(available.left(), std::min(topLeft.x(), available.right() + 1 - boxSize.width()));
    const int y = std::max(available.top(), std::min(topLeft.y(), available.bottom() + 1 - boxSize.height()));
    return {x, y};
}

namespace {

// The program's own window at the root of the owner chain: its font is the one the user restored.
QWidget* mainWindowOf(QWidget* owner) {
    QWidget* w = owner ? owner->window() : nullptr;
    while (w && w->parentWidget())
        w = w->parentWidget()->window();
    return w;
}

} // namespace

CenteredMessageBox::CenteredMessageBox(QWidget* owner, const QString& text, MsgKind kind, MsgButtons buttons)
    : QMessageBox(owner ? owner->window() : nullptr), m_owner(owner) {
    if (QWidget* main = mainWindowOf(owner))
        setFont(main->font());
    setText(text);
    switch (kind) {
    case MsgKind::Warning:
        setIcon(QMessageBox::Warning);
        setWindowTitle(QStringLiteral("Warning"));
        break;
    case MsgKind::Error:
        setIcon(QMessageBox::Critical);
        setWindowTitle(QStringLiteral("Error"));
        break;
    case MsgKind::Information:
        setIcon(QMessageBox::Information);
        setWindowTitle(QStringLiteral("Information"));
        break;
    case MsgKind::Confirmation:
        setIcon(QMessageBox::Question);
        setWindowTitle(QStringLiteral("Confirm"));
        break;
    }
    QMessageBox::StandardButtons std;
    if (buttons & MsgButton::Ok)
        std |= QMessageBox::Ok;
    if (buttons & MsgButton::Cancel)
        std |= QMessageBox::Cancel;
    if (buttons & MsgButton::Yes)
        std |= QMessageBox::Yes;
    if (buttons & MsgButton::No)
        std |= QMessageBox::No;
    if (std == QMessageBox::NoButton)
        std = QMessageBox::Ok;
    setStandardButtons(std);
}

void CenteredMessageBox::showEvent(QShowEvent* e) {
    // QMessageBox wraps its text and fixes its size here; the window is not mapped yet, so the
    // move below is where it first appears.
    QMessageBox::showEvent(e);
    if (!m_owner)
        return;
    const QWidget* w = m_owner->window();
    const QSize size = frameGeometry().size();
    QPoint at = centeredPosition(w->frameGeometry(), size);
    if (const QScreen* screen = w->screen())
        at = keptOnScreen(at, size, screen->availableGeometry());
    move(at);
}

MsgButton CenteredMessageDialog(QWidget* owner, const QString& text, MsgKind kind, MsgButtons buttons) {
    if (handlers().message)
        return handlers().message(owner, text, kind, buttons);

    CenteredMessageBox box(owner, text, kind, buttons);
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgButton::Ok;
    case QMessageBox::Cancel: return MsgButton::Cancel;
    case QMessageBox::Yes: return MsgButton::Yes;
    case QMessageBox::No: return MsgButton::No;
    default: return (buttons & MsgButton::Cancel) ? MsgButton::Cancel : MsgButton::None;
    }
}

bool InputQuery(QWidget* owner, const QString& caption, const QString& prompt, QString& value) {
    if (handlers().input)
        return handlers().input(owner, caption, prompt, value);
    bool ok = false;
    const QString text = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = text;
    return ok;
}

QString PromptOpenFileName(QWidget* owner, const QString& caption, const QString& dir, const QString& filter) {
    if (handlers().openFile)
        return handlers().openFile(owner, caption, dir, filter);
    return QFileDialog::getOpenFileName(owner, caption, dir, filter);
}

QString PromptSaveFileName(QWidget* owner, const QString& caption, const QString& dir, const QString& filter) {
    if (handlers().saveFile)
        return handlers().saveFile(owner, caption, dir, filter);
    return QFileDialog::getSaveFileName(owner, caption, dir, filter);
}

// ---------------------------------------------------------------------------

ScopedDialogAnswers::ScopedDialogAnswers(MsgButton a) : answer(a) {
    DialogHandlers h;
    h.message = [this](QWidget*, const QString& text, MsgKind kind, MsgButtons buttons) {
        messages.append({text, kind, buttons});
        return answer;
    };
    h.input = [this](QWidget*, const QString&, const QString&, QString& value) {
        if (inputAnswers.isEmpty())
            return false;
        value = inputAnswers.takeFirst();
        return true;
    };
    auto file = [this](QWidget*, const QString&, const QString&, const QString&) {
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    };
    h.openFile = file;
    h.saveFile = file;
    m_previous = setDialogHandlers(h);
}

ScopedDialogAnswers::~ScopedDialogAnswers() { setDialogHandlers(m_previous); }

QStringList ScopedDialogAnswers::texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}
