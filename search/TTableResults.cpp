#include "search/TTableResults.h"

#include "search/SearchRows.h"
#include "ui/JobRunner.h"
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"
#include "ui/ResultModel.h"
#include "ui/WindowLook.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

std::optional<ResultTable> fetchSearchRows(QWidget* owner, const QString& databaseFile, const SearchSql& search) {
    ResultTable rows;
    if (!runJob(owner, QStringLiteral("Searching"), [&](JobControl& control) { rows = readSearchRows(databaseFile, search, &control); }))
        return std::nullopt;
    return rows;
}

TTableResults::TTableResults(const TAppContext& context, QWidget* owner) : QDialog(owner), DM(context.DM) {
    setObjectName(QStringLiteral("TableResults"));
    setModal(true);

    lblRecords = new QLabel(this);
    lblRecords->setObjectName(QStringLiteral("lblRecords"));
    Label1 = new QLabel(QStringLiteral("Click on column header name to sort"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    btnExport = new QPushButton(QStringLiteral("Export"), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnDismiss = new QPushButton(QStringLiteral("Dismiss"), this);
    btnDismiss->setObjectName(QStringLiteral("btnDismiss"));
    for (QPushButton* b : {btnExport, btnDismiss})
        b->setAutoDefault(false);
    // A failed write is reported here: an error must not unwind through Qt's click handling.
    connect(btnExport, &QPushButton::clicked, this, reporting(this, &TTableResults::btnExportClick));
    connect(btnDismiss, &QPushButton::clicked, this, &TTableResults::btnDismissClick);

    m_model = new ResultModel(this);
    dbgrd1 = new QTableView(this);
    dbgrd1->setObjectName(QStringLiteral("dbgrd1"));
    dbgrd1->setAccessibleName(QStringLiteral("Results"));
    dbgrd1->setModel(m_model);
    setUpResultGrid(dbgrd1);
    dbgrd1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(dbgrd1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TTableResults::dbgrd1TitleClick);

    auto* top = new QHBoxLayout;
    top->addWidget(lblRecords);
    top->addSpacing(24);
    top->addWidget(Label1);
    top->addStretch(1);
    top->addWidget(btnExport);
    top->addWidget(btnDismiss);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addLayout(top);
    column->addWidget(dbgrd1, 1);

    paintCream(this);
    setFixedSize(814, 461);
}

int TTableResults::ShowDialog(const QString& sql, const QVariantList& params) { return ShowDialog(SearchSql::plain(sql, params)); }

int TTableResults::ShowDialog(const SearchSql& search) {
    std::optional<ResultTable> rows = fetchSearchRows(parentWidget() ? parentWidget() : this, DM.condb.fileName(), search);
    // Cancelled: nothing opens and nothing is said; the user is back where the search started.
    return rows ? ShowDialog(std::move(*rows)) : 0;
}

int TTableResults::ShowDialog(ResultTable rows) {
    if (rows.rowCount() <= 0) {
        CenteredMessageDialog(parentWidget(), QStringLiteral("No records found"), MsgKind::Information, MsgButton::Ok);
        return 0;
    }
    const qsizetype count = rows.rowCount();
    m_model->setTable(std::move(rows));
    AutoSizeGridColumns(dbgrd1);
    dbgrd1->setCurrentIndex(m_model->index(0, 0));
    lblRecords->setText(QStringLiteral("Total Records: %1").arg(count));
    exec();
    return 2;
}

void TTableResults::dbgrd1TitleClick(int column) {
    reportErrors([&] { sortGridOnTitleClick(dbgrd1, column, SortAscending); });
}

void TTableResults::btnExportClick() {
    const QString file = PromptSaveFileName(this, QStringLiteral("Save As"), QString(), QString(), false);
    if (file.isEmpty())
        return;
    if (QFileInfo::exists(file)
        && CenteredMessageDialog(this, QStringLiteral("Filename exists, Overwrite?"), MsgKind::Warning, MsgButton::Yes | MsgButton::No)
               == MsgButton::No)
        return;
    if (!ExportGridToCSV(dbgrd1, file))
        return;
    CenteredMessageDialog(this, QStringLiteral("Export Complete"), MsgKind::Information, MsgButton::Ok);
}

void TTableResults::btnDismissClick() { done(2); }
