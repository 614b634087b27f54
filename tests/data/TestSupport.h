#pragma once
// Fixtures shared by the import tests: a temporary data folder with the shipped schema,
// files written from byte strings, and small query helpers.

#include "core/Database.h"
#include "core/ImportTypes.h"
#include "data/ImportEngine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The shipped file (fcc.sql, postal.sql, postal_update.csv) in the source tree's dist/.
QString distFile(const QString& name);
// The reference material beside the project, or an empty text when it is not there.
QString sharedReference(const QString& relative);

void writeBytes(const QString& path, const QByteArray& bytes);

// ULS lines with n fields: "TYPE|<usi>|..." padded with empty fields.
QByteArray ulsLine(const QByteArray& type, const QList<QPair<int, QByteArray>>& fields, int count);

class ImportFixture {
public:
    ImportFixture();   // creates FCCdata.db and postal.db with the shipped scripts
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString fccDb() const { return path(QStringLiteral("FCCdata.db")); }
    QString zipDb() const { return path(QStringLiteral("postal.db")); }
    bool isValid() const { return m_dir.isValid(); }

    void addZip(const QString& zip, const QString& county);
    ImportJob job(TDataType kind, const QString& file) const;
    // Writes the bytes to a file named after the kind and imports it with the engine.
    ImportResult import(TDataType kind, const QByteArray& content);

    qint64 count(const QString& table);
    // Every column of the rows the query returns, as text.
    QList<QStringList> rows(const QString& sql, const QVariantList& params = {});
    QList<QStringList> rowsIn(const QString& dbFile, const QString& sql, const QVariantList& params = {});
    QStringList indexSql(const QString& table);

private:
    QTemporaryDir m_dir;
};
