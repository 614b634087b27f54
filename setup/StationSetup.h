#pragma once
// The rules of the setup dialog without its window: the two number formats of the coordinate
// boxes, reading a box as a coordinate within its range, the location of a zip or postal code,
// and storing the station values.
// Collaborators: TGlobalProps/TSettings (the stored values), the licence module's zip row,
// TfrmSetup (the window).

#include "core/Database.h"
#include "core/Query.h"
#include "core/Settings.h"

#include <QString>
#include <optional>

// "%8.6f": six decimals, at least eight characters (blanks on the left), locale separator.
QString fixedCoordinateText(double value);

enum class Coordinate { Latitude, Longitude };
// The box's text as a number of the user's locale within ±90 (latitude) or ±180 (longitude);
// nothing when it is not one. Blanks around the number are allowed.
std::optional<double> readCoordinate(const QString& text, Coordinate which);
// What is said about a box whose text readCoordinate refused.
QString coordinateProblem(const QString& text, Coordinate which);

// The place of a code exactly as given (the caller upper-cases it), read from the zip table with
// the code as a bound value; nothing unless exactly one row holds the code.
struct PostalLocation {
    double latitude = 0;
    double longitude = 0;
};
std::optional<PostalLocation> postalCodeLocation(Database& zipdb, const QString& code);

struct StationValues {
    double latitude = 0;
    double longitude = 0;
    QString gridSquare;
    bool isUtc = false;
    TDisType disType = TDisType::SM;
};
// Writes the five settings in the dialog's order (latitude, longitude, grid, UTC, unit).
void storeStation(TGlobalProps& props, TSettings& settings, const StationValues& values);

// The look-up service for other programs: on or off, and its port. Settings keys
// "ServeLookups" (0/1, off when absent) and "ServerPort" (8888 when absent).
struct LookupServiceChoice {
    bool serve = false;
    quint16 port = 8888;
};
LookupServiceChoice lookupServiceChoice(const TSettings& settings);
void storeLookupServiceChoice(TSettings& settings, const LookupServiceChoice& choice);
// The port box as a port 1024–65535 (the lower ones are the system's); nothing otherwise.
std::optional<quint16> readServerPort(const QString& text);
QString serverPortProblem(const QString& text);
