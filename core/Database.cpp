#include "core/Database.h"

#include <sqlite3.h>

#include <limits>

DatabaseError::DatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

namespace {

// SQLite's words for a damaged file ("file is not a database") do not say which file: with two
// databases open, the user could not tell which one to remove.
QString withFileWhenDamaged(sqlite3* db, const QString& file, const QString& message) {
    const int code = db ? (sqlite3_extended_errcode(db) & 0xFF) : SQLITE_OK;
    if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
        return QStringLiteral("The database file \"%1\" is damaged (%2)").arg(file, message);
    return message;
}

} // namespace

Database::~Database() { close(); }

void Database::openWith(int flags) {
    if (m_fileName.isEmpty())
        throw DatabaseError(QStringLiteral("No database file name was set"));
    sqlite3* db = nullptr;
    const QByteArray name = m_fileName.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("Cannot open database \"%1\": %2").arg(m_fileName, msg));
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
    // Reads through a memory map instead of a read call per page: the searches that join a few
    // thousand licences from all over the file take half the time.
    sqlite3_exec(m_db, "PRAGMA mmap_size=2147418112", nullptr, nullptr, nullptr);
}

void Database::open() {
    if (!m_db)
        openWith(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX);
}

void Database::open(const QString& fileName) {
    close();
    m_fileName = fileName;
    open();
}

void Database::openSingleThread(const QString& fileName) {
    close();
    m_fileName = fileName;
    openWith(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
}

void Database::openReadOnly(const QString& fileName) {
    close();
    m_fileName = fileName;
    openWith(SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
}

void Database::close() {
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Database::throwError(const QString& context) const {
    const QString msg = m_db ? withFileWhenDamaged(m_db, m_fileName, QString::fromUtf8(sqlite3_errmsg(m_db)))
                             : QStringLiteral("database is not open");
    throw DatabaseError(context.isEmpty() ? msg : QStringLiteral("%1: %2").arg(msg, context));
}

void Database::exec(const QString& sql) {
    if (!m_db)
        throwError(sql);
    char* err = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_exec(m_db, text.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_free(err);
        // A whole schema script would bury the message: its head is enough to find the statement.
        constexpr int kShown = 200;
        throw DatabaseError(QStringLiteral("%1: %2").arg(withFileWhenDamaged(m_db, m_fileName, msg),
                                                          sql.size() > kShown ? sql.left(kShown) + QStringLiteral("...") : sql));
    }
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    Statement st(*this, sql);
    st.bindAll(params);
    if (!st.step())
        return {};
    return st.value(0);
}

bool Database::tableExists(const QString& table) {
    return scalar(QStringLiteral("SELECT EXISTS (SELECT name FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE)"),
                  {table}).toInt() != 0;
}

int Database::changes() const { return m_db ? sqlite3_changes(m_db) : 0; }

void Database::beginTransaction() { exec(QStringLiteral("BEGIN")); }
void Database::commit() { exec(QStringLiteral("COMMIT")); }
void Database::rollback() {
    if (inTransaction())
        exec(QStringLiteral("ROLLBACK"));
}
bool Database::inTransaction() const { return m_db && sqlite3_get_autocommit(m_db) == 0; }

// ---------------------------------------------------------------------------

Statement::Statement(Database& db, const QString& sql) : m_database(&db), m_sql(sql) {
    if (!db.handle())
        db.throwError(sql);
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        db.throwError(sql);
}

Statement::Statement(Statement&& other) noexcept
    : m_database(other.m_database), m_stmt(other.m_stmt), m_sql(std::move(other.m_sql)), m_columns(std::move(other.m_columns)) {
    other.m_stmt = nullptr;
}

Statement::~Statement() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        m_database->throwError(m_sql);
}

void Statement::bindStaticText(int index, const char* utf8, int bytes) {
    if (sqlite3_bind_text(m_stmt, index, utf8, bytes, SQLITE_STATIC) != SQLITE_OK)
        m_database->throwError(m_sql);
}

void Statement::bind(int index, qint64 value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_database->throwError(m_sql);
}

void Statement::bind(int index, double value) {
    if (sqlite3_bind_double(m_stmt, index, value) != SQLITE_OK)
        m_database->throwError(m_sql);
}

void Statement::bind(int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
            m_database->throwError(m_sql);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        bind(index, value.toLongLong());
        break;
    case QMetaType::ULongLong:
        // Beyond the signed range SQLite has no integer for it; the digits are kept as text.
        if (value.toULongLong() <= quint64(std::numeric_limits<qint64>::max()))
            bind(index, value.toLongLong());
        else
            bind(index, value.toString());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        bind(index, value.toDouble());
        break;
    default:
        bind(index, value.toString());
    }
}

void Statement::bindAll(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i));
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_database->throwError(m_sql);
}

void Statement::execute() {
    step();
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QString Statement::columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(m_stmt, column)); }

int Statement::columnIndex(const QString& name) const {
    if (m_columns.isEmpty()) {
        const int n = columnCount();
        for (int i = n - 1; i >= 0; --i)   // the first of duplicate names wins
            m_columns.insert(columnName(i).toLower(), i);
    }
    return m_columns.value(name.toLower(), -1);
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(column));
    }
}

QVariant Statement::value(const QString& name) const {
    const int i = columnIndex(name);
    if (i < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return value(i);
}

QString Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

Statement::Kind Statement::kind(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER: return Kind::Integer;
    case SQLITE_FLOAT: return Kind::Float;
    case SQLITE_NULL: return Kind::Null;
    case SQLITE_BLOB: return Kind::Blob;
    default: return Kind::Text;
    }
}

QByteArrayView Statement::utf8(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

QString Statement::text(const QString& name) const {
    const int i = columnIndex(name);
    if (i < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return text(i);
}

// ---------------------------------------------------------------------------

TransactionGuard::TransactionGuard(Database& db) : m_db(db) { m_db.beginTransaction(); }

TransactionGuard::~TransactionGuard() {
    if (!m_done) {
        try {
            m_db.rollback();
        } catch (...) {
        }
    }
}

void TransactionGuard::commit() {
    m_db.commit();
    m_done = true;
}
