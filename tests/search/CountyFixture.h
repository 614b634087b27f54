#pragma once
// The look-up fixture with rows for the county and date searches added (counties with apostrophes
// and a double quote, one county name in two states, active and other licences of both services,
// several grant, expiry and last-action dates), and the context the search windows receive.

#include "core/AppContext.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Creates FCCdata.db and postal.db in the folder with the fixture rows.
void writeCountyFixture(const QString& appDataPath);

// A temporary home with the fixture databases open and the program values set; districts folder
// with one (empty) folder per state of the zip table.
class CountyFixtureEnv {
public:
    CountyFixtureEnv();
    TAppContext context() { return TAppContext{dm, *settings, props, app, services}; }
    QString stateFolder(const QString& state) const { return app.DistrictsPath + state; }
    // Writes raw bytes as a district file of the state; returns its path.
    QString putDistrict(const QString& state, const QString& name, const QByteArray& bytes) const;

    std::unique_ptr<QTemporaryDir> home;
    TDM dm;
    std::unique_ptr<TSettings> settings;
    TGlobalProps props;
    TAppValues app;
    ServiceConfig services;
};

// The whole content of a file ("<unreadable>" when it cannot be read).
QByteArray fileBytes(const QString& path);
// The call signs in a column of a query's rows, sorted.
QStringList sortedCalls(const class Query& query);
