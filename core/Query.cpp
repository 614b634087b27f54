#include "core/Query.h"

void Query::open(Database& db, const QString& sql, const QVariantList& params) {
    close();
    Statement st(db, sql);
    st.bindAll(params);
    const int n = st.columnCount();
    QStringList fields;
    for (int i = 0; i < n; ++i)
        fields << st.columnName(i);
    QVector<QVariantList> rows;
    while (st.step()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << st.value(i);
        rows.push_back(std::move(row));
    }
    m_fields = fields;
    m_rows = std::move(rows);
    m_sql = sql;
    m_open = true;
}

void Query::assign(const QStringList& fields, QVector<QVariantList> rows) {
    m_fields = fields;
    m_rows = std::move(rows);
    m_sql.clear();
    m_open = true;
}

void Query::close() {
    m_open = false;
    m_fields.clear();
    m_rows.clear();
    m_sql.clear();
}

int Query::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Query::value(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    return m_rows.at(row).at(column);
}

QVariant Query::value(int row, const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return value(row, i);
}
