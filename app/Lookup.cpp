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

CallRecord TForm1::FetchCallsign(const QString& strcallsign, bool Display) {
    // Whatever the look-up shows or says, the next call can be typed at once.
    struct FocusBack {
        QLineEdit* edit;
        ~FocusBack() { edit->setFocus(); }
    } focusBack{edtSearch};
    const QString text = callSignPattern(strcallsign);
    CallRecord record;
    switch (callCountry(text)) {
    case CallCountry::UnitedStates: {
        // Hide before show: for a moment both groups would otherwise be laid out.
        grpcdn->hide();
        grpUSA->show();
        const QStringList calls = Lookup(text);
        // A wildcard that matches one call sign lists it and shows its full record at once; a
        // plain call comes back as itself.
        if (calls.size() != 1)
            return record;
        const UsLookup found = LookupExact(calls.first());
        if (!found.found())
            return record;
        record.us = found.licence;
        if (Display) {
            if (rbAmateur->isChecked())
                DisplayRecord(*record.us);
            else
                DisplayRecordGMRS(*record.us);
        }
        return record;
    }
    case CallCountry::Canada: {
        grpUSA->hide();
        grpcdn->show();
        record.canadian = LookupCDn(text);
        if (record.canadian) {
            if (Display)
                DisplayRecordCDN(*record.canadian);
            return record;
        }
        edtSearch->clear();
        CenteredMessageDialog(this, QStringLiteral("Records for callsigns outside of the US and Canada are not available"),
                              MsgKind::Information, MsgButton::Ok);
        return record;
    }
    case CallCountry::Other: break;
    }
    CenteredMessageDialog(this, QStringLiteral("Records for stations outside the US and Canada are to supported"),
                          MsgKind::Information, MsgButton::Ok);
    return record;
}

QStringList TForm1::Lookup(const QString& callsign) {
    {
        const QSignalBlocker block(cbbResults);
        static_cast<QStringListModel*>(cbbResults->model())->setStringList({});
    }
    ClearResults();
    if (!hasSqlWildcard(callsign))
        return {callsign};

    const QStringList calls = matchingCallSigns(DM.condb, selectedService(), callsign);
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
    return calls;
}

UsLookup TForm1::LookupExact(const QString& callsign) {
    const UsLookup found = findUsLicence(DM.condb, selectedService(), callsign);
    if (found.outcome == UsLookupOutcome::NotFound)
        CenteredMessageDialog(this, QStringLiteral("No records found"), MsgKind::Information, MsgButton::Ok);
    return found;
}

std::optional<CanadianLicence> TForm1::LookupCDn(const QString& callsign) {
    cbbResults->hide();
    ClearResults();
    return findCanadianLicence(DM.condb, callsign);
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
