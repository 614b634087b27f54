#include "search/SearchActions.h"

#include "search/TfrmQuery.h"
#include "search/TTableResults.h"

namespace {

QString prompt(const char* what) {
    return QStringLiteral("Enter a %1 with wildcards as necessary. % = multiple characters, _ = single character.  Use wildcards with care!!!")
        .arg(QLatin1String(what));
}

} // namespace

QString usSearchPrompt(UsSearchField field) {
    switch (field) {
    case UsSearchField::ZipCode: return prompt("zipcode");
    case UsSearchField::LastName: return prompt("last name");
    case UsSearchField::City: break;
    }
    return prompt("city name");
}

QString cdnSearchPrompt(CdnSearchField field) {
    switch (field) {
    case CdnSearchField::LastName: return prompt("last name");
    case CdnSearchField::City: return prompt("city name");
    case CdnSearchField::PostalCode: break;
    }
    return prompt("postal code");
}

void runUsSearch(UsSearchField field, QWidget* owner, const TAppContext& context) {
    TfrmQuery query(owner);
    TTableResults results(context, owner);
    if (field == UsSearchField::ZipCode)
        results.setWindowTitle(QStringLiteral(" Zipcode Search Result"));
    if (query.ShowDialog(usSearchPrompt(field)) != 1)
        return;
    if (usSearchValue(field, query.SearchResult()).isEmpty())
        return;
    results.ShowDialog(usSearchSql(field, query.IsAmat(), query.IsActive(), query.SearchResult()));
}

void runCdnSearch(CdnSearchField field, QWidget* owner, const TAppContext& context) {
    TTableResults results(context, owner);
    TfrmQuery query(owner);
    query.hideServiceButtons();
    if (query.ShowDialog(cdnSearchPrompt(field)) != 1)
        return;
    results.ShowDialog(cdnSearchSql(field, query.SearchResult()));
}
