#include "search/TfrmQuery.h"

#include "ui/WindowLook.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* plainButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = named(new QPushButton(caption, parent), name);
    // A QPushButton in a dialog answers Enter by default; these answer clicks only.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

TfrmQuery::TfrmQuery(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmQuery"));
    setWindowTitle(QString());
    setModal(true);

    Label1 = named(new QLabel(this), "Label1");
    Label1->setWordWrap(true);
    Label1->setFixedSize(424, 57);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The frames have no title on screen; a screen reader still says what each pair chooses.
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    GroupBox1->setAccessibleName(QStringLiteral("Service"));
    rbAmat = named(new QRadioButton(QStringLiteral("Amatuer"), GroupBox1), "rbAmat");
    rbGMRS = named(new QRadioButton(QStringLiteral("GMRS"), GroupBox1), "rbGMRS");
    rbAmat->setChecked(true);
    auto* services = new QHBoxLayout(GroupBox1);
    services->addWidget(rbAmat);
    services->addWidget(rbGMRS);

    GroupBox2 = named(new QGroupBox(this), "GroupBox2");
    GroupBox2->setAccessibleName(QStringLiteral("Status"));
    rbActive = named(new QRadioButton(QStringLiteral("Active"), GroupBox2), "rbActive");
    rbNotActive = named(new QRadioButton(QStringLiteral("Non-Active"), GroupBox2), "rbNotActive");
    rbActive->setChecked(true);
    auto* statuses = new QHBoxLayout(GroupBox2);
    statuses->addWidget(rbActive);
    statuses->addWidget(rbNotActive);

    edtSearch = named(new QLineEdit(this), "edtSearch");
    Label1->setBuddy(edtSearch);

    btnOK = plainButton(this, "btnOK", QStringLiteral("OK"));
    btnCancel = plainButton(this, "btnCancel", QStringLiteral("Cancel"));
    connect(btnOK, &QPushButton::clicked, this, &TfrmQuery::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmQuery::btnCancelClick);

    auto* choices = new QHBoxLayout;
    choices->addWidget(GroupBox1);
    choices->addWidget(GroupBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(Label1);
    column->addLayout(choices);
    column->addWidget(edtSearch);
    column->addLayout(buttons);

    paintCream(this);
    setFixedSize(440, 224);
    edtSearch->setFocus();
}

int TfrmQuery::ShowDialog(const QString& prompt) {
    Label1->setText(prompt);
    edtSearch->setFocus();
    return exec() == QDialog::Accepted ? 1 : 2;
}

void TfrmQuery::hideServiceButtons() {
    rbAmat->hide();
    rbGMRS->hide();
}

void TfrmQuery::btnOKClick() {
    m_SearchResult = edtSearch->text();
    m_IsAmat = rbAmat->isChecked();
    m_IsActive = rbActive->isChecked();
    accept();
}

void TfrmQuery::btnCancelClick() { reject(); }

void TfrmQuery::keyPressEvent(QKeyEvent* event) {
    // Escape would reject the dialog; here it closes nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
