#include "MdbTools.h"

#include <QProcess>

#include <utility>

namespace {

// mdb-export's CSV: text quoted, quotes doubled, a line per row.
QList<QStringList> csvRows(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"')
            field += text.at(++i);
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            row << std::exchange(field, QString());
        else if (!quoted && c == u'\n')
            rows << (std::exchange(row, QStringList()) << std::exchange(field, QString()));
        else
            field += c;
    }
    return rows;
}

} // namespace

QString MdbTools::make(const QString& path, const QStringList& options)
{
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    maker.start(QStringLiteral(MAKE_ACCESS_FILE), options + QStringList{path});
    maker.waitForFinished(300000);
    const QString version = run(QStringLiteral("mdb-ver"), {path}).trimmed();
    return version.isEmpty() ? QStringLiteral("mdb-ver cannot read it") : version;
}

QString MdbTools::run(const QString& tool, const QStringList& arguments, const QString& charset)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!charset.isEmpty())
        environment.insert(QStringLiteral("MDB_JET3_CHARSET"), charset);
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    process.waitForFinished(300000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<QStringList> MdbTools::exported(const QString& file, const QString& table,
                                      const QString& charset)
{
    return csvRows(run(QStringLiteral("mdb-export"),
                       {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d"), QStringLiteral("-b"),
                        QStringLiteral("strip"), file, table},
                       charset));
}
