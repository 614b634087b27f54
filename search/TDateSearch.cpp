#include "search/TDateSearch.h"

#include "search/CountyChoiceWindow.h"
#include "search/CountyDateSql.h"
#include "search/TTableResults.h"
#include "core/TimeText.h"
#include "ui/JobRunner.h"
#include "ui/ErrorApplication.h"
#include "ui/WindowLook.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDateEdit* datePicker(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(TypableLongDateFormat(QLocale()));
    return d;
}

} // namespace

TDateSearch::TDateSearch(const TAppContext& context, QWidget* owner) : QDialog(owner), m_ctx(context) {
    setObjectName(QStringLiteral("DateSearch"));
    setWindowTitle(QStringLiteral("DateSearch"));
    buildUi();
    paintCream(this);
    setFixedSize(403, 335);
    FormCreate();
}

void TDateSearch::buildUi() {
    rg1 = new QGroupBox(this);
    rg1->setObjectName(QStringLiteral("rg1"));
    rg1->setAccessibleName(QStringLiteral("Date"));
    rbGrant = namedRadio(QStringLiteral("Grant Date"), rg1, "rbGrant");
    rbExpireDate = namedRadio(QStringLiteral("Expire Date"), rg1, "rbExpireDate");
    rbLastAction = namedRadio(QStringLiteral("Last Action"), rg1, "rbLastAction");
    rbGrant->setChecked(true);
    auto* kinds = new QHBoxLayout(rg1);
    kinds->setContentsMargins(6, 2, 6, 2);
    kinds->addWidget(rbGrant);
    kinds->addWidget(rbExpireDate);
    kinds->addWidget(rbLastAction);

    dtpStart = datePicker(this, "dtpStart");
    dtpEndDate = datePicker(this, "dtpEndDate");
    cbbState = new QComboBox(this);
    cbbState->setObjectName(QStringLiteral("cbbState"));
    auto* lbl1 = new QLabel(QStringLiteral("Start Date"), this);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    lbl1->setBuddy(dtpStart);
    auto* lbl2 = new QLabel(QStringLiteral("End Date"), this);
    lbl2->setObjectName(QStringLiteral("lbl2"));
    lbl2->setBuddy(dtpEndDate);
    auto* lbl3 = new QLabel(QStringLiteral("Filter By State"), this);
    lbl3->setObjectName(QStringLiteral("lbl3"));
    lbl3->setBuddy(cbbState);

    grp1 = new QGroupBox(this);
    grp1->setObjectName(QStringLiteral("grp1"));
    grp1->setAccessibleName(QStringLiteral("Service"));
    GroupBox2 = new QGroupBox(grp1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setAccessibleName(QStringLiteral("Service"));
    GroupBox2->setFlat(true);
    rbAmat = namedRadio(QStringLiteral("Amatuer"), GroupBox2, "rbAmat");
    rbGMRS = namedRadio(QStringLiteral("GMRS"), GroupBox2, "rbGMRS");
    rbAmat->setChecked(true);
    auto* services = new QHBoxLayout(GroupBox2);
    services->setContentsMargins(4, 0, 4, 0);
    services->addWidget(rbAmat);
    services->addWidget(rbGMRS);
    auto* g1 = new QVBoxLayout(grp1);
    g1->setContentsMargins(2, 2, 2, 2);
    g1->addWidget(GroupBox2);

    rg2 = new QGroupBox(QStringLiteral("County/Parish"), this);
    rg2->setObjectName(QStringLiteral("rg2"));
    auto* byName = namedRadio(QStringLiteral("Name"), rg2, "rbName");
    auto* byDist = namedRadio(QStringLiteral("District"), rg2, "rbDistrict");
    m_rg2Buttons = new QButtonGroup(rg2);
    m_rg2Buttons->addButton(byName, 0);
    m_rg2Buttons->addButton(byDist, 1);
    byName->setChecked(true);
    auto* modes = new QVBoxLayout(rg2);
    modes->addWidget(byName);
    modes->addWidget(byDist);

    btnSearch = new QPushButton(QStringLiteral("Search"), this);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnQuit = new QPushButton(QStringLiteral("Quit"), this);
    btnQuit->setObjectName(QStringLiteral("btnQuit"));
    for (QPushButton* b : {btnSearch, btnQuit})
        b->setAutoDefault(false);
    lbCounty = new QListWidget(this);
    lbCounty->setObjectName(QStringLiteral("lbCounty"));
    lbCounty->setAccessibleName(QStringLiteral("County/Parish"));
    lbCounty->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label1 = new QLabel(QStringLiteral("To select multiple counties, hold down the CTRL key, then click on a county name."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    auto* fields = new QGridLayout;
    fields->addWidget(lbl1, 0, 0);
    fields->addWidget(dtpStart, 0, 1, 1, 2);
    fields->addWidget(lbl2, 1, 0);
    fields->addWidget(dtpEndDate, 1, 1, 1, 2);
    fields->addWidget(lbl3, 2, 0);
    fields->addWidget(cbbState, 2, 1);
    fields->addWidget(grp1, 2, 2);
    fields->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(rg2);
    left->addWidget(btnSearch);
    left->addWidget(btnQuit);
    left->addStretch(1);
    auto* lower = new QHBoxLayout;
    lower->addLayout(left);
    lower->addWidget(lbCounty, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rg1);
    layout->addLayout(fields);
    layout->addLayout(lower, 1);
    layout->addWidget(Label1);

    connect(cbbState, &QComboBox::activated, this, [this] { cbbStateSelect(); });
    // On the state change, not the click: a screen reader's toggle action checks the button
    // without clicking it.
    connect(m_rg2Buttons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rg2Click();
    });
    connect(btnSearch, &QPushButton::clicked, this, [this] { btnSearchClick(); });
    connect(btnQuit, &QPushButton::clicked, this, [this] { btnQuitClick(); });
}

void TDateSearch::FormCreate() {
    const QDate today = QDate::currentDate();
    dtpStart->setDate(today);
    dtpEndDate->setDate(today);
    cbbState->addItems(m_ctx.App.StateList);
    cbbState->setCurrentIndex(-1);
}

bool TDateSearch::byDistrict() const { return m_rg2Buttons->checkedId() == 1; }

void TDateSearch::cbbStateSelect() {
    reportErrors([this] { fillCountyList(lbCounty, m_ctx, cbbState->currentText(), byDistrict()); });
}

void TDateSearch::rg2Click() { cbbStateSelect(); }

void TDateSearch::btnSearchClick() {
    const QString state = cbbState->currentText();
    const DateKind kind = rbGrant->isChecked() ? DateKind::Grant : rbExpireDate->isChecked() ? DateKind::Expire : DateKind::LastAction;
    reportErrors([&] {
        CountyChoice choice;
        if (!chosenCounties(lbCounty, m_ctx, state, byDistrict(), choice))
            return;
        const bool amat = rbAmat->isChecked();
        const QDate start = dtpStart->date(), end = dtpEndDate->date();
        const QString file = m_ctx.DM.condb.fileName();
        ResultTable rows;
        if (!runJob(this, QStringLiteral("Searching"), [&](JobControl& control) {
                rows = readCountySearch(
                    file, [&](const CountyChoice& c) { return dateSearchSql(amat, state, c, kind, start, end); }, choice, &control);
            }))
            return;
        TTableResults results(m_ctx, this);
        results.ShowDialog(std::move(rows));
    });
}

void TDateSearch::btnQuitClick() { close(); }
