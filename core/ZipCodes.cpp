#include "core/ZipCodes.h"

namespace {

const QString kRowOfKey = QStringLiteral("select latitude, longitude, county from zipcodes where zip = ?1");

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

ZipGeography readPlace(Statement& st) {
    ZipGeography g;
    if (!st.step())
        return g;
    g.found = true;
    g.latitude = st.value(0).toDouble();
    g.longitude = st.value(1).toDouble();
    g.county = st.text(2);
    g.unique = !st.step();
    return g;
}

QStringList firstColumn(Statement& st) {
    QStringList out;
    while (st.step())
        out << st.text(0);
    return out;
}

} // namespace

QString zipTableName() { return QStringLiteral("zipcodes"); }

bool zipTableExists(Database& zipdb) { return zipdb.tableExists(zipTableName()); }

QString usZipKey(const QString& zipCode) { return zipCode.left(5); }

QString canadianPostalKey(const QString& postalCode) { return postalCode.left(3); }

ZipGeography zipGeography(Database& zipdb, const QString& key) {
    Statement st(zipdb, kRowOfKey);
    st.bind(1, key);
    return readPlace(st);
}

PreparedZipLookup::PreparedZipLookup(Database& zipdb) : m_row(zipdb, kRowOfKey) {}

ZipGeography PreparedZipLookup::find(const QString& key) {
    m_row.bind(1, key);
    const ZipGeography g = readPlace(m_row);
    m_row.reset();
    return g;
}

QStringList usStateCodes(Database& zipdb) {
    Statement st(zipdb, QStringLiteral("select distinct state from zipcodes where state !='' and state not in"
                                       "('NL','AB','NS','PE','NB','QC','ON','MB','SK','BC','NU','NT','YT','AA','AP','AS','AE')"
                                       " order by state"));
    return firstColumn(st);
}

QStringList stateCounties(Database& zipdb, const QString& state) {
    Statement st(zipdb, QStringLiteral("select distinct county from zipcodes where state=?1 order by county"));
    st.bind(1, state);
    return firstColumn(st);
}

void forEachZipCounty(Database& zipdb, const std::function<void(std::string_view, std::string_view)>& visit) {
    Statement st(zipdb, QStringLiteral("select zip, county from zipcodes order by key"));
    while (st.step()) {
        // Reading one column leaves the other's bytes in place.
        const QByteArrayView zip = st.utf8(0);
        const QByteArrayView county = st.utf8(1);
        visit(std::string_view(zip.data(), std::size_t(zip.size())), std::string_view(county.data(), std::size_t(county.size())));
    }
}

QString zipInsertSql() {
    return QStringLiteral("insert into zipcodes (zip,city,state,latitude,longitude,county) values(?1,?2,?3,?4,?5,?6)");
}

void openZipSearch(Database& zipdb, Query& querySearch, const QString& text) {
    if (text.isEmpty())
        querySearch.open(zipdb, QStringLiteral("select * from zipcodes"));
    else
        querySearch.open(zipdb, QStringLiteral("select * from zipcodes where zip like ?1 escape '\\'"),
                         {QLatin1Char('%') + likeLiteral(text) + QLatin1Char('%')});
}

bool zipCodeExists(Database& zipdb, const QString& zip) {
    return zipdb.scalar(QStringLiteral("select 1 from zipcodes where zip=?1 limit 1"), {zip}).isValid();
}

void insertZipRow(Database& zipdb, const ZipTableRow& r) {
    Statement st(zipdb, zipInsertSql());
    st.bindAll({r.zip, r.city, r.state, r.latitude, r.longitude, r.county});
    st.execute();
}

int updateZipRow(Database& zipdb, qint64 key, const ZipTableRow& r) {
    Statement st(zipdb, QStringLiteral("UPDATE zipcodes SET zip=?1, city=?2, state=?3, latitude=?4, longitude=?5, county=?6 WHERE key=?7"));
    st.bindAll({r.zip, r.city, r.state, r.latitude, r.longitude, r.county, key});
    st.execute();
    return zipdb.changes();
}
