#include "zip/ZipTable.h"

#include <QLocale>
#include <cmath>

namespace {

// LIKE with '\' as escape character, so that the pattern's own % and _ are the only wildcards.
QString likeLiteral(const QString& text) {
    QString out;
    out.reserve(text.size() + 4);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

std::optional<qint64> parseKey(const QString& text) {
    bool ok = false;
    const qint64 key = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(key) : std::nullopt;
}

} // namespace

void openZipSearch(Database& zipdb, Query& querySearch, const QString& text) {
    if (text.isEmpty())
        querySearch.open(zipdb, QStringLiteral("select * from zipcodes"));
    else
        querySearch.open(zipdb, QStringLiteral("select * from zipcodes where zip like ?1 escape '\\'"),
                         {QLatin1Char('%') + likeLiteral(text) + QLatin1Char('%')});
}

std::optional<double> parseCoordinate(const QString& text) {
    const QString t = text.trimmed();
    // Without group separators: in a locale whose group separator is the point, "41.123" must
    // not be read as 41123.
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double v = user.toDouble(t, &ok);
    if (!ok) {
        // The point as decimal separator whatever the locale, and never a comma as a group
        // separator: "0,045" is not 45.
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        v = c.toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString zipRecordProblem(const ZipRecordText& r, bool update) {
    if (r.zip.trimmed().isEmpty())
        return QStringLiteral("Zip/Posal Code: enter the code of the record.");
    const auto lat = parseCoordinate(r.latitude);
    if (!lat || *lat < -90.0 || *lat > 90.0)
        return QStringLiteral("Latitude: enter a number from -90 to 90 (\"%1\" is not one).").arg(r.latitude);
    const auto lon = parseCoordinate(r.longitude);
    if (!lon || *lon < -180.0 || *lon > 180.0)
        return QStringLiteral("Longitude: enter a number from -180 to 180 (\"%1\" is not one).").arg(r.longitude);
    if (update && !parseKey(r.key))
        return QStringLiteral("Record Key: no record is chosen to update (the key \"%1\" is not a number).").arg(r.key);
    return {};
}

bool zipCodeExists(Database& zipdb, Query& queryAdd, const QString& zip) {
    queryAdd.open(zipdb, QStringLiteral("select * from zipcodes where zip=?1"), {zip});
    return queryAdd.recordCount() > 0;
}

void insertZipRecord(Database& zipdb, Query& queryAdd, const ZipRecordText& r) {
    queryAdd.open(zipdb, QStringLiteral("insert into zipcodes (zip,city,state,latitude,longitude,county) values(?1,?2,?3,?4,?5,?6)"),
                  {r.zip, r.city, r.state, *parseCoordinate(r.latitude), *parseCoordinate(r.longitude), r.county});
}

int updateZipRecord(Database& zipdb, Query& queryUpdate, const ZipRecordText& r) {
    queryUpdate.open(zipdb,
                     QStringLiteral("UPDATE zipcodes SET zip=?1, city=?2, state=?3, latitude=?4, longitude=?5, county=?6 WHERE key=?7"),
                     {r.zip, r.city, r.state, *parseCoordinate(r.latitude), *parseCoordinate(r.longitude), r.county, *parseKey(r.key)});
    return zipdb.changes();
}
