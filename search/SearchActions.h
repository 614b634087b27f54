#pragma once
// The single-value searches of the Search menu, from prompt to result window: the US searches by
// zip code, last name and city, and the Canadian ones by last name (or club), city and postal
// code. The main window connects its menu entries to these; both windows are owned by it.
// Collaborators: TfrmQuery (the value), SearchSql (the SQL), TTableResults (the rows).

#include "core/AppContext.h"
#include "search/SearchSql.h"

#include <QString>

class QWidget;

// The prompt each search shows.
QString usSearchPrompt(UsSearchField field);
QString cdnSearchPrompt(CdnSearchField field);

// Asks for the value with the service and status choice; Cancel or an empty value (after
// proper-casing) ends it silently. The zip search's result window is captioned
// " Zipcode Search Result".
void runUsSearch(UsSearchField field, QWidget* owner, const TAppContext& context);
// Asks for the value without the service choice; after OK the value is searched exactly as typed,
// even when empty.
void runCdnSearch(CdnSearchField field, QWidget* owner, const TAppContext& context);
