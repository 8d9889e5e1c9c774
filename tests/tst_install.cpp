// The program as an office installs it: where its data lives, the install tree, the desktop's
// validators, and the Debian package unpacked and started in a fresh home.
#include "ProgramRun.h"
#include "common/AppFolder.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString BuildDir = QStringLiteral(ORX_BUILD_DIR);
const QString AppId = QStringLiteral(ORX_APP_ID);
const QString Name = QString::fromLatin1(AppFolder::ProgramName);
const int IconSides[] = {16, 24, 32, 48, 64, 128, 256};

void makeFile(const QString& path, const QByteArray& content = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Runs a tool to the end; true when it succeeded. What it said goes to the log otherwise.
bool succeeds(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    const ProgramRun run = ProgramRun::of(program, arguments);
    if (run.exitCode != 0)
        qWarning().noquote() << program << arguments << "said:" << run.out << run.err;
    if (output)
        *output = run.out;
    return run.exitCode == 0;
}

bool install(const QTemporaryDir& prefix)
{
    return succeeds(QStringLiteral("cmake"), {QStringLiteral("--install"), BuildDir,
                                              QStringLiteral("--prefix"), prefix.path()});
}

// The files an installed program needs, relative to its prefix; a package adds Debian's own.
QStringList expectedFiles(bool package = false)
{
    QStringList files = {
        QStringLiteral("bin/") + Name,
        QStringLiteral("share/%1/Drills.rpt").arg(Name),
        QStringLiteral("share/%1/DrillEval.rpt").arg(Name),
        QStringLiteral("share/applications/%1.desktop").arg(AppId),
        QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId),
        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
        QStringLiteral("share/man/man1/%1.1.gz").arg(Name),
        QStringLiteral("share/doc/%1/copyright").arg(Name),
    };
    if (package)
        files << QStringLiteral("share/doc/%1/changelog.Debian.gz").arg(Name)
              << QStringLiteral("share/lintian/overrides/%1").arg(Name);
    for (int side : IconSides)
        files.append(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(AppId));
    return files;
}

QStringList filesUnder(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// The installed program, started by a user who has never run it, exports this year's report.
struct FreshHome
{
    QTemporaryDir home;

    QString dataFolder() const { return home.filePath(QStringLiteral(".local/share/") + Name); }

    ProgramRun exportPdf(const QString& program) const
    {
        QProcessEnvironment environment = ProgramRun::headlessEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        return ProgramRun::of(
            program,
            {QStringLiteral("--export-pdf"), QString::number(QDate::currentDate().year()), pdf()},
            environment);
    }
    QString pdf() const { return home.filePath(QStringLiteral("status.pdf")); }
};

void checkFirstStartInAFreshHome(const QString& program)
{
    FreshHome user;
    const ProgramRun run = user.exportPdf(program);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(QFileInfo(QDir(user.dataFolder()).filePath(QStringLiteral("ORXmanager97.mdb"))).size() >
            0);
    QVERIFY(QFileInfo(user.pdf()).size() > 0);
    QVERIFY2(
        !QFileInfo::exists(QFileInfo(program).dir().filePath(QStringLiteral("ORXmanager97.mdb"))),
        "an installed program keeps no data beside itself");
}

QString contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The Debian package that holds the font fontconfig picks for a pattern.
QString packageOfFont(const QString& pattern)
{
    QString file;
    QString owner;
    if (!succeeds(QStringLiteral("fc-match"), {QStringLiteral("--format=%{file}"), pattern},
                  &file) ||
        !succeeds(QStringLiteral("dpkg"), {QStringLiteral("-S"), file}, &owner))
        return {};
    return owner.section(u':', 0, 0);
}

// The packages a field names without an alternative.
QStringList requiredPackages(const QString& field)
{
    QStringList packages;
    for (const QString& entry : field.split(u',')) {
        if (!entry.contains(u'|'))
            packages.append(entry.trimmed().section(u' ', 0, 0));
    }
    return packages;
}

QString controlField(const QString& deb, const char* field)
{
    QString value;
    succeeds(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QLatin1String(field)}, &value);
    return value.trimmed();
}

