#include "data/DatabaseLocation.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

using Parts = QList<std::pair<QString, QString>>;

const QString PasswordRefused =
    QStringLiteral("The database location holds a password. The program never keeps one: put it "
                   "in ~/.pgpass or in PGPASSWORD instead.");

QString decoded(const QString& text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// "host:port", "[v6]:port" or "host"; the port stays empty when none is given.
std::pair<QString, QString> splitHostPort(const QString& hostSpec)
{
    const bool bracketed = hostSpec.startsWith(QLatin1Char('['));
    const qsizetype close = bracketed ? hostSpec.indexOf(QLatin1Char(']')) : -1;
    const qsizetype colon = hostSpec.indexOf(QLatin1Char(':'), close < 0 ? 0 : close);
    QString host = colon < 0 ? hostSpec : hostSpec.left(colon);
    if (bracketed && close > 0)
        host = host.mid(1, close - 1);
    return {decoded(host), colon < 0 ? QString() : hostSpec.mid(colon + 1)};
}

// The URL form, as key/value parts in the order libpq applies them (parameters last).
std::optional<Parts> urlParts(QString rest, QString* problem)
{
    Parts parts;
    const qsizetype question = rest.indexOf(QLatin1Char('?'));
    const QString query = question < 0 ? QString() : rest.mid(question + 1);
    rest = rest.left(question < 0 ? rest.size() : question);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const QString authority = rest.left(slash < 0 ? rest.size() : slash);
    if (slash >= 0)
        parts.append({QStringLiteral("dbname"), decoded(rest.mid(slash + 1))});

    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        if (userInfo.contains(QLatin1Char(':'))) {
            *problem = PasswordRefused;
            return std::nullopt;
        }
        parts.append({QStringLiteral("user"), decoded(userInfo)});
    }
    const auto [host, port] = splitHostPort(authority.mid(at + 1));
    parts.append({QStringLiteral("host"), host});
    parts.append({QStringLiteral("port"), port});

    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        parts.append(
            {decoded(pair.left(equals)), equals < 0 ? QString() : decoded(pair.mid(equals + 1))});
    }
    return parts;
}

// The key=value form: values may be single-quoted, with \' and \\ inside.
std::optional<Parts> keywordParts(const QString& text, QString* problem)
{
    static const QRegularExpression pair(
        QStringLiteral(R"(\s*(\w+)\s*=\s*('((?:[^'\\]|\\.)*)'|(\S*)))"));
    Parts parts;
    qsizetype position = 0;
    while (!text.mid(position).trimmed().isEmpty()) {
        const auto match = pair.match(text, position, QRegularExpression::NormalMatch,
                                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            // What could not be read may be a secret: it is never repeated.
            *problem = QStringLiteral("The database location cannot be read: write it as "
                                      "postgresql://user@host:port/database.");
            return std::nullopt;
        }
        QString value = match.captured(3).isNull() ? match.captured(4) : match.captured(3);
        value.replace(QRegularExpression(QStringLiteral(R"(\\(.))")), QStringLiteral("\\1"));
        parts.append({match.captured(1), value});
        position = match.capturedEnd();
    }
    return parts;
}

// A password can ride inside another setting: libpq reads a dbname that is itself a location as
// that location, and "alice:secret" is a user name only in form.
bool hidesASecret(const QString& key, const QString& value)
{
    if (key == QLatin1String("dbname"))
        return value.contains(u'=') || value.contains(QLatin1String("://"));
    if (key == QLatin1String("user"))
        return value.contains(u':');
    return value.contains(u'@');
}

// Messages name the setting that is wrong, never the location's text or a value: any part of
// it may be a secret.
std::optional<DatabaseLocation> serverLocation(const Parts& parts, QString* problem)
{
    // libpq's password, sslpassword and any spelling of them: refused before anything else.
    const auto isPassword = [](const auto& part) {
        return part.first.contains(QLatin1String("password"), Qt::CaseInsensitive);
    };
    if (std::any_of(parts.begin(), parts.end(), isPassword)) {
        *problem = PasswordRefused;
        return std::nullopt;
    }
    DatabaseLocation location;
    location.engine = DatabaseLocation::Engine::Postgres;
    for (const auto& [key, value] : parts) {
        QString* field = key == QLatin1String("host")     ? &location.host
                         : key == QLatin1String("user")   ? &location.user
                         : key == QLatin1String("dbname") ? &location.database
                                                          : nullptr;
        if (field) {
            if (hidesASecret(key, value)) {
                *problem = QStringLiteral("The database location's setting \"%1\" holds more than "
                                          "a name, as a password written into it would. Name the "
                                          "%1 alone, and put a password in ~/.pgpass or in "
                                          "PGPASSWORD.")
                               .arg(key);
                return std::nullopt;
            }
            if (!value.isEmpty())
                *field = value;
        } else if (key != QLatin1String("port")) {
            *problem = QStringLiteral("The database location has a setting the program does "
                                      "not know: \"%1\".")
                           .arg(key);
            return std::nullopt;
        } else if (!value.isEmpty()) {
            bool ok = false;
            location.port = value.toInt(&ok);
            if (!ok || location.port < 1 || location.port > 65535) {
                *problem = QStringLiteral("The database location has no valid setting \"port\": "
                                          "a number from 1 to 65535.");
                return std::nullopt;
            }
        }
    }
    return location;
}

} // namespace

DatabaseLocation DatabaseLocation::file(const QString& path)
{
    DatabaseLocation location;
    location.filePath = path;
    return location;
}

std::optional<DatabaseLocation> DatabaseLocation::parse(const QString& text, QString* problem)
{
    QString unused;
    problem = problem ? problem : &unused;
    const QString trimmed = text.trimmed();
    for (const QString& scheme : {QStringLiteral("postgresql://"), QStringLiteral("postgres://")}) {
        if (trimmed.startsWith(scheme, Qt::CaseInsensitive)) {
            const auto parts = urlParts(trimmed.mid(scheme.size()), problem);
            return parts ? serverLocation(*parts, problem) : std::nullopt;
        }
    }
    static const QRegularExpression keyword(QStringLiteral(R"(^\w+\s*=)"));
    if (keyword.match(trimmed).hasMatch()) {
        const auto parts = keywordParts(trimmed, problem);
        return parts ? serverLocation(*parts, problem) : std::nullopt;
    }
    return file(text);
}

QString DatabaseLocation::display() const
{
    if (isFile())
        return filePath;
    const bool socket = host.startsWith(QLatin1Char('/'));
    QString url = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        url += QString::fromUtf8(QUrl::toPercentEncoding(user)) + QLatin1Char('@');
    if (!socket)
        url += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (port != 0)
        url += QLatin1Char(':') + QString::number(port);
    url += QLatin1Char('/') + QString::fromUtf8(QUrl::toPercentEncoding(database));
    if (socket)
        url += QStringLiteral("?host=") + QString::fromUtf8(QUrl::toPercentEncoding(host, "/"));
    return url;
}
