#pragma once
// Database / Statement: the one place that talks to the SQLite C API. RAII ownership of the
// connection and of prepared statements, parameter binding, column access by name, and a
// commit-or-rollback transaction guard. Errors become DatabaseError exceptions carrying
// SQLite's message and the statement text.
// Collaborators: TDM (owns the two connections), the import engine, every reader.

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

class Statement;

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setFileName(const QString& fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }

    // Opens (and creates when missing) the file given by setFileName.
    void open();
    void open(const QString& fileName);
    // Opens a connection that only one thread ever uses (an import worker's own): SQLite then
    // skips the lock it otherwise takes on every call.
    void openSingleThread(const QString& fileName);
    // Opens an existing file for reading only, for one thread (a worker that only reads): a
    // missing file is an error instead of a new empty database.
    void openReadOnly(const QString& fileName);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Runs one or several statements without results (schema scripts, pragmas).
    void exec(const QString& sql);
    // First column of the first row of a query, or an invalid QVariant when no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    bool tableExists(const QString& table);
    int changes() const;

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    sqlite3* handle() const { return m_db; }
    [[noreturn]] void throwError(const QString& context) const;

private:
    void openWith(int flags);

    sqlite3* m_db = nullptr;
    QString m_fileName;
};

class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;

    // Binding: parameters count from 1 as in SQLite. A null QVariant binds NULL.
    void bind(int index, const QString& value);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bind(int index, const QVariant& value);
    // No copy: the text must stay unchanged until the statement is next reset (execute() resets).
    void bindStaticText(int index, const char* utf8, int bytes);
    void bindAll(const QVariantList& values);

    // Advances; false at the end of the result.
    bool step();
    // For statements without results: one step, then ready for new bindings.
    void execute();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    int columnIndex(const QString& name) const;   // -1 when absent (case-insensitive)
    QVariant value(int column) const;
    QVariant value(const QString& name) const;
    QString text(int column) const;
    // The column's UTF-8 bytes without a copy; valid until the next step or reset. For scans
    // over hundreds of thousands of rows, where a string per row would dominate.
    QByteArrayView utf8(int column) const;
    QString text(const QString& name) const;
    // The column's storage class in this row (bulk readers that keep the bytes themselves).
    enum class Kind : unsigned char { Null, Integer, Float, Text, Blob };
    Kind kind(int column) const;

private:
    Database* m_database;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    mutable QHash<QString, int> m_columns;
};

// Begins a transaction and rolls it back on destruction unless commit() was called.
class TransactionGuard {
public:
    explicit TransactionGuard(Database& db);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_done = false;
};
