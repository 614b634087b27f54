#include "search/TCountySearch.h"

#include "search/CountyDateSql.h"
#include "search/TTableResults.h"
#include "search/CountyChoiceWindow.h"
#include "ui/JobRunner.h"
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"
#include "ui/ResultModel.h"
#include "ui/WindowLook.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

bool TCountySearch::SortAscending = false;

TCountySearch::TCountySearch(const TAppContext& context, QWidget* owner) : QDialog(owner), m_ctx(context) {
    setObjectName(QStringLiteral("CountySearch"));
    setWindowTitle(QStringLiteral("US County Search"));
    setSizeGripEnabled(true);
    buildUi();
    paintCream(this);
    resize(713, 579);
    FormCreate();
}

void TCountySearch::buildUi() {
    lbl1 = boldLabel(QStringLiteral("US State"), this, "lbl1");
    cbbState = new QComboBox(this);
    cbbState->setObjectName(QStringLiteral("cbbState"));
    lbl1->setBuddy(cbbState);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setAccessibleName(QStringLiteral("Service"));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    rbAmat = namedRadio(QStringLiteral("Amatuer"), GroupBox1, "rbAmat");
    rbGMRS = namedRadio(QStringLiteral("GMRS"), GroupBox1, "rbGMRS");
    auto* g1 = new QVBoxLayout(GroupBox1);
    g1->addWidget(rbAmat);
    g1->addWidget(rbGMRS);
    rbAmat->setChecked(true);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setAccessibleName(QStringLiteral("Status"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    rbActive = namedRadio(QStringLiteral("Active"), GroupBox2, "rbActive");
    rbNotAtive = namedRadio(QStringLiteral("Non-Active"), GroupBox2, "rbNotAtive");
    auto* g2 = new QVBoxLayout(GroupBox2);
    g2->addWidget(rbActive);
    g2->addWidget(rbNotAtive);
    rbActive->setChecked(true);

    rg1 = new QGroupBox(QStringLiteral("US County/Parish"), this);
    rg1->setObjectName(QStringLiteral("rg1"));
    auto* byName = namedRadio(QStringLiteral("By Name"), rg1, "rbByName");
    auto* byDist = namedRadio(QStringLiteral("By District"), rg1, "rbByDistrict");
    m_rg1Buttons = new QButtonGroup(rg1);
    m_rg1Buttons->addButton(byName, 0);
    m_rg1Buttons->addButton(byDist, 1);
    byName->setChecked(true);
    auto* rgl = new QHBoxLayout(rg1);
    rgl->addWidget(byName);
    rgl->addWidget(byDist);

    lbCounty = new QListWidget(this);
    lbCounty->setObjectName(QStringLiteral("lbCounty"));
    lbCounty->setAccessibleName(QStringLiteral("US County/Parish"));
    lbCounty->setSelectionMode(QAbstractItemView::ExtendedSelection);

    lbl3 = boldLabel(QStringLiteral("Total Records:"), this, "lbl3");
    lblNumRecords = boldLabel(QStringLiteral("0"), this, "lblNumRecords");
    lbl3->setBuddy(lblNumRecords);
    btnSearch = new QPushButton(QStringLiteral("Search"), this);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnExport = new QPushButton(QStringLiteral("Export"), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    for (QPushButton* b : {btnSearch, btnExport})
        b->setAutoDefault(false);
    Label2 = boldLabel(QStringLiteral("To select multiple counties, hold down the CTRL key, then click on a county name."), this,
                       "Label2");
    Label2->setWordWrap(true);
    Label1 = boldLabel(QStringLiteral("Click on column header name to sort"), this, "Label1");

    grp1 = new QGroupBox(this);
    grp1->setObjectName(QStringLiteral("grp1"));
    grp1->setAccessibleName(QStringLiteral("Results"));
    dbgrd1 = new QTableView(grp1);
    dbgrd1->setObjectName(QStringLiteral("dbgrd1"));
    dbgrd1->setAccessibleName(QStringLiteral("Results"));
    setUpResultGrid(dbgrd1);
    dbgrd1->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* gl = new QVBoxLayout(grp1);
    gl->setContentsMargins(2, 2, 2, 2);
    gl->addWidget(dbgrd1);
    grp1->hide();
    m_model = new ResultModel(this);

    auto* left = new QVBoxLayout;
    left->addWidget(lbl1);
    left->addWidget(cbbState);
    left->addWidget(GroupBox1);
    left->addWidget(GroupBox2);
    left->addStretch(1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(rg1);
    middle->addWidget(lbCounty, 1);
    auto* right = new QVBoxLayout;
    auto* count = new QHBoxLayout;
    count->addWidget(lbl3);
    count->addWidget(lblNumRecords);
    count->addStretch(1);
    right->addLayout(count);
    right->addWidget(btnSearch);
    right->addWidget(btnExport);
    right->addWidget(Label2);
    right->addStretch(1);
    auto* controls = new QHBoxLayout;
    controls->addLayout(left);
    controls->addLayout(middle, 1);
    controls->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(Label1);
    layout->addWidget(grp1, 1);
    layout->addStretch(0);

    connect(cbbState, &QComboBox::activated, this, [this] { cbbStateSelect(); });
    // On the state change, not the click: a screen reader's toggle action checks the button
    // without clicking it.
    connect(m_rg1Buttons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rg1Click();
    });
    connect(btnSearch, &QPushButton::clicked, this, [this] { btnSearchClick(); });
    connect(btnExport, &QPushButton::clicked, this, [this] { btnExportClick(); });
    connect(dbgrd1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { dbgrd1TitleClick(c); });
}

void TCountySearch::FormCreate() {
    cbbState->addItems(m_ctx.App.StateList);
    cbbState->setCurrentIndex(-1);
}

bool TCountySearch::byDistrict() const { return m_rg1Buttons->checkedId() == 1; }

void TCountySearch::cbbStateSelect() {
    lblNumRecords->setText(QStringLiteral("0"));
    reportErrors([this] { fillCountyList(lbCounty, m_ctx, cbbState->currentText(), byDistrict()); });
}

void TCountySearch::rg1Click() { cbbStateSelect(); }

void TCountySearch::btnSearchClick() {
    const bool shown = grp1->isVisible();
    grp1->hide();
    const QString state = cbbState->currentText();
    ResultTable rows;
    bool chosen = false;
    bool finished = false;
    const bool ran = reportErrors([&] {
        CountyChoice choice;
        chosen = chosenCounties(lbCounty, m_ctx, state, byDistrict(), choice);
        if (chosen) {
            const bool amat = rbAmat->isChecked(), active = rbActive->isChecked();
            const QString file = m_ctx.DM.condb.fileName();
            finished = runJob(this, QStringLiteral("Searching"), [&](JobControl& control) {
                rows = readCountySearch(
                    file, [&](const CountyChoice& c) { return countySearchSql(amat, active, state, c); }, choice, &control);
            });
        }
    });
    if (ran && chosen && !finished)
        grp1->setVisible(shown);   // cancelled: the earlier result stays as it was
    if (!ran || !chosen || !finished)
        return;
    const qsizetype count = rows.rowCount();
    // The grid shows rows from the first search that finds any; later searches replace them, even
    // with none.
    if (count > 0 || m_gridBound) {
        m_model->setTable(std::move(rows));
        if (!m_gridBound)
            dbgrd1->setModel(m_model);
        m_gridBound = true;
        AutoSizeGridColumns(dbgrd1);
        if (count > 0)
            dbgrd1->setCurrentIndex(m_model->index(0, 0));
    }
    lblNumRecords->setText(QString::number(count));
    grp1->show();
}

void TCountySearch::btnExportClick() {
    if (!m_gridBound) {
        CenteredMessageDialog(this, QStringLiteral("Nothing to export"), MsgKind::Information, MsgButton::Ok);
        return;
    }
    const QString file = PromptSaveFileName(this, QStringLiteral("Save As"), QString(), QString(), false);
    if (file.isEmpty())
        return;
    bool finished = false;
    if (!reportErrors([&] { finished = ExportGridToCSV(dbgrd1, file); }) || !finished)
        return;
    CenteredMessageDialog(this, QStringLiteral("Export Complete"), MsgKind::Information, MsgButton::Ok);
}

void TCountySearch::dbgrd1TitleClick(int column) {
    if (m_gridBound)
        reportErrors([&] { sortGridOnTitleClick(dbgrd1, column, SortAscending); });
}
