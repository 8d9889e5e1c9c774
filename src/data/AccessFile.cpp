#include "data/AccessFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>
#include <iconv.h>
#include <mdbtools.h>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

namespace {

constexpr int CodedStart = 0x18;
constexpr int Jet3CodedLength = 126;
constexpr int Jet4CodedLength = 128;
constexpr int VersionOffset = 0x14;
constexpr int CodePageOffset = 0x3c;
constexpr int KeyOffset = 0x3e;
constexpr int PasswordOffset = 0x42;
constexpr int Jet3PasswordLength = 20;
constexpr int Jet4PasswordLength = 40;
constexpr int CreatedOffset = 0x72;
constexpr int Jet3PageSize = 2048;
constexpr int Jet4PageSize = 4096;
constexpr int WesternCodePage = 1252;
constexpr quint32 LastVersion = MDB_VER_ACCDB_2019; // a higher one is no Access file

QString quotedPath(const QString& path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

quint32 littleEndian(const QByteArray& bytes, int offset, int length)
{
    quint32 value = 0;
    for (int i = length - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

// The first page is scrambled with RC4 under a key every Jet file shares.
void unscramble(QByteArray& page, int length)
{
    const std::array<quint8, 4> key = {0xc7, 0xda, 0x39, 0x6b};
    std::array<quint8, 256> state{};
    std::iota(state.begin(), state.end(), 0);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % key.size()]) & 0xff;
        std::swap(state[i], state[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + state[i]) & 0xff;
        std::swap(state[i], state[j]);
        page[CodedStart + n] =
            char(quint8(page.at(CodedStart + n)) ^ state[(state[i] + state[j]) & 0xff]);
    }
}

// Jet 4 masks its password once more with the file's creation date; a file without a password
// holds the bare mask there.
bool hasPassword(const QByteArray& page, AccessFile::Kind kind)
{
    const bool jet4 = kind == AccessFile::Kind::Jet4;
    std::array<quint8, 4> mask{};
    if (jet4) {
        double created = 0;
        std::memcpy(&created, page.constData() + CreatedOffset, sizeof created);
        const auto days = quint32(qint32(created));
        for (int i = 0; i < 4; ++i)
            mask[i] = quint8(days >> (8 * i));
    }
    bool raw = false;
    bool unmasked = false;
    const int length = jet4 ? Jet4PasswordLength : Jet3PasswordLength;
    for (int i = 0; i < length; ++i) {
        const auto byte = quint8(page.at(PasswordOffset + i));
        raw = raw || byte != 0;
        unmasked = unmasked || (byte ^ mask[i % 4]) != 0;
    }
    return raw && unmasked;
}

AccessFile::ColumnKind kindOf(int type)
{
    switch (type) {
    case MDB_DATETIME:
        return AccessFile::ColumnKind::Date;
    case MDB_BOOL:
        return AccessFile::ColumnKind::Flag;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return AccessFile::ColumnKind::Number;
    default:
        return AccessFile::ColumnKind::Text;
    }
}

bool iconvKnows(const QByteArray& codec)
{
    const iconv_t probe = iconv_open("UTF-8", codec.constData());
    if (probe == iconv_t(-1))
        return false;
    iconv_close(probe);
    return true;
}

MdbHandle* handleOf(void* mdb)
{
    return static_cast<MdbHandle*>(mdb);
}

} // namespace

int AccessFile::Table::column(const QString& name) const
{
    for (int c = 0; c < columns.size(); ++c) {
        if (columns.at(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

AccessFile::Header AccessFile::readHeader(const QString& path)
{
    Header header;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return header;
    QByteArray page = file.read(CodedStart + Jet4CodedLength);
    if (page.size() < CodedStart + Jet4CodedLength ||
        !page.startsWith(QByteArray::fromRawData("\x00\x01\x00\x00", 4)))
        return header;
    const QByteArray engine = page.mid(4, 15);
    const quint32 version = littleEndian(page, VersionOffset, 4);
    const bool jet = engine == "Standard Jet DB";
    if (engine == "Standard ACE DB" || (jet && version > MDB_VER_JET4 && version <= LastVersion))
        header.kind = Kind::Newer;
    else if (jet && version == MDB_VER_JET3)
        header.kind = Kind::Jet3;
    else if (jet && version == MDB_VER_JET4)
        header.kind = Kind::Jet4;
    if (header.kind != Kind::Jet3 && header.kind != Kind::Jet4)
        return header;
    unscramble(page, header.kind == Kind::Jet3 ? Jet3CodedLength : Jet4CodedLength);
    header.codePage = int(littleEndian(page, CodePageOffset, 2));
    header.encrypted = littleEndian(page, KeyOffset, 4) != 0;
    header.password = hasPassword(page, header.kind);
    return header;
}

QString AccessFile::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Jet3:
        return QStringLiteral("Access 97 (Jet 3)");
    case Kind::Jet4:
        return QStringLiteral("Access 2000-2003 (Jet 4)");
    case Kind::Newer:
        return QStringLiteral("Access 2007 or later (.accdb)");
    case Kind::None:
        break;
    }
    return QString();
}

AccessFile::AccessFile(QString path) : m_path(std::move(path)) {}

AccessFile::~AccessFile()
{
    if (m_mdb)
        mdb_close(handleOf(m_mdb));
}

QString AccessFile::chooseCodec(const QString& named)
{
    QString codec = named.trimmed();
    if (codec.isEmpty())
        codec = QString::number(m_header.codePage > 0 ? m_header.codePage : WesternCodePage);
    bool isNumber = false;
    codec.toInt(&isNumber);
    m_codec = isNumber ? QStringLiteral("CP") + codec : codec;
    if (iconvKnows(m_codec.toLatin1()))
        return QString();
    return QStringLiteral("The code page \"%1\" is not one this system knows (try 1252 for "
                          "Western or 1253 for Greek names).")
        .arg(codec);
}

QString AccessFile::open(const QString& codePage)
{
    const QString file = quotedPath(m_path);
    m_header = readHeader(m_path);
    switch (m_header.kind) {
    case Kind::None:
        return QStringLiteral("The file %1 is not an Access database.").arg(file);
    case Kind::Newer:
        return QStringLiteral("The file %1 is an Access 2007 or later database (.accdb), which "
                              "is not supported. Save it in Access as an Access 2000-2003 "
                              "database (.mdb) and try again. Nothing was changed.")
            .arg(file);
    default:
        break;
    }
    if (m_header.password)
        return QStringLiteral("The Access file %1 is protected by a password, so it is not read. "
                              "Remove the password in Access (Tools, Security, Unset Database "
                              "Password) and try again. Nothing was changed.")
            .arg(file);
    const int pageSize = m_header.kind == Kind::Jet3 ? Jet3PageSize : Jet4PageSize;
    const qint64 size = QFileInfo(m_path).size();
    if (size % pageSize != 0 || size < 3 * pageSize)
        return QStringLiteral("The Access file %1 is cut short (%2 bytes): it was not copied "
                              "completely. Nothing was changed.")
            .arg(file)
            .arg(size);
    if (m_header.kind == Kind::Jet3) {
        const QString unknown = chooseCodec(codePage);
        if (!unknown.isEmpty())
            return unknown;
    }
    // libmdb takes Jet 3's code page only from its environment, when it opens the file.
    const QByteArray before = qgetenv("MDB_JET3_CHARSET");
    const bool hadBefore = qEnvironmentVariableIsSet("MDB_JET3_CHARSET");
    qputenv("MDB_JET3_CHARSET", m_codec.toLatin1());
    m_mdb = mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS);
    if (hadBefore)
        qputenv("MDB_JET3_CHARSET", before);
    else
        qunsetenv("MDB_JET3_CHARSET");
    MdbHandle* mdb = handleOf(m_mdb);
    GPtrArray* catalog = mdb ? mdb_read_catalog(mdb, MDB_TABLE) : nullptr;
    if (!catalog)
        return QStringLiteral("The Access file %1 cannot be read: it is damaged%2. Nothing was "
                              "changed.")
            .arg(file, m_header.encrypted ? QStringLiteral(" or encrypted") : QString());
    const QString unreadable = checkCatalogue();
    if (!unreadable.isEmpty())
        return unreadable;
    mdb_set_date_fmt(mdb, "%Y-%m-%d");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb);
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (mdb_is_user_table(entry))
            m_tables << QString::fromUtf8(entry->object_name);
    }
    return QString();
}

