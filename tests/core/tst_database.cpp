// The SQLite wrapper: binding each kind of value, columns by name, the transaction guard and the
// errors a caller sees (naming the statement, a closed connection).
#include "core/Database.h"
#include "core/Query.h"

#include <QTemporaryDir>
#include <QTest>

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void bindingRoundTrip_data();
    void bindingRoundTrip();
    void columnsByName();
    void transactionGuard();
    void errorsNameTheStatement_data();
    void errorsNameTheStatement();
    void closedConnection();

private:
    QTemporaryDir m_dir;
    Database m_db;
};

void TestDatabase::init() {
    m_db.open(m_dir.filePath(QStringLiteral("t.db")));
    m_db.exec(QStringLiteral("drop table if exists t; create table t(k integer primary key, v)"));
}

void TestDatabase::bindingRoundTrip_data() {
    QTest::addColumn<QVariant>("bound");
    QTest::addColumn<QString>("storedType");
    QTest::addColumn<QVariant>("readBack");
    QTest::newRow("null variant") << QVariant() << "null" << QVariant();
    QTest::newRow("typed null string") << QVariant(QMetaType::fromType<QString>()) << "null" << QVariant();
    QTest::newRow("int") << QVariant(42) << "integer" << QVariant(qint64(42));
    QTest::newRow("bool") << QVariant(true) << "integer" << QVariant(qint64(1));
    QTest::newRow("64-bit") << QVariant(qint64(1) << 40) << "integer" << QVariant(qint64(1) << 40);
    QTest::newRow("unsigned beyond signed range")
        << QVariant(quint64(18446744073709551615ULL)) << "text" << QVariant(QStringLiteral("18446744073709551615"));
    QTest::newRow("double") << QVariant(-110.9265) << "real" << QVariant(-110.9265);
    QTest::newRow("text with quotes and NUL-free unicode")
        << QVariant(QStringLiteral("O'Neil \"Ä\"")) << "text" << QVariant(QStringLiteral("O'Neil \"Ä\""));
    QTest::newRow("empty text is not null") << QVariant(QStringLiteral("")) << "text" << QVariant(QStringLiteral(""));
}

void TestDatabase::bindingRoundTrip() {
    QFETCH(QVariant, bound);
    QFETCH(QString, storedType);
    QFETCH(QVariant, readBack);
    Statement ins(m_db, QStringLiteral("insert into t(k, v) values(1, ?1)"));
    ins.bind(1, bound);
    ins.execute();
    QCOMPARE(m_db.scalar(QStringLiteral("select typeof(v) from t where k=1")).toString(), storedType);
    const QVariant v = m_db.scalar(QStringLiteral("select v from t where k=?1"), {1});
    QCOMPARE(v.isNull(), readBack.isNull());
    if (!readBack.isNull()) {
        QCOMPARE(v.typeId(), readBack.typeId());
        QCOMPARE(v, readBack);
    }
}

void TestDatabase::columnsByName() {
    m_db.exec(QStringLiteral("insert into t values(1, 'a'); insert into t values(2, 'b')"));
    Statement st(m_db, QStringLiteral("select k, v as Value, v from t order by k"));
    QVERIFY(st.step());
    QCOMPARE(st.columnIndex(QStringLiteral("VALUE")), 1);   // names ignore case
    QCOMPARE(st.columnIndex(QStringLiteral("v")), 2);
    QCOMPARE(st.columnIndex(QStringLiteral("missing")), -1);
    QCOMPARE(st.text(QStringLiteral("value")), QStringLiteral("a"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, st.value(QStringLiteral("missing")));

    Query q;
    q.open(m_db, QStringLiteral("select t.k, t.v, u.v from t, t as u where t.k = u.k order by t.k"));
    QCOMPARE(q.recordCount(), 2);
    QCOMPARE(q.fieldIndex(QStringLiteral("v")), 1);   // the first of equal names
    QCOMPARE(q.text(1, QStringLiteral("V")), QStringLiteral("b"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, q.value(0, QStringLiteral("nope")));
    QCOMPARE(q.value(5, 0), QVariant());   // outside the rows: nothing, no crash
}

void TestDatabase::transactionGuard() {
    {
        TransactionGuard guard(m_db);
        m_db.exec(QStringLiteral("insert into t values(1, 'rolled back')"));
        QVERIFY(m_db.inTransaction());
    }
    QVERIFY(!m_db.inTransaction());
    QCOMPARE(m_db.scalar(QStringLiteral("select count(*) from t")).toInt(), 0);

    try {
        TransactionGuard guard(m_db);
        m_db.exec(QStringLiteral("insert into t values(1, 'x')"));
        m_db.exec(QStringLiteral("insert into t values(1, 'duplicate key')"));
        guard.commit();
        QFAIL("the duplicate key was accepted");
    } catch (const DatabaseError&) {
    }
    QCOMPARE(m_db.scalar(QStringLiteral("select count(*) from t")).toInt(), 0);

    {
        TransactionGuard guard(m_db);
        m_db.exec(QStringLiteral("insert into t values(2, 'kept')"));
        guard.commit();
    }
    QCOMPARE(m_db.scalar(QStringLiteral("select v from t")).toString(), QStringLiteral("kept"));
}

void TestDatabase::errorsNameTheStatement_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("prepared");
    QTest::newRow("prepare: unknown table") << "select * from nowhere" << true;
    QTest::newRow("step: constraint") << "insert into t values(1, 'a'), (1, 'b')" << true;
    QTest::newRow("exec: syntax") << "create tabel x(a)" << false;
}

void TestDatabase::errorsNameTheStatement() {
    QFETCH(QString, sql);
    QFETCH(bool, prepared);
    try {
        if (prepared) {
            Statement st(m_db, sql);
            st.execute();
        } else {
            m_db.exec(sql);
        }
        QFAIL("no error");
    } catch (const DatabaseError& e) {
        QVERIFY2(e.message().contains(sql), qPrintable(e.message()));
    }
}

void TestDatabase::closedConnection() {
    m_db.close();
    QVERIFY(!m_db.isOpen());
    QVERIFY_THROWS_EXCEPTION(DatabaseError, m_db.exec(QStringLiteral("select 1")));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, Statement(m_db, QStringLiteral("select 1")));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, m_db.scalar(QStringLiteral("select 1")));
    QVERIFY(!m_db.inTransaction());
    m_db.rollback();   // nothing to roll back: no error
    Database unnamed;
    QVERIFY_THROWS_EXCEPTION(DatabaseError, unnamed.open());
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
