// The call sign look-up of the search group: reads the search box and the service buttons, asks
// the licence queries, and fills the drop-down or hands the record to the displays.
#include "app/Main.h"

#include "licence/LicenceQueries.h"
#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringListModel>


void TForm1::btnSearchClick() { FetchCallsign(edtSearch->text(), true); }

void TForm1::cbbResultsChange(const QString& text) {
    cbbResults->hide();
    FetchCallsign(text, true);
}

Query* TForm1::FetchCallsign(const QString& strcallsign, bool Display) {
    // Whatever the look-up shows or says, the next call can be typed at once.
    struct FocusBack {
        QLineEdit* edit;
        ~FocusBack() { edit->setFocus(); }
    } focusBack{edtSearch};
    const QString text = callSignPattern(strcallsign);
    switch (callCountry(text)) {
    case CallCountry::UnitedStates: {
        // Hide before show: for a moment both groups would otherwise be laid out.
        grpcdn->hide();
        grpUSA->show();
        Query* result = &Lookup(text);
        // A wildcard that matches one call sign lists it and shows its full record at once.
        if (hasSqlWildcard(text) && result->recordCount() == 1)
            result = &LookupExact(result->value(0, 0).toString());
        Query& q = *result;
        if (q.recordCount() == 1 && Display) {
            if (rbAmateur->isChecked())
                DisplayRecord(q);
            else
                DisplayRecordGMRS(q);
        }
        return &q;
    }
    case CallCountry::Canada: {
        grpUSA->hide();
        grpcdn->show();
        Query& q = LookupCDn(text);
        if (q.recordCount() == 1) {
            if (Display)
                DisplayRecordCDN(q);
            return &q;
        }
        edtSearch->clear();
        CenteredMessageDialog(this, QStringLiteral("Records for callsigns outside of the US and Canada are not available"),
                              MsgKind::Information, MsgButton::Ok);
        return nullptr;
    }
    case CallCountry::Other: break;
    }
    CenteredMessageDialog(this, QStringLiteral("Records for stations outside the US and Canada are to supported"),
                          MsgKind::Information, MsgButton::Ok);
    return nullptr;
}

Query& TForm1::Lookup(const QString& callsign) {
    {
        const QSignalBlocker block(cbbResults);
        static_cast<QStringListModel*>(cbbResults->model())->setStringList({});
    }
    ClearResults();
    Query& q = DM.dbQuery;
    if (!hasSqlWildcard(callsign))
        return LookupExact(callsign);

    const QStringList calls = matchingCallSigns(DM.condb, selectedService(), callsign);
    // The data set holds the list too, as the callers count and read it.
    QVector<QVariantList> rows;
    rows.reserve(calls.size());
    for (const QString& call : calls)
        rows.push_back({call});
    q.assign({QStringLiteral("call_sign")}, std::move(rows));
    if (!calls.isEmpty()) {
        const QSignalBlocker block(cbbResults);
        static_cast<QStringListModel*>(cbbResults->model())->setStringList(calls);
        cbbResults->setCurrentIndex(-1);
        cbbResults->setEditText(QString());
        // Says what the list holds.
        cbbResults->lineEdit()->setPlaceholderText(
            calls.size() == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(calls.size()));
        cbbResults->show();
        edtSearch->clear();
    }
    return q;
}

Query& TForm1::LookupExact(const QString& callsign) {
    Query& q = DM.dbQuery;
    if (!lookupUsCall(DM.condb, q, selectedService(), callsign))
        CenteredMessageDialog(this, QStringLiteral("No records found"), MsgKind::Information, MsgButton::Ok);
    return q;
}

Query& TForm1::LookupCDn(const QString& callsign) {
    cbbResults->hide();
    ClearResults();
    lookupCanadianCall(DM.condb, DM.dbQueryCDN, callsign);
    return DM.dbQueryCDN;
}

LicenceService TForm1::selectedService() const { return rbAmateur->isChecked() ? LicenceService::Amateur : LicenceService::Gmrs; }

void TForm1::ClearResults() {
    for (QLineEdit* e : grpUSA->findChildren<QLineEdit*>()) {
        e->clear();
        e->setToolTip(QString());
    }
    lblOthercall->clear();
    lblOthercall->hide();
    edtOtherCall->hide();
    for (QLineEdit* e : grpcdn->findChildren<QLineEdit*>()) {
        e->clear();
        e->setToolTip(QString());
    }
}
