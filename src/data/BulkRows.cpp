#include "data/BulkRows.h"

#include "data/DrillDatabase.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace {

constexpr int BusyMilliseconds = 5000;

class ServerRows : public BulkRows
{
public:
    explicit ServerRows(QSqlDatabase db) : m_db(std::move(db)), m_query(m_db) {}

    bool prepare(const QString& statement) override
    {
        m_query = QSqlQuery(m_db);
        return m_query.prepare(statement) || fail(m_query.lastError());
    }
    void bind(int position, const QVariant& value) override { m_query.bindValue(position, value); }
    bool step() override
    {
        return DrillDatabase::exec(m_query, "Writing rows") || fail(m_query.lastError());
    }
    // A server prepares no ALTER TABLE: such a statement runs as it is.
    bool run(const QString& statement) override
    {
        QSqlQuery query(m_db);
        return query.exec(statement) || fail(query.lastError());
    }
    bool inTransaction(const std::function<bool()>& work) override
    {
        QSqlError error;
        return DrillDatabase::inTransaction(m_db, work, &error) ||
               (m_failure.isEmpty() && fail(error));
    }
    QString failure() const override { return m_failure; }

private:
    bool fail(const QSqlError& error)
    {
        m_failure = error.text();
        return false;
    }

    QSqlDatabase m_db;
    QSqlQuery m_query;
    QString m_failure;
};

class FileRows : public BulkRows
{
public:
    explicit FileRows(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(m_db, BusyMilliseconds);
        else
            fail();
    }
    ~FileRows() override
    {
        sqlite3_finalize(m_statement);
        sqlite3_close(m_db);
    }
    FileRows(const FileRows&) = delete;
    FileRows& operator=(const FileRows&) = delete;

    bool prepare(const QString& statement) override
    {
        sqlite3_finalize(std::exchange(m_statement, nullptr));
        const QByteArray text = statement.toUtf8();
        return sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement,
                                  nullptr) == SQLITE_OK ||
               fail();
    }
    void bind(int position, const QVariant& value) override
    {
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(m_statement, position + 1);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_bind_int64(m_statement, position + 1, value.toLongLong());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(m_statement, position + 1, text.constData(), int(text.size()),
                              SQLITE_TRANSIENT);
        }
        }
    }
    bool step() override
    {
        const int result = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return result == SQLITE_DONE || result == SQLITE_ROW || fail();
    }
    bool run(const QString& statement) override
    {
        return sqlite3_exec(m_db, statement.toUtf8().constData(), nullptr, nullptr, nullptr) ==
                   SQLITE_OK ||
               fail();
    }
    bool inTransaction(const std::function<bool()>& work) override
    {
        if (!run(QStringLiteral("BEGIN IMMEDIATE")))
            return false;
        if (work() && run(QStringLiteral("COMMIT")))
            return true;
        const QString failure = m_failure;
        sqlite3_finalize(std::exchange(m_statement, nullptr));
        run(QStringLiteral("ROLLBACK"));
        m_failure = failure;
        return false;
    }
    QString failure() const override { return m_failure; }

private:
    bool fail()
    {
        m_failure = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        return false;
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    QString m_failure;
};

} // namespace

std::unique_ptr<BulkRows> BulkRows::onServer(QSqlDatabase db)
{
    return std::make_unique<ServerRows>(std::move(db));
}

std::unique_ptr<BulkRows> BulkRows::onFile(const QString& path)
{
    return std::make_unique<FileRows>(path);
}
