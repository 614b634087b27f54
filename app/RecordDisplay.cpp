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

void TForm1::DisplayRecord(const UsLicence& licence) {
    const int offset = GlobalProps.IsUTC(*Settings) ? 0 : LocalUtcOffsetSeconds();
    edtSearch->clear();
    const bool amateur = rbAmateur->isChecked();
    setText(grpUSA, "edtCallsign", licence.callSign);
    App.CurrentCallsign = licence.callSign;
    App.CurrentUSI = licence.usi;
    if (amateur) {
        setText(grpUSA, "edPreviousCall", licence.previousCall);
        setText(grpUSA, "edtLicense", LicenseClassName(licence.operatorClass));
    }
    setText(grpUSA, "edtExpireDate", licence.expires);
    setText(grpUSA, "edtIssueDate", licence.granted);

    setText(grpUSA, "edtName", licenseeName(licence));
    const QString address = streetOrPoBox(licence);
    setText(grpUSA, "edtAddress", address);
    App.CurrentAddress = address;
    App.CurrentCity = licence.city;
    App.CurrentState = licence.state;
    setText(grpUSA, "edtCity", App.CurrentCity);
    setText(grpUSA, "edtState", App.CurrentState);
    App.CurrentZip = licence.zip;
    setText(grpUSA, "edtPostal", licence.zip);

    const ZipGeography place = zipGeography(DM.Zipdb, usZipKey(licence.zip));
    if (place.found) {
        setText(grpUSA, "edtCounty", place.county);
        const TDisType unit = GlobalProps.DisType(*Settings);
        showFigures(grpUSA, placeFiguresAt(place, unit, offset), "edtLatitude", "edtLongitude", "edtGrid", "edtAzimuth",
                    "edtDistance", "edtSunRise", "edtSolarNoon", "edtSunSet");
        lblDistance->setText(distanceCaption(unit));
    }

    const std::optional<QString> other =
        otherServiceCallSign(DM.condb, amateur ? LicenceService::Amateur : LicenceService::Gmrs, licence.frn);
    if (other) {
        lblOthercall->setText(amateur ? QStringLiteral("GMRS Callsign") : QStringLiteral("Amatuer Callsign"));
        lblOthercall->show();
        edtOtherCall->setText(*other);
        edtOtherCall->show();
    }
}

void TForm1::DisplayRecordGMRS(const UsLicence& licence) { DisplayRecord(licence); }

void TForm1::DisplayRecordCDN(const CanadianLicence& c) {
    const int offset = GlobalProps.IsUTC(*Settings) ? 0 : LocalUtcOffsetSeconds();
    edtSearch->clear();
    setText(grpcdn, "CDNedtCallsign", c.callSign);
    App.CurrentCallsign = c.callSign;
    setText(grpcdn, "CDNedtFirstName", c.firstName);
    setText(grpcdn, "CDNedtsurname", c.surname);
    setText(grpcdn, "CDNedtAddress", c.address);
    setText(grpcdn, "CDNedtCity", c.city);
    setText(grpcdn, "CDNedtProv", c.province);
    setText(grpcdn, "CDNedtPostal", c.postalCode);
    setText(grpcdn, "CDNedtqual_a", c.qualA);
    setText(grpcdn, "CDNedtqual_b", c.qualB);
    setText(grpcdn, "CDNedtQual_C", c.qualC);
    setText(grpcdn, "CDNedtQual_D", c.qualD);

    const bool club = !c.clubName1.isEmpty() || !c.clubName2.isEmpty();
    setText(grpcdn, "CDNedtClubName1", club ? c.clubName1 + QLatin1Char(' ') + c.clubName2 : QString());
    setText(grpcdn, "CDNedtclub_address", club ? c.clubAddress : QString());
    setText(grpcdn, "CDNedtclub_city", club ? c.clubCity : QString());
    setText(grpcdn, "CDNedtClub_Prov", club ? c.clubProvince : QString());
    setText(grpcdn, "CDNedtClub_Postal", club ? c.clubPostalCode : QString());

    const ZipGeography place = zipGeography(DM.Zipdb, canadianPostalKey(c.postalCode));
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
