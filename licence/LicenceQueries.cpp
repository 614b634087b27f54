#include "licence/LicenceQueries.h"

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
const QString kGmrsOfHolder = QStringLiteral("select call_sign from FCC_EN where service = 'GMRS' and frn=?1");
const QString kAmateurOfHolder = QStringLiteral(
    "select * from FCC_EN, FCC_HD where service = 'AMAT' and FCC_EN.frn=?1 and "
    "FCC_EN.unique_system_identifier = FCC_HD.unique_system_identifier and FCC_HD.license_status='A' ");
const QString kZipRow = QStringLiteral("select latitude, longitude, county from zipcodes where zip = ?1");

} // namespace

QString callSignPattern(const QString& typed) {
    QString text = typed;
    text.replace(QLatin1Char('*'), QLatin1Char('%'));
    text.replace(QLatin1Char('?'), QLatin1Char('_'));
    return text;
}

bool hasSqlWildcard(const QString& text) { return text.contains(QLatin1Char('%')) || text.contains(QLatin1Char('_')); }

CallCountry callCountry(const QString& text) {
    const QChar first = text.isEmpty() ? QChar() : text.at(0);
    if (first == u'A' || first == u'K' || first == u'N' || first == u'W')
        return CallCountry::UnitedStates;
    if (first == u'V')
        return CallCountry::Canada;
    return CallCountry::Other;
}

QStringList matchingCallSigns(Database& condb, LicenceService service, const QString& pattern) {
    Statement st(condb, service == LicenceService::Amateur ? kAmateurList : kGmrsList);
    st.bind(1, pattern);
    QStringList calls;
    while (st.step())
        calls << st.text(0);
    calls.sort();
    return calls;
}

bool lookupUsCall(Database& condb, Query& q, LicenceService service, const QString& call) {
    q.open(condb, service == LicenceService::Amateur ? kAmateurExact : kGmrsExact, {call});
    q.keepFirstRow();
    if (q.recordCount() > 0)
        return true;
    q.open(condb, kPreviousCall, {call});
    if (q.recordCount() != 1) {
        q.close();
        return false;
    }
    const QVariant usi = q.value(0, 0);
    q.open(condb, kByIdentifier, {usi});
    q.keepFirstRow();
    return true;
}

void lookupCanadianCall(Database& condb, Query& q, const QString& call) { q.open(condb, kCanada, {call}); }

QString otherServiceCallSign(Database& condb, Query& q, LicenceService shown, const QVariant& frn) {
    q.open(condb, shown == LicenceService::Amateur ? kGmrsOfHolder : kAmateurOfHolder, {frn});
    return q.recordCount() > 0 ? q.text(0, QStringLiteral("call_sign")) : QString();
}

QString usZipKey(const QString& zipCode) { return zipCode.left(5); }

QString canadianPostalKey(const QString& postalCode) { return postalCode.left(3); }

ZipGeography zipGeography(Database& zipdb, Query& q, const QString& key) {
    ZipGeography g;
    q.open(zipdb, kZipRow, {key});
    if (q.recordCount() == 0)
        return g;
    g.found = true;
    g.latitude = q.value(0, 0).toDouble();
    g.longitude = q.value(0, 1).toDouble();
    g.county = q.value(0, 2).toString();
    return g;
}

QString licenseeName(const QString& first, const QString& mi, const QString& last, const QString& entityName) {
    if (last.isEmpty())
        return entityName;
    return first + QLatin1Char(' ') + mi + QLatin1Char(' ') + last;
}

QString streetOrPoBox(const QString& street, const QString& poBox) {
    return street.isEmpty() ? QStringLiteral("PO Box ") + poBox : street;
}

QString licenseeName(const Query& r) {
    return licenseeName(r.text(0, QStringLiteral("first_name")), r.text(0, QStringLiteral("mi")), r.text(0, QStringLiteral("last_name")),
                        r.text(0, QStringLiteral("entity_name")));
}

QString streetOrPoBox(const Query& r) {
    return streetOrPoBox(r.text(0, QStringLiteral("street_address")), r.text(0, QStringLiteral("po_box")));
}

PreparedAmateurLookup::PreparedAmateurLookup(Database& condb, Database& zipdb)
    : m_licence(condb, kAmateurExact), m_zip(zipdb, kZipRow) {}

bool PreparedAmateurLookup::find(const QString& call) {
    m_licence.reset();
    m_licence.bind(1, call);
    return m_licence.step();
}

ZipGeography PreparedAmateurLookup::zip(const QString& key) {
    ZipGeography g;
    m_zip.bind(1, key);
    if (m_zip.step()) {
        g.found = true;
        g.latitude = m_zip.value(0).toDouble();
        g.longitude = m_zip.value(1).toDouble();
        g.county = m_zip.text(2);
    }
    m_zip.reset();
    return g;
}
