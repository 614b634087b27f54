#pragma once
// TDM: the data module, owning the connection to the licence database (condb) and to the zip
// database (Zipdb) for the whole run, and the shared data sets the windows read through.
// Collaborators: TForm1 (opens the connections at first activation), every reader.

#include "core/Database.h"
#include "core/Query.h"

class TDM {
public:
    Database condb;
    Database Zipdb;

    Query dbQuery;      // on condb: look-ups, record display, searches, batch conversion
    Query dbQueryCDN;   // on condb: the Canadian record shown in the main window
    Query ZipQuery;     // on Zipdb: zip, county and state look-ups
    Query QuerySearch;  // on Zipdb: the zip editor's grid
    Query QueryAdd;
    Query QueryUpdate;
};
