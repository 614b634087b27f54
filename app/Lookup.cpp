// The call sign look-up of the search group: country test, wildcard listing, exact look-up with
// the previous-call fall-back, and the Canadian look-up. Typed text is always a bound parameter.
#include "app/Main.h"

#include "ui/MessageDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

const QString kAmateurList = QStringLiteral(
    "select distinct [fcc_en].[call_sign] from [fcc_en], [fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_hd].license_status='A' and [fcc_en].service='AMAT' and [fcc_en].call_sign like ?1");
const QString kGmrsList = QStringLiteral(
    "select distinct [fcc_en].[call_sign] from [fcc_en], [fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_hd].license_status='A' and [fcc_en].service ='GMRS' and [fcc_en].call_sign like ?1");
// Several active rows for one call (duplicate or reassigned licences) are ordered so that the
// most recent grant comes first; the look-up keeps that one.
const QString kAmateurExact = QStringLiteral(
    "select * from [fcc_en],[fcc_am],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier and [fcc_hd].license_status='A'"
    " and [fcc_en].service='AMAT' and [fcc_en].call_sign=?1 order by [fcc_hd].grant_date desc");
const QString kGmrsExact = QStringLiteral(
    "select * from [fcc_en],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_hd].license_status='A' and [fcc_en].service='GMRS' and [fcc_en].call_sign=?1 order by [fcc_hd].grant_date desc");
// Licences, not rows: duplicate amateur rows of one licence still make one licence.
const QString kPreviousCall = QStringLiteral("select distinct unique_system_identifier from fcc_am where `previous_callsign`=?1");
const QString kByIdentifier = QStringLiteral(
    "select * from [fcc_en],[fcc_am],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier and [fcc_hd].license_status='A'"
    " and [fcc_en].unique_system_identifier=?1 order by [fcc_hd].grant_date desc");
const QString kCanada = QStringLiteral("select * from canada where callsign=?1");

bool isWildcard(const QString& text) { return text.contains(QLatin1Char('%')) || text.contains(QLatin1Char('_')); }

} // namespace

void TForm1::btnSearchClick() { FetchCallsign(edtSearch->text(), true); }

void TForm1::cbbResultsChange(const QString& text) {
    cbbResults->hide();
    FetchCallsign(text, true);
}

Query* TForm1::FetchCallsign(const QString& strcallsign, bool Display) {
    QString text = strcallsign;
    text.replace(QLatin1Char('*'), QLatin1Char('%'));
    text.replace(QLatin1Char('?'), QLatin1Char('_'));
    const QChar first = text.isEmpty() ? QChar() : text.at(0);

    if (first == u'A' || first == u'K' || first == u'N' || first == u'W') {
        grpUSA->show();
        grpcdn->hide();
        Query* result = &Lookup(text);
        // A wildcard that matches one call sign lists it and shows its full record at once.
        if (isWildcard(text) && result->recordCount() == 1)
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
    if (first == u'V') {
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
    CenteredMessageDialog(this, QStringLiteral("Records for stations outside the US and Canada are to supported"),
                          MsgKind::Information, MsgButton::Ok);
    return nullptr;
}

Query& TForm1::Lookup(const QString& callsign) {
    {
        const QSignalBlocker block(cbbResults);
        cbbResults->clear();
    }
    ClearResults();
    Query& q = DM.dbQuery;
    const bool amateur = rbAmateur->isChecked();

    if (isWildcard(callsign)) {
        q.open(DM.condb, amateur ? kAmateurList : kGmrsList, {callsign});
        if (q.recordCount() > 0) {
            QStringList calls;
            calls.reserve(q.recordCount());
            for (int i = 0; i < q.recordCount(); ++i)
                calls << q.value(i, 0).toString();
            calls.sort();
            const QSignalBlocker block(cbbResults);
            cbbResults->addItems(calls);
            cbbResults->setCurrentIndex(-1);
            cbbResults->setEditText(QString());
            // Says what the list holds and takes the keyboard, so a choice is one arrow key away.
            cbbResults->lineEdit()->setPlaceholderText(
                calls.size() == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(calls.size()));
            cbbResults->show();
            cbbResults->setFocus();
            edtSearch->clear();
        }
        return q;
    }
    return LookupExact(callsign);
}

Query& TForm1::LookupExact(const QString& callsign) {
    Query& q = DM.dbQuery;
    q.open(DM.condb, rbAmateur->isChecked() ? kAmateurExact : kGmrsExact, {callsign});
    if (q.recordCount() > 1)
        q.keepFirstRow();
    if (q.recordCount() == 0) {
        q.open(DM.condb, kPreviousCall, {callsign});
        if (q.recordCount() == 1) {
            const QVariant usi = q.value(0, QStringLiteral("unique_system_identifier"));
            q.open(DM.condb, kByIdentifier, {usi});
            if (q.recordCount() > 1)
                q.keepFirstRow();
        } else {
            CenteredMessageDialog(this, QStringLiteral("No records found"), MsgKind::Information, MsgButton::Ok);
        }
    }
    return q;
}

Query& TForm1::LookupCDn(const QString& callsign) {
    cbbResults->hide();
    ClearResults();
    DM.dbQueryCDN.open(DM.condb, kCanada, {callsign});
    return DM.dbQueryCDN;
}

void TForm1::ClearResults() {
    for (QLineEdit* e : grpUSA->findChildren<QLineEdit*>())
        e->clear();
    lblOthercall->clear();
    lblOthercall->hide();
    edtOtherCall->hide();
    for (QLineEdit* e : grpcdn->findChildren<QLineEdit*>())
        e->clear();
}
