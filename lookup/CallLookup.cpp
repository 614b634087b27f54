#include "lookup/CallLookup.h"

#include "core/TextRoutines.h"

#include <QRegularExpression>
#include <QXmlStreamWriter>

namespace {

// The layout's dates are month/day/year; the licence tables hold year-month-day. Anything else
// (an empty date, a Canadian record) goes out as it is.
QString layoutDate(const QString& stored) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch m = iso.match(stored);
    return m.hasMatch() ? m.captured(2) + QLatin1Char('/') + m.captured(3) + QLatin1Char('/') + m.captured(1) : stored;
}

// The layout's field names, in its order, with the record's values.
std::vector<std::pair<const char*, QString>> fieldsOf(const HamDbRecord& r) {
    return {{"call", r.call},   {"class", r.licenceClass}, {"expires", layoutDate(r.expires)}, {"status", r.status}, {"grid", r.grid},
            {"lat", r.lat},     {"lon", r.lon},            {"fname", r.fname},     {"mi", r.mi},         {"name", r.name},
            {"suffix", r.suffix}, {"addr1", r.addr1},      {"addr2", r.addr2},     {"state", r.state},   {"zip", r.zip},
            {"country", r.country}};
}

QString notFoundOr(const HamDbRecord& r, const QString& value) { return r.found ? value : QStringLiteral("NOT_FOUND"); }

} // namespace

CallLookup::CallLookup(Database& condb, Database& zipdb) : m_licences(condb), m_zip(zipdb) {}

void CallLookup::placeOf(HamDbRecord& r, const QString& key) {
    const ZipGeography g = m_zip.find(key);
    if (!g.found)
        return;
    r.lat = FloatText(g.latitude);
    r.lon = FloatText(g.longitude);
    r.grid = m_ham.LatLongToLocator(g.latitude, g.longitude);
    r.county = g.county;
}

HamDbRecord CallLookup::find(const QString& typed) {
    const QString call = AsciiUpperCase(typed.trimmed());
    HamDbRecord r;
    for (LicenceService service : {LicenceService::Amateur, LicenceService::Gmrs}) {
        const UsLookup found = m_licences.us(service, call);
        if (!found.found())
            continue;
        const UsLicence& l = found.licence;
        r.found = true;
        r.call = l.callSign;
        r.licenceClass = l.operatorClass;
        r.expires = l.expires;
        r.status = l.status;
        r.fname = l.firstName;
        r.mi = l.mi;
        r.name = l.lastName.isEmpty() ? l.entityName : l.lastName;
        r.addr1 = streetOrPoBox(l);
        r.addr2 = l.city;
        r.state = l.state;
        r.zip = l.zip;
        r.country = QStringLiteral("United States");
        r.entityName = l.entityName;
        r.lastName = l.lastName;
        r.granted = l.granted;
        placeOf(r, usZipKey(l.zip));
        return r;
    }
    if (const std::optional<CanadianLicence> c = m_licences.canadian(call)) {
        r.found = true;
        r.call = c->callSign;
        // The qualifications held, as the list writes them (A, B, C, D, E).
        for (const QString& q : {c->qualA, c->qualB, c->qualC, c->qualD, c->qualE})
            r.licenceClass += q.trimmed();
        r.fname = c->firstName;
        r.name = c->surname;
        r.lastName = c->surname;
        r.addr1 = c->address;
        r.addr2 = c->city;
        r.state = c->province;
        r.zip = c->postalCode;
        r.country = QStringLiteral("Canada");
        placeOf(r, canadianPostalKey(c->postalCode));
        r.county.clear();
    }
    return r;
}

QByteArray hamDbJson(const HamDbRecord& r) {
    // Written by hand to keep the layout's order of keys (version, callsign, messages), which
    // some clients print as they come.
    auto quoted = [](const QString& text) {
        QByteArray out = "\"";
        for (const char c : text.toUtf8()) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            } else {
                out += c;
            }
        }
        return out + '"';
    };
    QByteArray out = R"({"hamdb":{"version":"1","callsign":{)";
    bool first = true;
    for (const auto& [name, value] : fieldsOf(r)) {
        if (!first)
            out += ',';
        first = false;
        out += quoted(QLatin1String(name)) + ':' + quoted(notFoundOr(r, value));
    }
    out += R"(},"messages":{"status":)" + quoted(r.found ? QStringLiteral("OK") : QStringLiteral("NOT_FOUND")) + "}}}";
    return out;
}

QByteArray hamDbXml(const HamDbRecord& r) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("hamdb"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeStartElement(QStringLiteral("callsign"));
    for (const auto& [name, value] : fieldsOf(r))
        xml.writeTextElement(QLatin1String(name), notFoundOr(r, value));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("messages"));
    xml.writeTextElement(QStringLiteral("status"), r.found ? QStringLiteral("OK") : QStringLiteral("NOT_FOUND"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QString hamDbCsvLine(const HamDbRecord& r) {
    if (!r.found)
        return {};
    const QChar comma = QLatin1Char(',');
    // Call Sign, Entity Name, Street Address, City, State, Zipcode, Grid, TenTen, VP, First Name,
    // Last Name, MI, County, Latitude, Longitude, Grant Date, Expired Date.
    return QStringList{CsvQuoted(r.call), CsvQuoted(r.entityName), CsvQuoted(r.addr1), CsvQuoted(r.addr2), CsvQuoted(r.state),
                       CsvQuoted(r.zip), r.grid, QString(), QString(), CsvQuoted(r.fname), CsvQuoted(r.lastName), CsvQuoted(r.mi),
                       CsvQuoted(r.county), r.lat.isEmpty() ? QString() : CsvQuoted(r.lat),
                       r.lon.isEmpty() ? QString() : CsvQuoted(r.lon), CsvQuoted(r.granted), CsvQuoted(r.expires)}
        .join(comma);
}
