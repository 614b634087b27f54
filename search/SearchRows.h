#pragma once
// readSearchRows: every row of a search read from the licence database file, without widgets.
// A search that can be split (SearchSql::splitTable) is read in rowid ranges of that table by
// several threads at once, each on its own read-only connection, and the parts are joined in
// range order, so the rows are the same, in the same order, as one statement gives; a million
// licences then take the time of half of them on two cores. The rows are then ordered as the
// search asks. Read-only connections are kept from one search to the next (and opened afresh when the
// file was replaced). How to read is the search's own knowledge (SearchSql::walksWholeTable).
// Errors are the database's, thrown on the calling thread; JobCancelled when the control was
// cancelled (checked every 16384 rows of each part).
// Collaborators: SearchSql, ResultTable, fetchSearchRows (runs this on a worker for a window).

#include "core/ResultTable.h"
#include "search/SearchSql.h"

#include "core/Job.h"

// `control`, when given, counts the rows read so far (all parts together) and can stop the read.
// `parts` 0 lets the size of the split table decide (one part for small tables); tests force a number.
ResultTable readSearchRows(const QString& databaseFile, const SearchSql& search, JobControl* control = nullptr, int parts = 0);
