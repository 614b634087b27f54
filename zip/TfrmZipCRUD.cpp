#include "zip/TfrmZipCRUD.h"

#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmZipCRUD::TfrmZipCRUD(QWidget* owner, TDM& dm) : QDialog(owner), DM(dm) {
    setObjectName(QStringLiteral("frmZipCRUD"));
    setWindowTitle(QStringLiteral("Postal/Zip CRUD Form"));
    setModal(true);

    lblAction = new QLabel(QStringLiteral("Add Record"), this);
    lblAction->setObjectName(QStringLiteral("lblAction"));
    QFont heading = lblAction->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.5);
    lblAction->setFont(heading);

    auto* form = new QFormLayout;
    auto box = [&](const char* name, const QString& caption) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMinimumWidth(220);
        auto* label = new QLabel(caption, this);
        label->setBuddy(e);
        form->addRow(label, e);
        return e;
    };
    edtZip = box("edtZip", QStringLiteral("Zip/Posal Code:"));
    edtCity = box("edtCity", QStringLiteral("City Name:"));
    edtState = box("edtState", QStringLiteral("State/Province Name:"));
    edtLatitude = box("edtLatitude", QStringLiteral("Latitude:"));
    edtLongitude = box("edtLongitude", QStringLiteral("Longitude:"));
    edtCounty = box("edtCounty", QStringLiteral("County:"));
    edtKey = box("edtKey", QStringLiteral("Record Key:"));
    edtKey->setReadOnly(true);

    btnAdd = new QPushButton(QStringLiteral("Execute"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setDefault(true);
    btncancel = new QPushButton(QStringLiteral("Cancel"), this);
    btncancel->setObjectName(QStringLiteral("btncancel"));
    connect(btnAdd, &QPushButton::clicked, this, reporting(this, &TfrmZipCRUD::btnAddClick));
    connect(btncancel, &QPushButton::clicked, this, &TfrmZipCRUD::btncancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAdd);
    buttons->addWidget(btncancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(lblAction);
    column->addLayout(form);
    column->addLayout(buttons);
}

void TfrmZipCRUD::markYellow(QLineEdit* box) {
    box->setStyleSheet(QStringLiteral("QLineEdit { background-color: yellow; color: black; }"));
}

void TfrmZipCRUD::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmZipCRUD::FormShow() { lblAction->setText(Tag == 1 ? QStringLiteral("Update Record") : QStringLiteral("Add Record")); }

ZipRecordText TfrmZipCRUD::typed() const {
    return {edtZip->text(),      edtCity->text(),   edtState->text(), edtLatitude->text(),
            edtLongitude->text(), edtCounty->text(), edtKey->text()};
}

bool TfrmZipCRUD::checkTyped() {
    const QString problem = zipRecordProblem(typed(), Tag == 1);
    if (problem.isEmpty())
        return true;
    CenteredMessageDialog(this, problem, MsgKind::Warning, MsgButton::Ok);
    return false;
}

void TfrmZipCRUD::btnAddClick() {
    // A database error leaves this handler by exception: the general error report shows it and
    // the form stays open with its values.
    const Outcome outcome = Tag == 1 ? UpdateRecord() : AddRecord();
    if (outcome != Outcome::Invalid)
        accept();
}

void TfrmZipCRUD::btncancelClick() { reject(); }

TfrmZipCRUD::Outcome TfrmZipCRUD::AddRecord() {
    if (!checkTyped())
        return Outcome::Invalid;
    if (zipCodeExists(DM.Zipdb, edtZip->text())) {
        CenteredMessageDialog(this, QStringLiteral("A postal code with that value alreay exists"), MsgKind::Warning, MsgButton::Ok);
        return Outcome::Refused;
    }
    insertZipRecord(DM.Zipdb, typed());
    CenteredMessageDialog(this, QStringLiteral("Record Added Sucessfully"), MsgKind::Information, MsgButton::Ok);
    return Outcome::Written;
}

TfrmZipCRUD::Outcome TfrmZipCRUD::UpdateRecord() {
    if (!checkTyped())
        return Outcome::Invalid;
    if (updateZipRecord(DM.Zipdb, typed()) == 0) {
        CenteredMessageDialog(this, QStringLiteral("No zip record has the key %1; nothing was changed.").arg(edtKey->text().trimmed()),
                              MsgKind::Warning, MsgButton::Ok);
        return Outcome::Refused;
    }
    CenteredMessageDialog(this, QStringLiteral("Record Updated Sucessfully"), MsgKind::Information, MsgButton::Ok);
    return Outcome::Written;
}
