#pragma once
// The program-wide values the main window computes and passes to the windows it opens:
// paths, the state list, the version strings and the record on display.

#include "core/SharedRoutines.h"

#include <QString>
#include <QStringList>

struct TAppValues {
    QString AppDataPath;          // ends with '/'
    QString DistrictsPath;        // ends with '/'
    QString SettingsFile;
    QString FCCDatabaseFile;
    QString PostalDatabaseFile;
    QString DocumentsPath;
    QStringList StateList;
    TEXEVersionData VersionData;

    QString CurrentCallsign;
    QString CurrentUSI;
    QString CurrentAddress;
    QString CurrentCity;
    QString CurrentState;
    QString CurrentZip;           // of the last US record; the map centres on its coordinates
};