namespace {

using Definition = std::unique_ptr<MdbTableDef, decltype(&mdb_free_tabledef)>;

// The table's definition with its columns; empty when the file does not give it.
Definition withColumns(MdbTableDef* table)
{
    Definition definition(table, &mdb_free_tabledef);
    if (definition && !mdb_read_columns(definition.get()))
        definition.reset();
    return definition;
}

} // namespace

QString AccessFile::unreadable(const QString& table) const
{
    return QStringLiteral("The table %1 of the Access file %2 cannot be read: the file is "
                          "damaged. Nothing was changed.")
        .arg(table, quotedPath(m_path));
}

void* AccessFile::definition(const QString& table) const
{
    QByteArray name = table.toUtf8();
    return withColumns(mdb_read_table_by_name(handleOf(m_mdb), name.data(), MDB_TABLE)).release();
}

std::optional<AccessFile::Table> AccessFile::header(const QString& name, QString* failure) const
{
    const Definition table(static_cast<MdbTableDef*>(definition(name)), &mdb_free_tabledef);
    if (!table) {
        *failure = unreadable(name);
        return std::nullopt;
    }
    Table result;
    result.name = name;
    for (guint c = 0; c < table->num_cols; ++c) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        result.columns << QString::fromUtf8(column->name);
        result.kinds << kindOf(column->col_type);
    }
    return result;
}

