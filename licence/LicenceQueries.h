#pragma once
// The licence queries every window shares: the US look-ups (wildcard list, exact call with the
// previous-call fall-back), the Canadian look-up, the holder's call in the other service, the zip
// geography of a record and the name and address rules of a US record. No widgets: the main
// window, the batch conversion, setup and the searches call these, and tests call them directly.
// Typed text is always a bound parameter; rows land in the caller's data set (the shared queries
// of TDM), as the windows read them.
// Collaborators: Database/Query (core), TDM's connections condb and Zipdb.

#include "core/Database.h"
#include "core/Query.h"

#include <QString>
#include <QStringList>
#include <QVariant>

enum class LicenceService { Amateur, Gmrs };

enum class CallCountry { UnitedStates, Canada, Other };

// The typed call sign with the user's wildcards (* and ?) turned into SQL's (% and _).
QString callSignPattern(const QString& typed);
// True when the text holds an SQL wildcard (% or _).
bool hasSqlWildcard(const QString& text);
// The first letter decides: A, K, N, W are US, V is Canadian, anything else (also a leading
// wildcard or an empty text) is neither.
CallCountry callCountry(const QString& text);

// Active call signs of the service matching a like pattern (% any run of characters, _ exactly
// one, ASCII letters in either case, no escape character): each once, in ascending order. Uses
// the call-sign index for the letters and digits before the first wildcard.
QStringList matchingCallSigns(Database& condb, LicenceService service, const QString& pattern);
// The same; probeLimit is the number of candidate rows up to which each candidate is checked on
// its own, above which the active licences are scanned once (both ways give the same list).
QStringList matchingCallSigns(Database& condb, LicenceService service, const QString& pattern, qsizetype probeLimit);

// The current licence (most recent grant) of an active call of the service; when the call has
// none, the active licence whose previous call sign it was, if exactly one licence had it.
// The record (at most one row) lands in q. False when neither the call nor exactly one licence
// with it as previous call exists (what the window reports); a previous call whose licence is no
// longer active gives true and an empty record.
bool lookupUsCall(Database& condb, Query& q, LicenceService service, const QString& call);

// The Canadian rows of a call sign.
void lookupCanadianCall(Database& condb, Query& q, const QString& call);

// The holder's call sign in the other service, found through the FCC registration number: for
// an amateur record any GMRS licence (also an expired one), for a GMRS record an active amateur
// licence. Empty when there is none.
QString otherServiceCallSign(Database& condb, Query& q, LicenceService shown, const QVariant& frn);

// The zip row of a record: the first five characters of a US zip code, the first three of a
// Canadian postal code.
struct ZipGeography {
    bool found = false;
    double latitude = 0;
    double longitude = 0;
    QString county;
};
QString usZipKey(const QString& zipCode);
QString canadianPostalKey(const QString& postalCode);
ZipGeography zipGeography(Database& zipdb, Query& q, const QString& key);

// The holder's name as the record shows it: "first mi last" for a person (blanks kept where a
// part is empty), the entity name when there is no last name.
QString licenseeName(const QString& first, const QString& mi, const QString& last, const QString& entityName);
// The street address, or "PO Box " and the box number when the street is empty (also when the
// box is empty too).
QString streetOrPoBox(const QString& street, const QString& poBox);

// The same rules applied to the fields of the first row of a licence record.
QString licenseeName(const Query& record);
QString streetOrPoBox(const Query& record);
