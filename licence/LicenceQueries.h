#pragma once
// The licence queries every window shares: the US look-ups (wildcard list, exact call with the
// previous-call fall-back), the Canadian look-up, the holder's call in the other service, the zip
// geography of a record (through the zip module) and the name and address rules of a US record. No widgets: the main
// window, the batch conversion, setup and the searches call these, and tests call them directly.
// Typed text is always a bound parameter; the answers are values (a licence, a list of calls).
// Collaborators: Database (core), the zip module (core/ZipCodes), TDM's connections condb and Zipdb.

#include "core/Database.h"
#include "core/ZipCodes.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

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

// A US licence as the look-up finds it: the entity row with its header (and, for an amateur
// licence, its amateur row). Texts as stored; empty where the licence has no such field.
struct UsLicence {
    QString usi;
    QString callSign;
    QString frn;
    QString service;
    QString entityName;
    QString firstName;
    QString mi;
    QString lastName;
    QString street;
    QString poBox;
    QString city;
    QString state;
    QString zip;
    QString county;
    QString operatorClass;   // amateur only
    QString previousCall;    // amateur only
    QString status;
    QString granted;
    QString expires;
    QString lastAction;
};

enum class UsLookupOutcome {
    Found,
    NotFound,    // neither the call nor exactly one licence with it as previous call
    NotActive,   // the call was the previous call of exactly one licence, which is no longer active
};
struct UsLookup {
    UsLookupOutcome outcome = UsLookupOutcome::NotFound;
    UsLicence licence;   // filled when found
    bool found() const { return outcome == UsLookupOutcome::Found; }
};

// A row of the Canadian list.
struct CanadianLicence {
    QString callSign;
    QString firstName;
    QString surname;
    QString address;
    QString city;
    QString province;
    QString postalCode;
    QString qualA;
    QString qualB;
    QString qualC;
    QString qualD;
    QString qualE;
    QString clubName1;
    QString clubName2;
    QString clubAddress;
    QString clubCity;
    QString clubProvince;
    QString clubPostalCode;
};

// What the look-up of one typed call settled on: a US licence or a Canadian row, or neither.
struct CallRecord {
    std::optional<UsLicence> us;
    std::optional<CanadianLicence> canadian;
    bool found() const { return us || canadian; }
};

// The look-ups of single calls on one connection, each statement prepared on first use and kept,
// so that a caller answering many calls (the look-up service) prepares them once. The connection
// must outlive it; one thread uses it at a time.
class LicenceLookup {
public:
    explicit LicenceLookup(Database& condb);
    ~LicenceLookup();
    LicenceLookup(const LicenceLookup&) = delete;
    LicenceLookup& operator=(const LicenceLookup&) = delete;

    // The current licence (most recent grant) of an active call of the service; when the call
    // has none, the active licence whose previous call sign it was, if exactly one licence had it.
    UsLookup us(LicenceService service, const QString& call);
    // The first Canadian row of the call.
    std::optional<CanadianLicence> canadian(const QString& call);
    // The holder's call sign in the other service, found through the FCC registration number: for
    // an amateur record any GMRS licence (also an expired one), for a GMRS record an active
    // amateur licence. Nothing when there is none.
    std::optional<QString> otherServiceCallSign(LicenceService shown, const QString& frn);

private:
    struct Statements;
    Database& m_db;
    std::unique_ptr<Statements> m_st;
};

// The same, for one call on its own.
UsLookup findUsLicence(Database& condb, LicenceService service, const QString& call);
std::optional<CanadianLicence> findCanadianLicence(Database& condb, const QString& call);
std::optional<QString> otherServiceCallSign(Database& condb, LicenceService shown, const QString& frn);

// The holder's name as the record shows it: "first mi last" for a person (blanks kept where a
// part is empty), the entity name when there is no last name.
QString licenseeName(const QString& first, const QString& mi, const QString& last, const QString& entityName);
// The street address, or "PO Box " and the box number when the street is empty (also when the
// box is empty too).
QString streetOrPoBox(const QString& street, const QString& poBox);

// The same rules applied to a licence.
QString licenseeName(const UsLicence& licence);
QString streetOrPoBox(const UsLicence& licence);

// The exact amateur look-up (the current licence of an active amateur call, without the
// previous-call fall-back) and the zip row, each prepared once, for a caller that looks up many
// calls in a row (the batch conversion). Same statements as lookupUsCall's first step and
// the zip module's row. The connections must outlive it; one thread uses it at a time.
class PreparedAmateurLookup {
public:
    PreparedAmateurLookup(Database& condb, Database& zipdb);

    // Steps onto the licence of the call; false when the call has no active amateur licence.
    // The row stays readable through licence() until the next find.
    bool find(const QString& call);
    const Statement& licence() const { return m_licence; }
    ZipGeography zip(const QString& key);

private:
    Statement m_licence;
    PreparedZipLookup m_zip;
};