bool AccessFile::scan(const QString& name, const std::function<void(const RowValues&)>& row,
                      QString* failure) const
{
    const Definition table(static_cast<MdbTableDef*>(definition(name)), &mdb_free_tabledef);
    if (!table) {
        *failure = unreadable(name);
        return false;
    }
    return walk(table.get(), name, row, failure);
}

std::optional<AccessFile::Table> AccessFile::read(const QString& name, QString* failure) const
{
    std::optional<Table> table = header(name, failure);
    const auto keep = [&](const RowValues& values) {
        QStringList row;
        row.reserve(qsizetype(values.size()));
        for (const char* value : values)
            row << QString::fromUtf8(value);
        table->rows << row;
    };
    if (!table || !scan(name, keep, failure))
        return std::nullopt;
    return table;
}

// The catalogue's own rows, at the page every Jet file keeps it on: a file cut short there would
// otherwise seem to lack its tables.
QString AccessFile::checkCatalogue() const
{
    MdbCatalogEntry entry{};
    entry.mdb = handleOf(m_mdb);
    entry.object_type = MDB_TABLE;
    entry.table_pg = 2;
    std::strncpy(entry.object_name, "MSysObjects", MDB_MAX_OBJ_NAME);
    const QString name = QStringLiteral("MSysObjects");
    const Definition table = withColumns(mdb_read_table(&entry));
    QString failure = table ? QString() : unreadable(name);
    if (table)
        walk(
            table.get(), name, [](const RowValues&) {}, &failure);
    return failure;
}

bool AccessFile::walk(void* definition, const QString& name,
                      const std::function<void(const RowValues&)>& row, QString* failure) const
{
    auto* table = static_cast<MdbTableDef*>(definition);
    const auto columns = int(table->num_cols);
    const size_t size = handleOf(m_mdb)->bind_size + 1;
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(size));
    std::vector<int> lengths(columns);
    RowValues values(columns);
    for (int c = 0; c < columns; ++c) {
        mdb_bind_column(table, c + 1, buffers[c].data(), &lengths[c]);
        values[c] = buffers[c].data();
    }
    mdb_rewind_table(table);
    unsigned int rows = 0;
    for (; mdb_fetch_row(table); ++rows)
        row(values);
    // Pages that cannot be read end the walk early, without an error of their own.
    if (rows == table->num_rows)
        return true;
    *failure = QStringLiteral("The table %1 of the Access file %2 cannot be read completely "
                              "(%3 of %4 rows): the file is damaged or cut short. Nothing was "
                              "changed.")
                   .arg(name, quotedPath(m_path))
                   .arg(rows)
                   .arg(table->num_rows);
    return false;
}
