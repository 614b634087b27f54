#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

QString distFile(const QString& name) {
    QString dir = qEnvironmentVariable("QM_DIST_DIR");
    if (dir.isEmpty())
        dir = qEnvironmentVariable("QM_SOURCE_DIR") + QStringLiteral("/dist");
    return QDir(dir).filePath(name);
}

QString sharedReference(const QString& relative) {
    const QString source = qEnvironmentVariable("QM_SOURCE_DIR");
    if (source.isEmpty())
        return {};
    const QString path = QDir(source).filePath(QStringLiteral("../shared/reference/") + relative);
    return QFileInfo::exists(path) ? QDir::cleanPath(path) : QString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

QByteArray ulsLine(const QByteArray& type, const QList<QPair<int, QByteArray>>& fields, int count) {
    QList<QByteArray> f(count);
    f[0] = type;
    for (const auto& [n, v] : fields)
        f[n - 1] = v;
    return f.join('|');
}

static QString readAll(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file));
    return QString::fromUtf8(f.readAll());
}

ImportFixture::ImportFixture() {
    Database fcc, zip;
    fcc.open(fccDb());
    fcc.exec(readAll(distFile(QStringLiteral("fcc.sql"))));
    zip.open(zipDb());
    zip.exec(readAll(distFile(QStringLiteral("postal.sql"))));
}

void ImportFixture::addZip(const QString& zip, const QString& county) {
    Database db;
    db.open(zipDb());
    Statement st(db, QStringLiteral("insert into zipcodes (zip, city, state, latitude, longitude, county) values(?1,'Town','ST',1.0,2.0,?2)"));
    st.bind(1, zip);
    st.bind(2, county);
    st.execute();
}

ImportJob ImportFixture::job(TDataType kind, const QString& file) const {
    ImportJob j;
    j.kind = kind;
    j.sourceFile = file;
    j.databaseFile = kind == TDataType::ZIP ? zipDb() : fccDb();
    j.zipDatabaseFile = zipDb();
    return j;
}

ImportResult ImportFixture::import(TDataType kind, const QByteArray& content) {
    const QString file = path(dataTypeName(kind) + QStringLiteral(".txt"));
    writeBytes(file, content);
    ImportEngine engine(job(kind, file));
    return engine.run();
}

qint64 ImportFixture::count(const QString& table) {
    Database db;
    db.open(table == QLatin1String("zipcodes") ? zipDb() : fccDb());
    return db.scalar(QStringLiteral("select count(1) from ") + table).toLongLong();
}

QList<QStringList> ImportFixture::rows(const QString& sql, const QVariantList& params) {
    return rowsIn(sql.contains(QLatin1String("zipcodes")) ? zipDb() : fccDb(), sql, params);
}

QList<QStringList> ImportFixture::rowsIn(const QString& dbFile, const QString& sql, const QVariantList& params) {
    Database db;
    db.open(dbFile);
    Statement st(db, sql);
    st.bindAll(params);
    QList<QStringList> out;
    while (st.step()) {
        QStringList row;
        for (int i = 0; i < st.columnCount(); ++i)
            row << st.text(i);
        out << row;
    }
    return out;
}

QStringList ImportFixture::indexSql(const QString& table) {
    QStringList out;
    const QString file = table == QLatin1String("zipcodes") ? zipDb() : fccDb();
    for (const QStringList& r :
         rowsIn(file, QStringLiteral("select sql from sqlite_master where type='index' and tbl_name=?1 and sql is not null order by name"), {table}))
        out << r.at(0);
    return out;
}
