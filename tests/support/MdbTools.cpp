#include "MdbTools.h"

#include "CsvRecords.h"

#include <QProcess>

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
    return csvRecords(run(QStringLiteral("mdb-export"),
                          {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d"), QStringLiteral("-b"),
                           QStringLiteral("strip"), file, table},
                          charset));
}
