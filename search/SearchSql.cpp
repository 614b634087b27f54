#include "search/SearchSql.h"

#include "core/TextRoutines.h"

namespace {

const QString kColumns = QStringLiteral(
    "select [fcc_en].call_sign,[fcc_en].entity_name,[fcc_en].first_name,[fcc_en].mi,[fcc_en].last_name,"
    "[fcc_en].street_address,[fcc_en].po_box,[fcc_en].city,[fcc_en].county,[fcc_en].state,[fcc_en].zip_code,");

const QString kAmateur = kColumns + QStringLiteral(
    "[fcc_am].operator_class,[fcc_am].previous_callsign,[fcc_hd].license_status,[fcc_hd].grant_date,"
    "[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date from fcc_en, fcc_am, fcc_hd  where "
    "[fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier and "
    "[fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier and [fcc_hd].license_status='A' and "
    "[fcc_en].service");

const QString kGmrs = kColumns + QStringLiteral(
    "[fcc_hd].grant_date,[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date from fcc_en, fcc_hd  "
    "where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier and [fcc_hd].license_status='A' and "
    "[fcc_en].service");

} // namespace

QString usBaseSql(bool isAmat, bool isActive, BaseForm form) {
    QString sql = (isAmat ? kAmateur : kGmrs) + (form == BaseForm::Spaced ? QStringLiteral(" = ") : QStringLiteral("="))
                  + (isAmat ? QStringLiteral("'AMAT'") : QStringLiteral("'GMRS'"));
    if (!isActive)
        sql.replace(QStringLiteral("status="), QStringLiteral("status!="));
    return sql;
}

bool isPatternValue(const QString& value) {
    return value.contains(QLatin1Char('%')) || value.contains(QLatin1Char('_'));
}

QString usSearchValue(UsSearchField field, const QString& typed) {
    return field == UsSearchField::ZipCode ? typed : ProperCase(typed);
}

SearchSql usSearchSql(UsSearchField field, bool isAmat, bool isActive, const QString& typed) {
    const QString value = usSearchValue(field, typed);
    const char* column = field == UsSearchField::ZipCode ? "zip_code" : field == UsSearchField::LastName ? "last_name" : "city";
    const BaseForm form = field == UsSearchField::City ? BaseForm::Closed : BaseForm::Spaced;
    SearchSql s;
    s.sql = usBaseSql(isAmat, isActive, form) + QStringLiteral(" and [fcc_en].") + QLatin1String(column)
            + (isPatternValue(value) ? QStringLiteral(" like ?1") : QStringLiteral(" = ?1"));
    s.params = {value};
    s.orderBy = QStringLiteral("call_sign");
    s.splitTable = QStringLiteral("fcc_en");
    return s;
}

SearchSql cdnSearchSql(CdnSearchField field, const QString& typed) {
    SearchSql s;
    switch (field) {
    case CdnSearchField::LastName:
        s.sql = isPatternValue(typed)
                    ? QStringLiteral("select * from canada where surname like ?1 or club_name1 like ?1 or club_name2 like ?1")
                    : QStringLiteral("select * from canada where surname = ?1 or club_name1 = ?1 or club_name2 = ?1");
        break;
    case CdnSearchField::City:
        s.sql = QStringLiteral("select * from canada where city like ?1");
        break;
    case CdnSearchField::PostalCode:
        s.sql = QStringLiteral("select * from canada where postal_code like ?1");
        break;
    }
    s.params = {typed};
    return s;
}
