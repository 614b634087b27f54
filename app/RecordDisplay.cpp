// The US and Canadian record displays: licence fields, then the zip row's geography, then (US)
// the holder's call sign in the other service through the registration number. The rules and
// the queries are the licence module's; this file fills the boxes.
#include "app/Main.h"

#include "licence/LicenceQueries.h"
#include "licence/RecordGeometry.h"
#include "core/TextRoutines.h"
#include "core/TimeText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// The box shows the value from its start; a value longer than the box is there in full in its tool-tip.
void setText(QWidget* group, const char* name, const QString& text) {
    if (auto* e = group->findChild<QLineEdit*>(QLatin1String(name))) {
        e->setText(text);
        e->setCursorPosition(0);
        e->setToolTip(text.trimmed().isEmpty() ? QString() : text);
    }
}

void showFigures(QWidget* group, const PlaceFigures& f, const char* lat, const char* lon, const char* grid, const char* az,
                 const char* dist, const char* rise, const char* noon, const char* set) {
    setText(group, lat, f.latitude);
    setText(group, lon, f.longitude);
    setText(group, grid, f.grid);
    setText(group, az, f.azimuth);
    setText(group, dist, f.distance);
    setText(group, rise, f.sunrise);
    setText(group, noon, f.solarNoon);
    setText(group, set, f.sunset);
}

} // namespace

void TForm1::DisplayRecord(const Query& query) {
    const int offset = GlobalProps.IsUTC(*Settings) ? 0 : LocalUtcOffsetSeconds();
    if (query.recordCount() == 0)
        return;
    edtSearch->clear();
    const bool amateur = rbAmateur->isChecked();
    const QVariant frn = query.value(0, QStringLiteral("frn"));
    const QString call = query.text(0, QStringLiteral("call_sign"));
    setText(grpUSA, "edtCallsign", call);
    App.CurrentCallsign = call;
    App.CurrentUSI = query.text(0, QStringLiteral("unique_system_identifier"));
    if (amateur) {
        setText(grpUSA, "edPreviousCall", query.text(0, QStringLiteral("previous_callsign")));
        setText(grpUSA, "edtLicense", LicenseClassName(query.text(0, QStringLiteral("operator_class"))));
    }
    setText(grpUSA, "edtExpireDate", query.text(0, QStringLiteral("expired_date")));
    setText(grpUSA, "edtIssueDate", query.text(0, QStringLiteral("grant_date")));

    setText(grpUSA, "edtName", licenseeName(query));
    const QString address = streetOrPoBox(query);
    setText(grpUSA, "edtAddress", address);
    App.CurrentAddress = address;
    App.CurrentCity = query.text(0, QStringLiteral("city"));
    App.CurrentState = query.text(0, QStringLiteral("state"));
    setText(grpUSA, "edtCity", App.CurrentCity);
    setText(grpUSA, "edtState", App.CurrentState);
    const QString zip = query.text(0, QStringLiteral("zip_code"));
    App.CurrentZip = zip;
    setText(grpUSA, "edtPostal", zip);

    const ZipGeography place = zipGeography(DM.Zipdb, DM.ZipQuery, usZipKey(zip));
    if (place.found) {
        setText(grpUSA, "edtCounty", place.county);
        const TDisType unit = GlobalProps.DisType(*Settings);
        showFigures(grpUSA, placeFiguresAt(place, unit, offset), "edtLatitude", "edtLongitude", "edtGrid", "edtAzimuth",
                    "edtDistance", "edtSunRise", "edtSolarNoon", "edtSunSet");
        lblDistance->setText(distanceCaption(unit));
    }

    const QString other =
        otherServiceCallSign(DM.condb, DM.dbQuery, amateur ? LicenceService::Amateur : LicenceService::Gmrs, frn);
    if (DM.dbQuery.recordCount() > 0) {
        lblOthercall->setText(amateur ? QStringLiteral("GMRS Callsign") : QStringLiteral("Amatuer Callsign"));
        lblOthercall->show();
        edtOtherCall->setText(other);
        edtOtherCall->show();
    }
}

void TForm1::DisplayRecordGMRS(const Query& query) { DisplayRecord(query); }

void TForm1::DisplayRecordCDN(const Query& query) {
    const int offset = GlobalProps.IsUTC(*Settings) ? 0 : LocalUtcOffsetSeconds();
    if (query.recordCount() == 0)
        return;
    edtSearch->clear();
    const QString call = query.text(0, QStringLiteral("callsign"));
    setText(grpcdn, "CDNedtCallsign", call);
    App.CurrentCallsign = call;
    setText(grpcdn, "CDNedtFirstName", query.text(0, QStringLiteral("first_name")));
    setText(grpcdn, "CDNedtsurname", query.text(0, QStringLiteral("surname")));
    setText(grpcdn, "CDNedtAddress", query.text(0, QStringLiteral("address_line")));
    setText(grpcdn, "CDNedtCity", query.text(0, QStringLiteral("city")));
    setText(grpcdn, "CDNedtProv", query.text(0, QStringLiteral("prov")));
    const QString postal = query.text(0, QStringLiteral("postal_code"));
    setText(grpcdn, "CDNedtPostal", postal);
    setText(grpcdn, "CDNedtqual_a", query.text(0, QStringLiteral("qual_a")));
    setText(grpcdn, "CDNedtqual_b", query.text(0, QStringLiteral("qual_b")));
    setText(grpcdn, "CDNedtQual_C", query.text(0, QStringLiteral("qual_c")));
    setText(grpcdn, "CDNedtQual_D", query.text(0, QStringLiteral("qual_d")));

    const QString club1 = query.text(0, QStringLiteral("club_name1"));
    const QString club2 = query.text(0, QStringLiteral("club_name2"));
    const bool club = !club1.isEmpty() || !club2.isEmpty();
    setText(grpcdn, "CDNedtClubName1", club ? club1 + QLatin1Char(' ') + club2 : QString());
    setText(grpcdn, "CDNedtclub_address", club ? query.text(0, QStringLiteral("club_address")) : QString());
    setText(grpcdn, "CDNedtclub_city", club ? query.text(0, QStringLiteral("club_city")) : QString());
    setText(grpcdn, "CDNedtClub_Prov", club ? query.text(0, QStringLiteral("club_prov")) : QString());
    setText(grpcdn, "CDNedtClub_Postal", club ? query.text(0, QStringLiteral("club_postal")) : QString());

    const ZipGeography place = zipGeography(DM.Zipdb, DM.ZipQuery, canadianPostalKey(postal));
    if (place.found) {
        const TDisType unit = GlobalProps.DisType(*Settings);
        showFigures(grpcdn, placeFiguresAt(place, unit, offset), "CDNedtLatitude", "CDNedtLongitude", "CDNedtGrid", "CDNAzimuth",
                    "CDNDistance", "CDNSunRise", "CDNSolarNoon", "CDNSunSet");
        lblDistance_cdn->setText(distanceCaption(unit));
    }
}

LatLon TForm1::stationPosition() {
    LatLon station;
    station.Latitude = GlobalProps.Latitude(*Settings);
    station.Longitude = GlobalProps.Longitude(*Settings);
    tellSettingNotices();
    station.Valid = true;
    return station;
}

PlaceFigures TForm1::placeFiguresAt(const ZipGeography& place, TDisType unit, int offsetSeconds) {
    return placeFigures(*HamUtil, stationPosition(), place.latitude, place.longitude, unit, offsetSeconds, QDateTime::currentDateTime());
}
