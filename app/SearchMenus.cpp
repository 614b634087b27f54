// The Search menu and the district editor entry: each opens its window with the context.
#include "app/Main.h"

#include "search/SearchActions.h"

#include <QAction>

void TForm1::wireSearchMenus() {
    auto us = [this](const char* name, UsSearchField field) {
        connect(menuAction(name), &QAction::triggered, this, [this, field] { runUsSearch(field, this, context()); });
    };
    us("mnuZipcodeSearch_US", UsSearchField::ZipCode);
    us("mnuLastNameSearch_USA", UsSearchField::LastName);
    us("mniCitySearch_USA", UsSearchField::City);

    auto cdn = [this](const char* name, CdnSearchField field) {
        connect(menuAction(name), &QAction::triggered, this, [this, field] { runCdnSearch(field, this, context()); });
    };
    cdn("CDNLastName", CdnSearchField::LastName);
    cdn("CDNCity", CdnSearchField::City);
    cdn("CDNPostal", CdnSearchField::PostalCode);
}
