#pragma once
// TAppContext: what every window opened from the main window receives in its constructor, so
// that no window reaches up into TForm1: the data module, the settings store, the station
// settings, the program-wide values (paths, state list, version, current record) and the hosts of
// the outside services. The objects it refers to belong to TForm1 and live for the whole run.
// Windows tell the main window things (the station changed) by signals, not through this.

#include "core/AppValues.h"
#include "core/DataModule.h"
#include "core/Services.h"
#include "core/Settings.h"

struct TAppContext {
    TDM& DM;
    TSettings& Settings;
    TGlobalProps& GlobalProps;
    TAppValues& App;
    ServiceConfig& Services;
};
