// The Search menu and the district editor entry: each opens its window with the context.
#include "app/Main.h"
#include "ui/ErrorApplication.h"

#include "search/SearchActions.h"
#include "search/TCountySearch.h"
#include "search/TDateSearch.h"
#include "search/TDistrictEditor.h"

#include <QAction>
#include <QMenuBar>

namespace {

QAction* findAction(TForm1& form, const char* name) { return form.menuBar()->findChild<QAction*>(QLatin1String(name)); }

// Options > District Editor, the county search and the date search: a new window each time,
// freed when it closes.
void wireDistrictMenus(TForm1& form) {
    QObject::connect(findAction(form, "DistrictEditor1"), &QAction::triggered, &form, reporting([&form] {
        TDistrictEditor editor(form.context(), &form);
        editor.exec();
    }));
    QObject::connect(findAction(form, "mnuCountySearch_USA"), &QAction::triggered, &form, reporting([&form] {
        TCountySearch search(form.context(), &form);
        search.exec();
    }));
    QObject::connect(findAction(form, "mniDateSearch"), &QAction::triggered, &form, reporting([&form] {
        TDateSearch search(form.context(), &form);
        search.exec();
    }));
}

} // namespace

void TForm1::wireSearchMenus() {
    auto us = [this](const char* name, UsSearchField field) {
        connect(menuAction(name), &QAction::triggered, this, reporting([this, field] { runUsSearch(field, this, context()); }));
    };
    us("mnuZipcodeSearch_US", UsSearchField::ZipCode);
    us("mnuLastNameSearch_USA", UsSearchField::LastName);
    us("mniCitySearch_USA", UsSearchField::City);

    auto cdn = [this](const char* name, CdnSearchField field) {
        connect(menuAction(name), &QAction::triggered, this, reporting([this, field] { runCdnSearch(field, this, context()); }));
    };
    cdn("CDNLastName", CdnSearchField::LastName);
    cdn("CDNCity", CdnSearchField::City);
    cdn("CDNPostal", CdnSearchField::PostalCode);

    wireDistrictMenus(*this);
}
