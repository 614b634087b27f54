#include "zip/TfrmPostalEditor.h"

#include "ui/ErrorApplication.h"
#include "ui/ResultModel.h"
#include "zip/TfrmZipCRUD.h"
#include "zip/ZipTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmPostalEditor::TfrmPostalEditor(QWidget* owner, TDM& dm) : QDialog(owner), DM(dm) {
    setObjectName(QStringLiteral("frmPostalEditor"));
    setWindowTitle(QStringLiteral("Postal/Zip Code Editor"));
    setModal(true);
    resize(640, 520);

    lbl1 = new QLabel(QStringLiteral("Enter a Zip/Postal code to search"), this);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    edtSearch = new QLineEdit(this);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    lbl1->setBuddy(edtSearch);
    btngo = new QPushButton(QStringLiteral("Go"), this);
    btngo->setObjectName(QStringLiteral("btngo"));
    btngo->setAutoDefault(false);
    auto* top = new QHBoxLayout;
    top->addWidget(lbl1);
    top->addWidget(edtSearch, 1);
    top->addWidget(btngo);

    ds1 = new ResultModel(this);
    ds1->setObjectName(QStringLiteral("ds1"));
    dbgrd1 = new QTableView(this);
    dbgrd1->setObjectName(QStringLiteral("dbgrd1"));
    dbgrd1->setAccessibleName(QStringLiteral("Zip codes"));
    dbgrd1->setModel(ds1);
    dbgrd1->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgrd1->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgrd1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgrd1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    dbgrd1->verticalHeader()->setVisible(true);
    dbgrd1->verticalHeader()->setDefaultSectionSize(dbgrd1->fontMetrics().height() + 6);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btnAdd = button("btnAdd", QStringLiteral("Add New"));
    btnUpdate = button("btnUpdate", QStringLiteral("Update"));
    btnClose = button("btnClose", QStringLiteral("Close"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnAdd);
    bottom->addWidget(btnUpdate);
    bottom->addWidget(btnClose);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(dbgrd1, 1);
    column->addLayout(bottom);

    connect(btngo, &QPushButton::clicked, this, reporting(this, &TfrmPostalEditor::btngoClick));
    connect(edtSearch, &QLineEdit::returnPressed, this, reporting(this, &TfrmPostalEditor::btngoClick));
    connect(btnAdd, &QPushButton::clicked, this, reporting(this, &TfrmPostalEditor::btnAddClick));
    connect(btnUpdate, &QPushButton::clicked, this, reporting(this, &TfrmPostalEditor::btnUpdateClick));
    connect(btnClose, &QPushButton::clicked, this, &TfrmPostalEditor::btnCloseClick);
}

void TfrmPostalEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        reportErrors([this] { FormShow(); });
    }
}

void TfrmPostalEditor::FormShow() { ShowAllRows(); }

void TfrmPostalEditor::ShowAllRows() {
    openZipSearch(DM.Zipdb, DM.QuerySearch, QString());
    showRows();
}

void TfrmPostalEditor::showRows(const QVariant& keepKey) {
    ds1->setRows(DM.QuerySearch);
    dbgrd1->resizeColumnsToContents();
    LimitColumnWidths();
    int row = 0;
    const int keyColumn = ds1->fieldNames().indexOf(QStringLiteral("key"));
    if (keepKey.isValid() && keyColumn >= 0)
        for (int r = 0; r < ds1->rowCount(); ++r)
            if (ds1->index(r, keyColumn).data() == keepKey) {
                row = r;
                break;
            }
    if (ds1->rowCount() > 0) {
        dbgrd1->setCurrentIndex(ds1->index(row, 0));
        dbgrd1->scrollTo(ds1->index(row, 0));
    }
}

void TfrmPostalEditor::LimitColumnWidths() {
    for (int c = 0; c < ds1->columnCount(); ++c)
        if (dbgrd1->columnWidth(c) > kMaxColumnWidth)
            dbgrd1->setColumnWidth(c, kMaxColumnWidth);
}

void TfrmPostalEditor::btngoClick() {
    const QVariant key = dbgrd1->currentIndex().isValid() ? ds1->index(dbgrd1->currentIndex().row(),
                                                                        ds1->fieldNames().indexOf(QStringLiteral("key")))
                                                                .data()
                                                          : QVariant();
    openZipSearch(DM.Zipdb, DM.QuerySearch, edtSearch->text());
    showRows(key);
}

QString TfrmPostalEditor::currentText(const char* field) const {
    const int column = ds1->fieldNames().indexOf(QLatin1String(field));
    const QModelIndex current = dbgrd1->currentIndex();
    if (column < 0 || !current.isValid())
        return {};
    return ds1->index(current.row(), column).data().toString();
}

void TfrmPostalEditor::btnAddClick() {
    TfrmZipCRUD form(this, DM);
    for (QLineEdit* box : {form.edtZip, form.edtCity, form.edtState, form.edtLatitude, form.edtLongitude, form.edtCounty, form.edtKey})
        box->clear();
    TfrmZipCRUD::markYellow(form.edtKey);
    form.Tag = 0;
    form.exec();
}

void TfrmPostalEditor::btnUpdateClick() {
    TfrmZipCRUD form(this, DM);
    form.edtZip->setText(currentText("zip"));
    form.edtCity->setText(currentText("city"));
    form.edtState->setText(currentText("state"));
    form.edtLatitude->setText(currentText("latitude"));
    form.edtLongitude->setText(currentText("longitude"));
    form.edtCounty->setText(currentText("county"));
    form.edtKey->setText(currentText("key"));
    form.edtZip->setReadOnly(true);
    TfrmZipCRUD::markYellow(form.edtZip);
    TfrmZipCRUD::markYellow(form.edtKey);
    form.Tag = 1;
    form.exec();
    btngoClick();
}

void TfrmPostalEditor::btnCloseClick() { close(); }
