#include "search/TDistrictEditor.h"

#include "core/ZipCodes.h"
#include "core/Paths.h"
#include "search/CountyDateSql.h"
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TDistrictEditor::TDistrictEditor(const TAppContext& context, QWidget* owner)
    : QDialog(owner), m_ctx(context) {
    setObjectName(QStringLiteral("DistrictEditor"));
    setWindowTitle(QStringLiteral("District Editor"));
    buildUi();
    setFixedSize(585, 489);
    FormCreate();
}

void TDistrictEditor::buildUi() {
    auto button = [this](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
    };
    cboState = new QComboBox(this);
    cboState->setObjectName(QStringLiteral("cboState"));
    cboState->setMinimumWidth(80);
    cboDistrict = new QComboBox(this);
    cboDistrict->setObjectName(QStringLiteral("cboDistrict"));
    cboDistrict->setMinimumWidth(170);
    auto* lblState = new QLabel(QStringLiteral("Select State"), this);
    lblState->setBuddy(cboState);
    auto* lblDistrict = new QLabel(QStringLiteral("Select District"), this);
    lblDistrict->setBuddy(cboDistrict);
    button(bntNew, "bntNew", QStringLiteral("New District"));
    button(btnHelp, "btnHelp", QStringLiteral("Help"));
    button(btnUpdate, "btnUpdate", QStringLiteral("Update"));
    button(btnDismiss, "btnDismiss", QStringLiteral("Dismiss"));

    lbCounty = new QListWidget(this);
    lbCounty->setObjectName(QStringLiteral("lbCounty"));
    lbCounty->setAccessibleName(QStringLiteral("Counties of the state"));
    lbDistrict = new QListWidget(this);
    lbDistrict->setObjectName(QStringLiteral("lbDistrict"));
    lbDistrict->setAccessibleName(QStringLiteral("Counties of the district"));
    for (QListWidget* list : {lbCounty, lbDistrict})
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* noteAdd = new QLabel(QStringLiteral("Double click county name to add to district List"), this);
    noteAdd->setWordWrap(true);
    noteAdd->setBuddy(lbCounty);
    auto* noteRemove = new QLabel(QStringLiteral("Double click county name  to Remove district"), this);
    noteRemove->setWordWrap(true);
    noteRemove->setBuddy(lbDistrict);

    auto* top = new QGridLayout;
    top->addWidget(lblState, 0, 0);
    top->addWidget(cboState, 1, 0);
    top->addWidget(lblDistrict, 0, 1);
    top->addWidget(cboDistrict, 1, 1);
    top->addWidget(bntNew, 0, 2);
    top->addWidget(btnHelp, 0, 3);
    top->addWidget(btnUpdate, 1, 2);
    top->addWidget(btnDismiss, 1, 3);
    top->setColumnStretch(1, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(lbCounty, 0, 0);
    lists->addWidget(lbDistrict, 0, 1);
    lists->addWidget(noteAdd, 1, 0);
    lists->addWidget(noteRemove, 1, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);
    lists->setRowStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists, 1);

    connect(cboState, &QComboBox::activated, this, [this] { cboStateSelect(); });
    connect(cboDistrict, &QComboBox::activated, this, [this] { cboDistrictSelect(); });
    connect(lbCounty, &QListWidget::itemDoubleClicked, this, [this] { lbCountyDblClick(); });
    connect(lbDistrict, &QListWidget::itemDoubleClicked, this, [this] { lbDistrictDblClick(); });
    connect(bntNew, &QPushButton::clicked, this, [this] { bntNewClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { btnUpdateClick(); });
    connect(btnDismiss, &QPushButton::clicked, this, [this] { btnDismissClick(); });
}

void TDistrictEditor::FormCreate() {
    cboState->addItems(m_ctx.App.StateList);
    cboState->setCurrentIndex(-1);
}

QStringList TDistrictEditor::listedCounties() const {
    QStringList out;
    for (int i = 0; i < lbDistrict->count(); ++i)
        out << lbDistrict->item(i)->text();
    return out;
}

void TDistrictEditor::showDistrict(const QStringList& counties) {
    lbDistrict->clear();
    lbDistrict->addItems(counties);
}

void TDistrictEditor::cboStateSelect() {
    reportErrors([this] { LoadStateLists(); });
}

void TDistrictEditor::LoadStateLists() {
    const QString code = cboState->currentText();
    if (code.isEmpty())
        return;
    StateFolder = districtStateFolder(m_ctx.App.DistrictsPath, code);
    lbCounty->clear();
    lbCounty->addItems(stateCounties(m_ctx.DM.Zipdb, code));
    cboDistrict->clear();
    cboDistrict->addItems(districtNames(StateFolder));
    cboDistrict->setCurrentIndex(-1);
    // The district shown stays current (and the target of Update) until another is chosen.
}

bool TDistrictEditor::writeDistrict() {
    if (DistrictFile.isEmpty())
        return true;   // no district chosen or created: nothing to write to
    // On failure the list stays as it is, still marked changed, so it can be written again.
    if (!reportErrors([this] { writeDistrictFile(DistrictFile, listedCounties(), m_encoding); }))
        return false;
    DistrictChanged = false;
    return true;
}

void TDistrictEditor::cboDistrictSelect() {
    const QString name = cboDistrict->currentText();
    auto showCurrentChoice = [this] {
        const QFileInfo current(DistrictFile);
        const bool here = !DistrictFile.isEmpty() && current.path() == StateFolder;
        cboDistrict->setCurrentIndex(here ? cboDistrict->findText(current.fileName(), Qt::MatchExactly) : -1);
    };
    if (name.isEmpty() || StateFolder.isEmpty())
        return;
    if (DistrictChanged && !writeDistrict()) {
        showCurrentChoice();
        return;
    }
    const QString path = districtFilePath(StateFolder, name);
    DistrictList district;
    if (!reportErrors([&] { district = readDistrictFile(path); })) {
        showCurrentChoice();
        return;
    }
    DistrictFile = path;
    m_encoding = district.encoding;
    showDistrict(district.counties);
    DistrictChanged = false;
}

void TDistrictEditor::lbCountyDblClick() {
    const QListWidgetItem* item = lbCounty->currentItem();
    if (!item)
        return;
    const QString county = item->text();
    for (int i = 0; i < lbDistrict->count(); ++i)
        if (lbDistrict->item(i)->text().compare(county, Qt::CaseInsensitive) == 0)
            return;
    lbDistrict->addItem(county);
    DistrictChanged = true;
}

void TDistrictEditor::lbDistrictDblClick() {
    const int row = lbDistrict->currentRow();
    if (row >= 0)
        delete lbDistrict->takeItem(row);
    DistrictChanged = true;
}

void TDistrictEditor::bntNewClick() {
    if (StateFolder.isEmpty()) {
        CenteredMessageDialog(this, QStringLiteral("Choose a state first"), MsgKind::Warning, MsgButton::Ok);
        return;
    }
    QString name;
    if (!InputQuery(this, QStringLiteral("District Name"), QStringLiteral("Enter a name for the District"), name))
        return;
    if (!isValidDistrictName(name)) {
        CenteredMessageDialog(this, QStringLiteral("That name is invalid, try again"), MsgKind::Error, MsgButton::Ok);
        return;
    }
    const QString path = districtFilePath(StateFolder, name);
    if (QFileInfo::exists(path)) {
        CenteredMessageDialog(this, QStringLiteral("That name already in use, try again"), MsgKind::Error, MsgButton::Ok);
        return;
    }
    if (!reportErrors([&] { createEmptyDistrict(path); }))
        return;
    // Changes to the district shown before are dropped, as a new district starts empty.
    lbDistrict->clear();
    DistrictFile = path;
    m_encoding = TextEncoding::Utf8;
    DistrictChanged = false;
    cboDistrict->clear();
    reportErrors([this] { cboDistrict->addItems(districtNames(StateFolder)); });
    cboDistrict->setCurrentIndex(-1);
}

void TDistrictEditor::btnUpdateClick() {
    if (DistrictFile.isEmpty()) {
        CenteredMessageDialog(this, QStringLiteral("Choose or create a district first"), MsgKind::Warning, MsgButton::Ok);
        return;
    }
    writeDistrict();
}

void TDistrictEditor::btnDismissClick() { close(); }

void TDistrictEditor::btnHelpClick() {
    reportErrors([] { OpenDocument(findShippedFile(QStringLiteral("DistrictHelp.htm"))); });
}

void TDistrictEditor::done(int result) {
    if (DistrictChanged && !writeDistrict()) {
        const MsgButton answer = CenteredMessageDialog(
            this, QStringLiteral("The changes to the district were not saved. Close anyway and lose them?"),
            MsgKind::Confirmation, MsgButton::Yes | MsgButton::No);
        if (answer != MsgButton::Yes)
            return;
    }
    QDialog::done(result);
}
