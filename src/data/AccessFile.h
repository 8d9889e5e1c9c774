#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// An Access (Jet) database file, read through libmdb and never written.
class AccessFile
{
public:
    enum class Kind
    {
        None,  // not an Access file
        Jet3,  // Access 97
        Jet4,  // Access 2000 to 2003
        Newer, // Access 2007 or later (.accdb)
    };

    // What the first page says, read without libmdb.
    struct Header
    {
        Kind kind = Kind::None;
        int codePage = 0; // the Windows code page of Jet 3 text
        bool password = false;
        bool encrypted = false;
    };

    // How a column's values are to be taken.
    enum class ColumnKind
    {
        Text,
        Date,
        Number,
        Flag
    };

    // One table as it stands: every value as text (dates as yyyy-MM-dd, flags as 0 or 1), an
    // empty text for no value.
    struct Table
    {
        QString name;
        QStringList columns;
        QList<ColumnKind> kinds;
        QList<QStringList> rows;

        int column(const QString& name) const;
    };

    static Header readHeader(const QString& path);
    // "Access 97 (Jet 3)" and the like.
    static QString kindName(Kind kind);

    explicit AccessFile(QString path);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    // Empty on success; otherwise why the file cannot be read. Jet 3 text is read in the code
    // page named ("1253", "CP1253", "ISO-8859-7"), else in the one the file's header names.
    QString open(const QString& codePage = QString());
    const Header& header() const { return m_header; }
    // The code page Jet 3 text is read in; empty for Jet 4, which keeps Unicode.
    const QString& textCodec() const { return m_codec; }

    // The user's tables, without Access's own.
    const QStringList& tables() const { return m_tables; }
    // The whole table; nothing, with *failure saying why, when it cannot be read.
    std::optional<Table> read(const QString& table, QString* failure) const;
    // The table's columns, without its rows.
    std::optional<Table> header(const QString& table, QString* failure) const;
    // A row's values as libmdb gives them (UTF-8, as read() has them), valid during the call.
    using RowValues = std::vector<const char*>;
    // Hands every row of the table to `row`, without keeping them; false, with *failure saying
    // why, when the table cannot be read completely.
    bool scan(const QString& table, const std::function<void(const RowValues&)>& row,
              QString* failure) const;

private:
    QString chooseCodec(const QString& named);
    QString checkCatalogue() const;
    QString unreadable(const QString& table) const;
    void* definition(const QString& table) const;
    bool walk(void* definition, const QString& name,
              const std::function<void(const RowValues&)>& row, QString* failure) const;

    QString m_path;
    Header m_header;
    QString m_codec;
    QStringList m_tables;
    void* m_mdb = nullptr; // libmdb's handle, kept out of this header
};
