#pragma once
// Query: an opened data set, the rows of one statement held in memory so that windows can
// count them, read the current record by field name and show them in a grid.
// Collaborators: Database (runs the statement), TDM (owns the shared queries), the result grids.

#include "core/Database.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

class Query {
public:
    void open(Database& db, const QString& sql, const QVariantList& params = {});
    void close();
    // Makes the data set hold rows computed elsewhere (a list the caller built), as if opened.
    void assign(const QStringList& fields, QVector<QVariantList> rows);
    bool isOpen() const { return m_open; }
    QString sql() const { return m_sql; }

    int recordCount() const { return int(m_rows.size()); }
    int fieldCount() const { return int(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    int fieldIndex(const QString& name) const;   // -1 when absent; the first of equal names

    QVariant value(int row, int column) const;
    QVariant value(int row, const QString& name) const;   // throws DatabaseError for an unknown field
    QString text(int row, const QString& name) const { return value(row, name).toString(); }
    // The first record, as data-aware controls show it.
    QString field(const QString& name) const { return m_rows.isEmpty() ? QString() : text(0, name); }

    const QVector<QVariantList>& rows() const { return m_rows; }
    // Drops every record but the first (a look-up that settled on one of several rows).
    void keepFirstRow() {
        if (m_rows.size() > 1)
            m_rows.resize(1);
    }

private:
    bool m_open = false;
    QString m_sql;
    QStringList m_fields;
    QVector<QVariantList> m_rows;
};
