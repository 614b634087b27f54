#include "ui/MessageDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRect>
#include <QWidget>

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

MsgButton CenteredMessageDialog(QWidget* owner, const QString& text, MsgKind kind, MsgButtons buttons) {
    if (handlers().message)
        return handlers().message(owner, text, kind, buttons);

    QMessageBox box(owner ? owner->window() : nullptr);
    box.setText(text);
    switch (kind) {
    case MsgKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Warning"));
        break;
    case MsgKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Error"));
        break;
    case MsgKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Information"));
        break;
    case MsgKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirm"));
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
    box.setStandardButtons(std);
    if (owner) {
        box.adjustSize();
        const QWidget* w = owner->window();
        box.move(centeredPosition(w->frameGeometry(), box.frameGeometry().size()));
    }
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

QString PromptSaveFileName(QWidget* owner, const QString& caption, const QString& dir, const QString& filter,
                           bool confirmOverwrite) {
    if (handlers().saveFile)
        return handlers().saveFile(owner, caption, dir, filter);
    const QFileDialog::Options options = confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(owner, caption, dir, filter, nullptr, options);
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
