#include "zip/ZipTable.h"

#include "core/ZipCodes.h"

#include <QLocale>
#include <cmath>

namespace {

std::optional<qint64> parseKey(const QString& text) {
    bool ok = false;
    const qint64 key = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(key) : std::nullopt;
}

// A record without problems as the table's row.
ZipTableRow rowOf(const ZipRecordText& r) {
    return ZipTableRow{r.zip, r.city, r.state, *parseCoordinate(r.latitude), *parseCoordinate(r.longitude), r.county};
}

} // namespace

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

void insertZipRecord(Database& zipdb, const ZipRecordText& r) { insertZipRow(zipdb, rowOf(r)); }

int updateZipRecord(Database& zipdb, const ZipRecordText& r) { return updateZipRow(zipdb, *parseKey(r.key), rowOf(r)); }