// The package cpack makes of the build, in a folder of its own.
QString makePackage(const QTemporaryDir& work)
{
    if (!succeeds(QStringLiteral("cpack"),
                  {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                   QDir(BuildDir).filePath(QStringLiteral("CPackConfig.cmake")),
                   QStringLiteral("-B"), work.path()}))
        return {};
    const QStringList debs = QDir(work.path()).entryList({QStringLiteral("*.deb")});
    return debs.size() == 1 ? work.filePath(debs.first()) : QString();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void theLayoutDecidesWhereTheDataLives()
    {
        QTemporaryDir root;
        const QString share = root.filePath(QStringLiteral("usr/share/") + Name);
        QDir().mkpath(share);
        QDir().mkpath(root.filePath(QStringLiteral("usr/bin")));
        QDir().mkpath(root.filePath(QStringLiteral("usr/lib")));
        QDir().mkpath(root.filePath(QStringLiteral("stick/bin")));
        QCOMPARE(AppFolder::installedFilesOf(root.filePath(QStringLiteral("usr/bin"))), share);
        QCOMPARE(AppFolder::installedFilesOf(root.filePath(QStringLiteral("usr/lib"))), QString());
        QCOMPARE(AppFolder::installedFilesOf(root.filePath(QStringLiteral("stick/bin"))),
                 QString());
        // A build folder is a bin folder too, but without share/ beside it; root may write
        // anywhere, so writability could not tell the two apart.
        QCOMPARE(AppFolder::installedFilesOf(QCoreApplication::applicationDirPath()), QString());
        QCOMPARE(AppFolder::dataFolder(), QCoreApplication::applicationDirPath());
    }

    void aUsersCopyOfAProgramFileWinsOverTheInstalledOne()
    {
        QTemporaryDir data;
        QTemporaryDir installed;
        const QString rpt = QStringLiteral("Drills.rpt");
        const QString usersCopy = data.filePath(rpt);
        QCOMPARE(AppFolder::programFile(data.path(), installed.path(), rpt), usersCopy);
        makeFile(installed.filePath(rpt));
        QCOMPARE(AppFolder::programFile(data.path(), installed.path(), rpt),
                 installed.filePath(rpt));
        makeFile(usersCopy);
        QCOMPARE(AppFolder::programFile(data.path(), installed.path(), rpt), usersCopy);
        QCOMPARE(AppFolder::programFile(data.path(), QString(), rpt), usersCopy);
    }

    void theInstallTreeValidatesAndStarts()
    {
        QTemporaryDir prefix;
        QVERIFY(install(prefix));
        QCOMPARE(filesUnder(prefix.path()), [] {
            QStringList files = expectedFiles();
            files.sort();
            return files;
        }());
        for (int side : IconSides) {
            const QImageReader icon(prefix.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(AppId)));
            QCOMPARE(icon.size(), QSize(side, side));
        }
        QVERIFY(succeeds(QStringLiteral("desktop-file-validate"),
                         {prefix.filePath(expectedFiles().at(3))}));
        const QString entry = contentOf(prefix.filePath(expectedFiles().at(3)));
        QVERIFY(entry.contains(QStringLiteral("\nTryExec=") + Name + u'\n'));
        // Each start opens a window of its own, so the entry promises no single one.
        QVERIFY(!entry.contains(QStringLiteral("SingleWindow")));
        const QString metainfo = contentOf(prefix.filePath(expectedFiles().at(4)));
        for (const char* element : {"<url type=\"bugtracker\">https://", "<screenshot "})
            QVERIFY2(metainfo.contains(QLatin1String(element)), element);
        QVERIFY(succeeds(QStringLiteral("appstreamcli"),
                         {QStringLiteral("validate"), QStringLiteral("--no-net"),
                          prefix.filePath(expectedFiles().at(4))}));
        checkFirstStartInAFreshHome(prefix.filePath(expectedFiles().at(0)));
    }

    void aUsersReportFileOverridesTheInstalledOne()
    {
        QTemporaryDir prefix;
        QVERIFY(install(prefix));
        FreshHome user;
        const QString usersReport = QDir(user.dataFolder()).filePath(QStringLiteral("Drills.rpt"));
        makeFile(usersReport, "a report the user broke");
        const ProgramRun run = user.exportPdf(prefix.filePath(expectedFiles().at(0)));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(usersReport), qPrintable(run.err));
    }

    void theDebianPackageInstallsAndStarts()
    {
        QTemporaryDir work;
        const QString deb = makePackage(work);
        QVERIFY(!deb.isEmpty());

        const QString depends = controlField(deb, "Depends");
        for (const char* runtime :
             {"libqt6widgets6", "libqt6sql6 ", "libqt6sql6-sqlite", "libqt6printsupport6", "libc6"})
            QVERIFY2(depends.contains(QLatin1String(runtime)), qPrintable(depends));
        QVERIFY2(!depends.contains(QLatin1String("-dev")), qPrintable(depends));
        // The report's text font, and the one that draws its check mark (U+2713) beside it.
        for (const char* pattern : {"Liberation Sans", "Liberation Sans:bold:charset=2713"}) {
            const QString font = packageOfFont(QLatin1String(pattern));
            QVERIFY2(!font.isEmpty() && requiredPackages(depends).contains(font),
                     qPrintable(pattern + (u' ' + font) + u' ' + depends));
        }
        QCOMPARE(controlField(deb, "Recommends"), QStringLiteral("libqt6sql6-psql"));
        QVERIFY(controlField(deb, "Homepage").startsWith(QLatin1String("https://")));

        const QString root = work.filePath(QStringLiteral("root"));
        QVERIFY(succeeds(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}));
        QStringList packaged;
        for (const QString& file : filesUnder(root))
            packaged.append(file.mid(QStringLiteral("usr/").size()));
        QStringList expected = expectedFiles(true);
        expected.sort();
        QCOMPARE(packaged, expected);
        checkFirstStartInAFreshHome(
            QDir(root).filePath(QStringLiteral("usr/") + expectedFiles().at(0)));
    }

    void lintianFindsNoFault()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
            QSKIP("lintian is not installed (scripts/install-dependencies.sh installs it).");
        QTemporaryDir work;
        const QString deb = makePackage(work);
        QVERIFY(!deb.isEmpty());
        const ProgramRun run = ProgramRun::of(QStringLiteral("lintian"), {deb});
        const QStringList faults = run.out.split(u'\n').filter(QRegularExpression("^[EW]: "));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    }

    // A package install may lack Qt's PostgreSQL driver; the message names what is missing.
    void aMissingServerDriverIsNamed()
    {
        QTemporaryDir folder;
        const QString program = folder.filePath(Name);
        QVERIFY(QFile::copy(QStringLiteral(ORX_PROGRAM_FILE), program));
        // Its plugins are those of a folder that has the SQLite driver only.
        const QString plugins = folder.filePath(QStringLiteral("plugins"));
        const QString sqlite = QStringLiteral("/sqldrivers/libqsqlite.so");
        QVERIFY(QDir().mkpath(plugins + QStringLiteral("/sqldrivers")));
        QVERIFY(
            QFile::copy(QLibraryInfo::path(QLibraryInfo::PluginsPath) + sqlite, plugins + sqlite));
        makeFile(folder.filePath(QStringLiteral("qt.conf")),
                 "[Paths]\nPlugins = " + QFile::encodeName(plugins) + '\n');

        const ProgramRun run = ProgramRun::of(
            program, {QStringLiteral("--database"),
                      QStringLiteral("postgresql://planner@/fleet?host=/nowhere"),
                      QStringLiteral("--export-csv"), QString::number(QDate::currentDate().year()),
                      folder.filePath(QStringLiteral("drills.csv"))});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QLatin1String("driver")) &&
                     run.err.contains(QLatin1String("libqt6sql6-psql")),
                 qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
