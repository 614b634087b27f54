#pragma once
// TDM: the data module, owning the connection to the licence database (condb) and to the zip
// database (Zipdb) for the whole run, and the data sets windows show.
// Collaborators: TForm1 (opens the connections at first activation), every reader.

#include "core/Database.h"
#include "core/Query.h"

class TDM {
public:
    Database condb;
    Database Zipdb;

    // Look-ups and searches answer with values; what stays shared is what a window shows live.
    Query QuerySearch;  // on Zipdb: the zip editor's grid
};
