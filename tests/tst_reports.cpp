// The drill status report: the PrintDrills refill, the report control, its preview window.
#include "CsvRecords.h"
#include "Fixture.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"
#include "reports/ReportPreview.h"
#include "reports/ReportProgress.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

const QDateTime RefillMoment(QDate(2026, 3, 10), QTime(14, 5, 9));

struct DrillRow
{
    QString ship;
    int year;
    QString drillDate, doneDate, compEval, master;
    QString drillDate1, doneDate1, compEval1, master1;
};

// Today is 10 March 2026: a drill on 20 March is due, one in June is later.
const QList<DrillRow> Fleet = {
    {"MV Bravo", 2026, "2026-06-15", "", "", "J. Smith & <Sons>", "", "", "", ""},
    {"MV Alpha", 2026, "2026-02-01", "2026-02-03", "85", "A. O'Neill", "2026-03-20", "", "", ""},
    {"MV Charlie", 2026, "2026-01-05", "", "", "", "2026-09-30", "2026-03-01", "70", "K. Pappas"},
    {"MV Alpha", 2025, "2025-02-01", "2025-02-02", "90", "Old Master", "", "", "", ""},
};

QString textOfPdf(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QStringList pagesOfPdf(const QString& pdf)
{
    QStringList pages = textOfPdf(pdf).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast(); // pdftotext ends the last page with a form feed too
    return pages;
}

// The font family of the first text of the PDF that holds `words`, as pdftohtml finds it.
QString fontOf(const QString& pdf, const QString& words)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftohtml"),
               {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-stdout"), pdf});
    tool.waitForFinished(30000);
    const QString xml = QString::fromUtf8(tool.readAllStandardOutput());
    const QRegularExpression text(QStringLiteral("<text [^>]*font=\"(\\d+)\"[^>]*>[^<]*") +
                                  QRegularExpression::escape(words));
    const QString font = text.match(xml).captured(1);
    const QRegularExpression family(
        QStringLiteral("<fontspec id=\"%1\"[^>]*family=\"([^\"]+)\"").arg(font));
    return font.isEmpty() ? QString() : family.match(xml).captured(1);
}

struct PdfWord
{
    QString text;
    QRectF box;
};

// The words of the first page with their boxes, as pdftotext -bbox finds them.
QList<PdfWord> wordsOfFirstPage(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"),
                                             QStringLiteral("1"), pdf, QStringLiteral("-")});
    tool.waitForFinished(30000);
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    auto it = word.globalMatch(QString::fromUtf8(tool.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto m = it.next();
        words.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// The colour of the first page of a PDF at a point given in PDF points (as pdftotext -bbox
// gives them), from the page drawn by pdftoppm.
QColor colourOnFirstPage(const QString& pdf, const QPointF& at)
{
    constexpr int Dpi = 144;
    const QString png = pdf + QStringLiteral(".png");
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(Dpi),
                       QStringLiteral("-singlefile"), QStringLiteral("-l"), QStringLiteral("1"),
                       pdf, png.chopped(4)});
    return QImage(png).pixelColor((at * Dpi / 72).toPoint());
}

// Text that must print as typed, whatever it looks like.
const QStringList HostileNames = {
    QStringLiteral("\"Quoted\" O'Brien, Jr."),
    QStringLiteral("<b>Bold</b> & <i>x</i>"),
    QStringLiteral("{{x}} {{#rows}}"),
    QStringLiteral("Smith &amp; Sons"),
    QStringLiteral("=HYPERLINK(\"http://x\")"),
    QStringLiteral("-2+3"),
    QStringLiteral("@SUM(A1)"),
    QStringLiteral("\u05D7\u05D1\u05E8\u05EA \u05D4\u05D9\u05DD"),
    QStringLiteral("Line one\nLine two"),
    QStringLiteral("+30 210 555"),
};

QSizeF pageSizeOfPdf(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {pdf});
    tool.waitForFinished(30000);
    const QString info = QString::fromUtf8(tool.readAllStandardOutput());
    const auto match =
        QRegularExpression(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+))")).match(info);
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

QString templatePath()
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QString::fromLatin1(DrillStatusReport::TemplateFileName));
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A fixture whose drills are the rows above, and the program's connection to it.
struct FleetDatabase
{
    FleetDatabase()
        : fixture(QStringList{"MV Alpha", "MV Bravo", "MV Charlie"}), db(fixture.databasePath())
    {
        db.open();
        for (const DrillRow& r : Fleet)
            fixture.exec(
                QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", "
                               "\"Done Date\", CompEval, Master, \"Drill Date1\", \"Done Date1\", "
                               "CompEval1, Master1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {fixture.shipId(r.ship), r.ship, r.year, orNull(r.drillDate), orNull(r.doneDate),
                 orNull(r.compEval), orNull(r.master), orNull(r.drillDate1), orNull(r.doneDate1),
                 orNull(r.compEval1), orNull(r.master1)});
    }

    static QVariant orNull(const QString& text)
    {
        return text.isEmpty() ? QVariant() : QVariant(text);
    }

    int rowCount() const
    {
        return fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM PrintDrills")).toInt();
    }

    Fixture fixture;
    DrillDatabase db;
};

// A fleet whose 2026 drill rows hold only the ship, copied into PrintDrills.
struct BareFleet
{
    explicit BareFleet(int ships) : fixture(ships), db(fixture.databasePath())
    {
        fixture.exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill) "
                                    "SELECT IDShip, ShipName, 2026 FROM Ships"));
        refilled = db.open().isEmpty() &&
                   PrintDrillsTable::refill(db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment);
    }

    Fixture fixture;
    DrillDatabase db;
    bool refilled = false;
};

// Runs the drill status report of the year into a PDF and gives back its text.
QString drillReportText(FleetDatabase& fleet, int year, const QString& company,
                        RecordingMessages& messages)
{
    if (!PrintDrillsTable::refill(fleet.db, year, company, RefillMoment))
        return {};
    const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("report.pdf"));
    ReportControl control(messages);
    control.setDataFile(fleet.fixture.databasePath());
    control.setReportFileName(templatePath());
    control.setDestination(ReportControl::Destination::File);
    control.setPrintFileName(pdf);
    DrillStatusReport::prepare(control, year, company);
    return control.run() ? textOfPdf(pdf) : QString();
}

// Runs the drill status report of 2026 from the fixture's PrintDrills into a PDF.
QString statusReportPdf(const Fixture& fixture, RecordingMessages& messages,
                        const std::function<void(ReportControl&)>& adjust = {})
{
    const QString pdf = QDir(fixture.folder()).filePath(QStringLiteral("status.pdf"));
    ReportControl control(messages);
    control.setDataFile(fixture.databasePath());
    control.setReportFileName(templatePath());
    control.setDestination(ReportControl::Destination::File);
    control.setPrintFileName(pdf);
    DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
    if (adjust)
        adjust(control);
    return control.run() ? pdf : QString();
}
} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Clock::setFixed(RefillMoment);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanup()
    {
        Clock::reset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void refillCopiesTheYearOnceAndStampsEveryRow()
    {
        FleetDatabase fleet;
        QVERIFY(PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("Old Name"), RefillMoment));
        QVERIFY(
            PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment));

        QCOMPARE(fleet.rowCount(), 3);
        QCOMPARE(fleet.fixture
                     .scalar(QStringLiteral(
                         "SELECT COUNT(DISTINCT IDDrill) FROM PrintDrills WHERE YearDrill = 2026"))
                     .toInt(),
                 3);
        // Every field of QuDrills arrives unchanged.
        QCOMPARE(
            fleet.fixture
                .scalar(QStringLiteral(
                    "SELECT COUNT(*) FROM PrintDrills p JOIN QuDrills q ON q.IDDrill = p.IDDrill "
                    "AND q.IDShip = p.IDShip AND q.ShipName = p.ShipName "
                    "AND q.YearDrill = p.YearDrill "
                    "AND q.\"Drill Date\" IS p.\"Drill Date\" AND q.\"Done Date\" IS p.\"Done "
                    "Date\" "
                    "AND q.CompEval IS p.CompEval AND q.Master IS p.Master "
                    "AND q.\"Drill Date1\" IS p.\"Drill Date1\" "
                    "AND q.\"Done Date1\" IS p.\"Done Date1\" "
                    "AND q.CompEval1 IS p.CompEval1 AND q.Master1 IS p.Master1"))
                .toInt(),
            3);
        QCOMPARE(fleet.fixture
                     .scalar(QStringLiteral(
                         "SELECT COUNT(*) FROM PrintDrills WHERE Company = 'Aegean Ltd' "
                         "AND Date1 = 'Tuesday, 10 March 2026' AND Time1 = '14:05:09'"))
                     .toInt(),
                 3);
    }

    void refillOfAYearWithoutRowsLeavesTheTableEmpty()
    {
        FleetDatabase fleet;
        QVERIFY(
            PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment));
        QVERIFY(
            PrintDrillsTable::refill(fleet.db, 2024, QStringLiteral("Aegean Ltd"), RefillMoment));
        QCOMPARE(fleet.rowCount(), 0);
    }

    void refillStoresTheCompanyAsTyped_data()
    {
        QTest::addColumn<QString>("company");
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien Shipping");
        QTest::newRow("statement") << QStringLiteral("X'); DELETE FROM Drills; --");
        QTest::newRow("greek") << QStringLiteral("Ναυτιλιακή Εταιρεία Α.Ε.");
    }
    void refillStoresTheCompanyAsTyped()
    {
        QFETCH(QString, company);
        FleetDatabase fleet;
        QVERIFY(PrintDrillsTable::refill(fleet.db, 2026, company, RefillMoment));
        QCOMPARE(fleet.fixture
                     .scalar(QStringLiteral("SELECT COUNT(*) FROM PrintDrills WHERE Company = ?"),
                             {company})
                     .toInt(),
                 3);
        QCOMPARE(fleet.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), 4);
    }

    void aFailingRefillKeepsTheLastReport()
    {
        FleetDatabase fleet;
        QVERIFY(
            PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment));
        fleet.fixture.exec(QStringLiteral(
            "CREATE TRIGGER Refuse BEFORE INSERT ON PrintDrills WHEN NEW.Company = 'refused' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("rolled back")));
        QVERIFY(!PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("refused"), RefillMoment));
        QCOMPARE(fleet.fixture
                     .scalar(QStringLiteral(
                         "SELECT COUNT(*) FROM PrintDrills WHERE Company = 'Aegean Ltd'"))
                     .toInt(),
                 3);
    }

    void theReportShowsTheYearInTheUsersDateForm_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("dates");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << QStringList{"2/1/2026", "2/3/2026", "3/20/2026", "3/1/2026"};
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << QStringList{"01.02.2026", "03.02.2026", "20.03.2026",
                                              "01.03.2026"};
    }
    void theReportShowsTheYearInTheUsersDateForm()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, dates);
        QLocale::setDefault(locale);
        FleetDatabase fleet;
        RecordingMessages messages;
        const QString text =
            drillReportText(fleet, 2026, QStringLiteral("O'Brien Shipping"), messages);
        QVERIFY2(!text.isEmpty(), "the report was not written");
        QVERIFY(messages.shown.isEmpty());

        QVERIFY(text.contains(QStringLiteral("HBQ ORX - DRILL STATUS")));
        QVERIFY(text.contains(QStringLiteral("O'Brien Shipping")));
        QVERIFY(text.contains(QStringLiteral("Year 2026")));
        for (const QString& date : dates)
            QVERIFY2(text.contains(date), qPrintable(date));
        QVERIFY(!text.contains(QStringLiteral("2026-02-01")));
        // The stamp of the refill in its English sentence, and text that looks like HTML shown
        // as typed.
        QVERIFY2(text.contains(QStringLiteral("Status as of Tuesday, 10 March 2026")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("14:05:09")));
        QVERIFY(text.contains(QStringLiteral("J. Smith & <Sons>")));
        QVERIFY(text.contains(QStringLiteral("Page 1 of 1")));
        // Only the year's rows, ships by name.
        QVERIFY(!text.contains(QStringLiteral("Old Master")));
        const qsizetype alpha = text.indexOf(QStringLiteral("MV Alpha"));
        QVERIFY(alpha >= 0);
        QVERIFY(alpha < text.indexOf(QStringLiteral("MV Bravo")));
        QVERIFY(text.indexOf(QStringLiteral("MV Bravo")) <
                text.indexOf(QStringLiteral("MV Charlie")));
    }

    void everyDrillCarriesItsStateInWords()
    {
        FleetDatabase fleet;
        RecordingMessages messages;
        const QString text = drillReportText(fleet, 2026, QStringLiteral("Aegean Ltd"), messages);
        const auto lineOf = [&](const QString& ship) {
            for (const QString& line : text.split(u'\n')) {
                if (line.contains(ship))
                    return line.simplified();
            }
            return QString();
        };
        // Alpha: done, then due. Bravo: later, then nothing. Charlie: overdue, then done.
        QVERIFY2(
            QRegularExpression(QStringLiteral("DONE.*DUE")).match(lineOf("MV Alpha")).hasMatch(),
            qPrintable(lineOf("MV Alpha")));
        QVERIFY(lineOf("MV Bravo").contains(QStringLiteral("LATER")));
        QVERIFY(
            !QRegularExpression(QStringLiteral("DONE|DUE")).match(lineOf("MV Bravo")).hasMatch());
        QVERIFY2(
            QRegularExpression(QStringLiteral("DUE.*DONE")).match(lineOf("MV Charlie")).hasMatch(),
            qPrintable(lineOf("MV Charlie")));
        QVERIFY(text.simplified().contains(
            QStringLiteral("3 ships, 6 drills: 2 done, 2 due, 1 later, 1 not scheduled")));
        // And in colour: every mark on its state's tint, row after row.
        const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("report.pdf"));
        const QHash<QString, QColor> tints = {{QStringLiteral("DONE"), QColor(0xdc, 0xf1, 0xdc)},
                                              {QStringLiteral("DUE"), QColor(0xdd, 0xe3, 0xfa)},
                                              {QStringLiteral("LATER"), QColor(0xf8, 0xde, 0xde)}};
        int marks = 0;
        for (const PdfWord& word : wordsOfFirstPage(pdf)) {
            if (!tints.contains(word.text))
                continue;
            ++marks;
            const QColor below = colourOnFirstPage(pdf, {word.box.center().x(), word.box.top()});
            QCOMPARE(below, tints.value(word.text));
        }
        QCOMPARE(marks, 3 + 5); // the legend's and the drills'
    }

    void aYearWithoutDrillsStillNamesTheYearAndCompany()
    {
        FleetDatabase fleet;
        RecordingMessages messages;
        const QString text = drillReportText(fleet, 2024, QStringLiteral("Aegean Ltd"), messages);
        QVERIFY(text.contains(QStringLiteral("Aegean Ltd")));
        QVERIFY(text.contains(QStringLiteral("Year 2024")));
        QVERIFY(text.contains(QStringLiteral("No drills are recorded for 2024.")));
        QVERIFY(!text.contains(QStringLiteral("MV Alpha")));
    }

    void aLongFleetRepeatsTheHeaderAndNumbersThePagesOnLandscapeA4()
    {
        BareFleet fleet(120);
        QVERIFY(fleet.refilled);
        const Fixture& fixture = fleet.fixture;
        RecordingMessages messages;
        const QString pdf = QDir(fixture.folder()).filePath(QStringLiteral("fleet.pdf"));
        ReportControl control(messages);
        control.setDataFile(fixture.databasePath());
        control.setReportFileName(templatePath());
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(pdf);
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        QVERIFY(control.run());

        const QSizeF page = pageSizeOfPdf(pdf);
        QCOMPARE(qRound(page.width()), 842);
        QCOMPARE(qRound(page.height()), 595);
        QStringList pages = textOfPdf(pdf).split(u'\f');
        pages.removeIf([](const QString& p) { return p.trimmed().isEmpty(); });
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        qsizetype shipLines = 0;
        for (int i = 0; i < pages.size(); ++i) {
            const qsizetype ships = pages.at(i).count(QStringLiteral("MV Ship "));
            QVERIFY(ships == 0 || pages.at(i).contains(QStringLiteral("Ship Name")));
            QVERIFY(
                pages.at(i).contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
            shipLines += ships;
        }
        QCOMPARE(shipLines, 120);
    }

    // Every ship once, in order, each on one line with its number and master: a row never
    // breaks over a page or inside itself, and every page repeats the column titles.
    void twoThousandShipsPrintWholeRowsOnFullPages()
    {
        BareFleet fleet(2000);
        fleet.fixture.exec(QStringLiteral("UPDATE PrintDrills SET Master = 'Capt. ' || ShipName"));
        RecordingMessages messages;
        const QString pdf = statusReportPdf(fleet.fixture, messages);
        QVERIFY(!pdf.isEmpty());
        const QStringList pages = pagesOfPdf(pdf);
        QList<int> rowsPerPage;
        int expected = 1;
        for (int i = 0; i < pages.size(); ++i) {
            const QString& page = pages.at(i);
            QVERIFY2(page.contains(QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())),
                     qPrintable(QString::number(i + 1)));
            int rows = 0;
            for (const QString& line : page.split(u'\n')) {
                if (!line.contains(QStringLiteral("MV Ship ")))
                    continue;
                const QString ship =
                    QStringLiteral("MV Ship %1").arg(expected, 4, 10, QLatin1Char('0'));
                const QRegularExpression whole(QStringLiteral(R"(^\s*%1\s+%2\s.*Capt\. %2\s*$)")
                                                   .arg(expected)
                                                   .arg(QRegularExpression::escape(ship)));
                QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
                ++expected;
                ++rows;
            }
            QVERIFY2(rows == 0 || page.contains(QStringLiteral("Ship Name")),
                     qPrintable(QString::number(i + 1)));
            rowsPerPage.append(rows);
        }
        QCOMPARE(expected, 2001);
        // Full pages between the first and the last: the page count is what 2,000 rows need.
        QVERIFY(rowsPerPage.size() >= 3);
        const int full = rowsPerPage.at(1);
        // The last rows may go over to the signature's page, leaving the page before it short.
        QVERIFY(rowsPerPage.last() > 0);
        for (int i = 1; i < rowsPerPage.size() - 2; ++i)
            QCOMPARE(rowsPerPage.at(i), full);
        QVERIFY(full >= 30);
        const int rowPages = 1 + (2000 - rowsPerPage.first() + full - 1) / full;
        QVERIFY2(
            pages.size() == rowPages || pages.size() == rowPages + 1,
            qPrintable(QStringLiteral("%1 pages for rows of %2").arg(pages.size()).arg(rowPages)));
    }

    // Long ship and master names print whole, on further lines of their row; a row is never
    // split over two pages.
    void longNamesPrintWholeOnTheirRow()
    {
        QStringList ships;
        for (int i = 1; i <= 80; ++i)
            ships.append(QStringLiteral("MV Aegean Spirit of the Northern Seas S%1").arg(i));
        Fixture fixture(ships);
        fixture.exec(QStringLiteral(
            "INSERT INTO Drills (IDShip, ShipName, YearDrill, Master, Master1) SELECT IDShip, "
            "ShipName, 2026, 'Capt. Alexandros Konstantinos Papadopoulos ' || "
            "REPLACE(SUBSTR(ShipName, 39), 'S', 'M'), 'Capt. Ioannis Georgiou Karamanlis ' || "
            "REPLACE(SUBSTR(ShipName, 39), 'S', 'N') FROM Ships"));
        DrillDatabase db(fixture.databasePath());
        QVERIFY(db.open().isEmpty());
        QVERIFY(PrintDrillsTable::refill(db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment));
        RecordingMessages messages;
        const QString pdf = statusReportPdf(fixture, messages);
        QVERIFY(!pdf.isEmpty());
        const QStringList pages = pagesOfPdf(pdf);
        QVERIFY(pages.size() > 1);
        int seen = 0;
        for (const QString& page : pages) {
            QVERIFY(!page.contains(QChar(0x2026)));
            for (int i = 1; i <= 80; ++i) {
                const auto on = [&](const char* mark) {
                    return QRegularExpression(
                               QStringLiteral("\\b%1%2\\b").arg(QLatin1String(mark)).arg(i))
                        .match(page)
                        .hasMatch();
                };
                QCOMPARE(on("M"), on("S"));
                QCOMPARE(on("N"), on("S"));
                seen += on("S");
            }
        }
        QCOMPARE(seen, 80);
    }

    // Whatever the number of rows, the signature lines are printed on a page with rows.
    void theSignatureStaysWithTheLastRows()
    {
        BareFleet fleet(75);
        QVERIFY(fleet.refilled);
        RecordingMessages messages;
        QString pdf;
        for (int ships = 75; ships > 0; --ships) {
            fleet.fixture.exec(QStringLiteral("DELETE FROM PrintDrills WHERE ShipName > ?"),
                               {QStringLiteral("MV Ship %1").arg(ships, 4, 10, QLatin1Char('0'))});
            pdf = statusReportPdf(fleet.fixture, messages);
            QVERIFY(!pdf.isEmpty());
            const QStringList pages = pagesOfPdf(pdf);
            const QString& last = pages.last();
            QVERIFY2(
                last.contains(QStringLiteral("Reviewed by")) &&
                    last.contains(QStringLiteral("MV Ship %1").arg(ships, 4, 10, QLatin1Char('0'))),
                qPrintable(QStringLiteral("%1 ships: %2").arg(ships).arg(last)));
        }
        // In the report's own font, as the rest of it.
        QCOMPARE(fontOf(pdf, QStringLiteral("Reviewed by")), QStringLiteral("LiberationSans"));
    }

    void fiveDigitNumbersFitTheirColumn()
    {
        BareFleet fleet(60);
        RecordingMessages messages;
        const QString pdf = statusReportPdf(fleet.fixture, messages, [](ReportControl& control) {
            const ReportControl::RowHook numbering = control.rowHook();
            control.setRowHook([numbering](QList<ReportValues>& rows, ReportValues& report) {
                numbering(rows, report);
                for (ReportValues& row : rows)
                    row[QStringLiteral("No")] = 99939 + row.value(QStringLiteral("No")).toInt();
            });
        });
        QVERIFY(!pdf.isEmpty());
        const QString text = textOfPdf(pdf);
        for (int i = 1; i <= 60; ++i)
            QVERIFY2(QRegularExpression(QStringLiteral(R"((?m)^\s*%1\s+MV Ship %2\b)")
                                            .arg(99939 + i)
                                            .arg(i, 4, 10, QLatin1Char('0')))
                         .match(text)
                         .hasMatch(),
                     qPrintable(QString::number(i)));
    }

    // A long company name in the page footer gives way to "Page n of m".
    void aLongCompanyNameLeavesThePageNumberReadable()
    {
        FleetDatabase fleet;
        RecordingMessages messages;
        const QString company =
            QStringLiteral("Aegean Ionian Adriatic Tyrrhenian Ligurian Balearic Alboran Levantine "
                           "Cretan Libyan Maritime Shipmanagement and Ship Owning Company S.A. of "
                           "Piraeus, Limassol, Valletta, Genoa, Marseille and Barcelona");
        QVERIFY(!drillReportText(fleet, 2026, company, messages).isEmpty());
        const QList<PdfWord> words =
            wordsOfFirstPage(QDir(fleet.fixture.folder()).filePath(QStringLiteral("report.pdf")));
        qsizetype page = -1;
        for (qsizetype i = 0; i + 3 < words.size(); ++i) {
            if (words.at(i).text == u"Page" && words.at(i + 2).text == u"of")
                page = i;
        }
        QVERIFY(page >= 0);
        const QRectF pageNumber = words.at(page).box.united(words.at(page + 3).box);
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (i >= page && i <= page + 3)
                continue;
            const QRectF box = words.at(i).box;
            const bool sameLine =
                box.top() < pageNumber.bottom() && box.bottom() > pageNumber.top();
            QVERIFY2(!sameLine || box.right() <= pageNumber.left() ||
                         box.left() >= pageNumber.right(),
                     qPrintable(words.at(i).text));
        }
    }

    void hostileNamesPrintLiterallyWithoutBreakingTheLayout()
    {
        Fixture fixture(HostileNames + QStringList{QString(10000, u'W')});
        fixture.exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, Master) "
                                    "SELECT IDShip, ShipName, 2026, ShipName FROM Ships"));
        DrillDatabase db(fixture.databasePath());
        QVERIFY(db.open().isEmpty());
        const QString company = QStringLiteral("<b>{{Company}}</b> &amp; ") + QString(10000, u'C');
        QVERIFY(PrintDrillsTable::refill(db, 2026, company, RefillMoment));
        RecordingMessages messages;
        const QString pdf = QDir(fixture.folder()).filePath(QStringLiteral("hostile.pdf"));
        ReportControl control(messages);
        control.setDataFile(fixture.databasePath());
        control.setReportFileName(templatePath());
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(pdf);
        DrillStatusReport::prepare(control, 2026, company);
        QVERIFY(control.run());
        QVERIFY(messages.shown.isEmpty());

        const QStringList pages = pagesOfPdf(pdf);
        QCOMPARE(pages.size(), 1);
        const QString text = pages.first();
        for (const QString& name : HostileNames) {
            const QString shown = QString(name).replace(u'\n', u' ');
            QCOMPARE(text.count(shown), 2); // as ship and as master
        }
        QVERIFY(text.contains(QStringLiteral("<b>{{Company}}</b> &amp; CCC")));
        QVERIFY(text.contains(QStringLiteral("Page 1 of 1")));
        QVERIFY(text.contains(QStringLiteral("11 ships")));
        // The long name runs on over a few lines of its row and is cut at the last of them.
        static const QRegularExpression cutLine(
            QStringLiteral("(?m)^\\s*W+\u2026\\s+W+\u2026\\s*$"));
        QVERIFY2(text.contains(cutLine), qPrintable(text));
        QVERIFY(text.count(QRegularExpression(QStringLiteral("(?m)^\\s*\\d*\\s*W{5,}"))) < 20);
        QVERIFY(!text.contains(QString(400, u'W')));
    }

    // The user's path: Print Preview, then Print (to a PDF file) and Export PDF there.
    void printerAndExportGiveTheSamePages()
    {
        BareFleet fleet(150);
        QVERIFY(fleet.refilled);
        QWidget owner;
        RecordingMessages messages;
        ReportControl control(messages, &owner);
        control.setDataFile(fleet.fixture.databasePath());
        control.setReportFileName(templatePath());
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        QVERIFY(control.run());
        auto* preview = owner.findChild<ReportPreview*>();
        QVERIFY(preview);
        const QString exported = QDir(fleet.fixture.folder()).filePath(QStringLiteral("e.pdf"));
        QVERIFY(preview->exportPdf(exported));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(fleet.fixture.folder()).filePath(QStringLiteral("p.pdf")));
        printer.setPageLayout(ReportPages::a4(QPageLayout::Landscape));
        QVERIFY(preview->print(printer));
        const QString printed = textOfPdf(printer.outputFileName());
        QVERIFY(printed.contains(QStringLiteral("MV Ship 0150")));
        QCOMPARE(printed, textOfPdf(exported));
        QCOMPARE(pagesOfPdf(exported).size(), preview->pageCount());
    }

    void csvFromThePreviewRoundTripsEveryValue()
    {
        Fixture fixture(HostileNames);
        fixture.exec(QStringLiteral(
            "INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", \"Done Date\", "
            "CompEval, Master, \"Drill Date1\") SELECT IDShip, ShipName, 2026, '2026-02-01', "
            "'2026-02-03', '85', ShipName, '2026-03-20' FROM Ships"));
        DrillDatabase db(fixture.databasePath());
        QVERIFY(db.open().isEmpty());
        QVERIFY(PrintDrillsTable::refill(db, 2026, QStringLiteral("Aegean Ltd"), RefillMoment));
        QWidget owner;
        RecordingMessages messages;
        ReportControl control(messages, &owner);
        control.setDataFile(fixture.databasePath());
        control.setReportFileName(templatePath());
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        QVERIFY(control.run());
        auto* preview = owner.findChild<ReportPreview*>();
        QVERIFY(preview && preview->findChild<QToolButton*>(QStringLiteral("exportCsvButton")));
        // The grid moves on to another year: the preview still exports what it shows.
        QVERIFY(PrintDrillsTable::refill(db, 2025, QStringLiteral("Aegean Ltd"), RefillMoment));
        const QString csv = QDir(fixture.folder()).filePath(QStringLiteral("drills.csv"));
        QVERIFY(preview->exportCsv(csv));

        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QStringList> records = csvRecords(QString::fromUtf8(file.readAll()));
        QCOMPARE(records.size(), HostileNames.size() + 1);
        QCOMPARE(records.first().first(), QStringLiteral("Ship"));
        QCOMPARE(records.first().value(6), QStringLiteral("Drill 2 Scheduled Date"));
        QStringList names;
        for (const QStringList& record : records.mid(1)) {
            // A spreadsheet would run these as formulas: they keep a leading apostrophe.
            const QString& shown = record.value(0);
            const bool guarded = shown.size() > 1 && shown.front() == u'\'' &&
                                 QStringLiteral("=+-@").contains(shown.at(1));
            const QString name = guarded ? shown.mid(1) : shown;
            QVERIFY2(HostileNames.contains(name) && !names.contains(name), qPrintable(shown));
            names.append(name);
            QCOMPARE(record, (QStringList{shown, "2026-02-01", "2026-02-03", "85", shown, "done",
                                          "2026-03-20", "", "", "", "due"}));
        }
        QVERIFY(!preview->exportCsv(QDir(fixture.folder()).filePath(QStringLiteral("no/x.csv"))));
        QCOMPARE(messages.shown.size(), 1);
    }

    void cancellingAReportStopsItCleanly_data()
    {
        QTest::addColumn<bool>("toFile");
        QTest::newRow("PDF file") << true;
        QTest::newRow("preview") << false;
    }
    void cancellingAReportStopsItCleanly()
    {
        QFETCH(bool, toFile);
        BareFleet fleet(300);
        QVERIFY(fleet.refilled);
        ReportProgress::setDelay(0); // as if the report were slow
        QWidget owner;
        RecordingMessages messages;
        const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("c.pdf"));
        ReportControl control(messages, &owner);
        control.setDataFile(fleet.fixture.databasePath());
        control.setReportFileName(templatePath());
        control.setDestination(toFile ? ReportControl::Destination::File
                                      : ReportControl::Destination::Window);
        control.setPrintFileName(pdf);
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        QString shownText;
        QTimer::singleShot(0, [&] {
            auto* dialog = owner.findChild<QProgressDialog*>(QStringLiteral("ReportProgress"));
            if (!dialog)
                return;
            shownText = dialog->labelText();
            dialog->cancel();
        });
        const bool ran = control.run();
        ReportProgress::setDelay(500);
        QVERIFY(!ran);
        QVERIFY2(shownText.contains(QRegularExpression(QStringLiteral(R"(page \d+ of \d+)"))),
                 qPrintable(shownText));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(owner.findChildren<ReportPreview*>().isEmpty());
    }

    void fieldsWithBlanksHookValuesAndDefaultsReachTheTemplate()
    {
        FleetDatabase fleet;
        QVERIFY(
            PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("From Table"), RefillMoment));
        const QString rpt = QDir(fleet.fixture.folder()).filePath(QStringLiteral("mini.rpt"));
        writeFile(rpt,
                  "{{! table: printdrills }}\n<p>{{Company}}/{{Missing}}</p>"
                  "{{#rows}}<p>[{{Drill Date}}|{{Twice}}|{{#Master}}M{{/Master}}]</p>{{/rows}}");
        const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("mini.pdf"));
        RecordingMessages messages;
        ReportControl control(messages);
        control.setDataFile(fleet.fixture.databasePath());
        control.setReportFileName(rpt);
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(pdf);
        control.setDefault(QStringLiteral("Company"), QStringLiteral("From Default"));
        control.setDefault(QStringLiteral("Missing"), QStringLiteral("Default Only"));
        control.setRowHook([](QList<ReportValues>& rows, ReportValues&) {
            for (ReportValues& row : rows)
                row[QStringLiteral("Twice")] = row.value(QStringLiteral("YearDrill")).toInt() * 2;
        });
        QVERIFY(control.run());
        const QString text = textOfPdf(pdf).simplified();
        QVERIFY2(text.contains(QStringLiteral("From Table/Default Only")), qPrintable(text));
        // Rows in the order of the ships; an empty field is false in a section.
        QVERIFY2(text.contains(QStringLiteral("[2026-02-01|4052|M] [2026-06-15|4052|M] "
                                              "[2026-01-05|4052|]")),
                 qPrintable(text));
    }

    void aReportThatCannotRunSaysWhyAndDoesNothingElse_data()
    {
        QTest::addColumn<QByteArray>("templateText"); // empty: no template; "/": a folder
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("named"); // the file the message must name
        QTest::addColumn<QString>("reason");

        const QByteArray good = "{{! table: PrintDrills }}\n<p>{{#rows}}{{ShipName}}{{/rows}}</p>";
        QTest::newRow("missing template") << QByteArray() << true << "t.rpt"
                                          << "was not found";
        QTest::newRow("a folder of the template's name") << QByteArray("/") << true << "t.rpt"
                                                         << "is a folder";
        QTest::newRow("unclosed section")
            << QByteArray("{{! table: PrintDrills }}\n{{#rows}}<p>{{ShipName}}</p>") << true
            << "t.rpt"
            << "cannot be used";
        QTest::newRow("unclosed tag")
            << QByteArray("{{! table: PrintDrills }}\n<p>{{ShipName</p>") << true << "t.rpt"
            << "cannot be used";
        QTest::newRow("no table line") << QByteArray("<p>{{ShipName}}</p>") << true << "t.rpt"
                                       << "names the table";
        QTest::newRow("unknown setting")
            << QByteArray("{{! table: PrintDrills; paper: letter }}\n") << true << "t.rpt"
            << "paper: letter";
        QTest::newRow("unknown table")
            << QByteArray("{{! table: Nowhere }}\n") << true << "ORXmanager97.mdb"
            << "Nowhere";
        QTest::newRow("hostile table name")
            << QByteArray("{{! table: Ships\" WHERE 1=1 -- }}\n") << true << "ORXmanager97.mdb"
            << "has no table";
        QTest::newRow("missing database") << good << false << "ORXmanager97.mdb"
                                          << "was not found";
    }
    void aReportThatCannotRunSaysWhyAndDoesNothingElse()
    {
        QFETCH(QByteArray, templateText);
        QFETCH(bool, database);
        QFETCH(QString, named);
        QFETCH(QString, reason);

        QTemporaryDir folder;
        const QString rpt = folder.filePath(QStringLiteral("t.rpt"));
        if (templateText == "/")
            QVERIFY(QDir().mkpath(rpt));
        else if (!templateText.isEmpty())
            writeFile(rpt, templateText);
        std::optional<Fixture> fixture;
        if (database)
            fixture.emplace(QStringList{"MV Alpha"});
        const QString dbPath = database ? fixture->databasePath()
                                        : folder.filePath(QStringLiteral("ORXmanager97.mdb"));

        QWidget owner;
        RecordingMessages messages;
        const QString pdf = folder.filePath(QStringLiteral("out.pdf"));
        for (const auto destination :
             {ReportControl::Destination::File, ReportControl::Destination::Window}) {
            messages.shown.clear();
            ReportControl control(messages, &owner);
            control.setDataFile(dbPath);
            control.setReportFileName(rpt);
            control.setDestination(destination);
            control.setPrintFileName(pdf);
            QVERIFY(!control.run());
            QCOMPARE(messages.shown.size(), 1);
            const auto& shown = messages.shown.first();
            QCOMPARE(shown.icon, Messages::Icon::Critical);
            QVERIFY2(shown.text.contains(named) && shown.text.contains(reason),
                     qPrintable(shown.text));
        }
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("ORXmanager97.mdb"))));
        QVERIFY(owner.findChildren<ReportPreview*>().isEmpty());
        if (database)
            QCOMPARE(fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM Ships")).toInt(), 1);
    }

    // A Drills.rpt changed by hand into something the report cannot show gives a message
    // naming the file and the fault, never a report with parts silently missing.
    void aDrillsFileChangedWronglyIsNamedInAMessage_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("reason");
        QTest::newRow("no columns part") << "{{! columns }}\n"
                                         << "" << QStringList{"{{! columns }}"};
        QTest::newRow("no column listed") << "Drill No 2 | Status"
                                          << "" << QStringList{"no column"};
        QTest::newRow("unknown field") << "| ShipName "
                                       << "| Ship_Name " << QStringList{"Ship Name", "Ship_Name"};
        QTest::newRow("unknown class field") << "{State1} mark"
                                             << "{Stat1} mark" << QStringList{"Stat1"};
        QTest::newRow("unclosed tag") << "{{Company}}</span>"
                                      << "{{Company</span>" << QStringList{"{{Company", "line"};
        QTest::newRow("unclosed section") << "{{/Closed}}"
                                          << "" << QStringList{"\"Closed\"", "on line "};
    }
    void aDrillsFileChangedWronglyIsNamedInAMessage()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, reason);
        FleetDatabase fleet;
        QVERIFY(PrintDrillsTable::refill(fleet.db, 2026, QStringLiteral("Aegean"), RefillMoment));
        QFile original(templatePath());
        QVERIFY(original.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(original.readAll());
        if (from.startsWith(u'D')) // every column line of the table
            text.remove(QRegularExpression(QStringLiteral("(?m)^(Drill No|\\s+\\|).*\\n")));
        QVERIFY(text.contains(from) || from.startsWith(u'D'));
        text.replace(from, to);
        const QString rpt = QDir(fleet.fixture.folder()).filePath(QStringLiteral("Drills.rpt"));
        writeFile(rpt, text.toUtf8());

        RecordingMessages messages;
        ReportControl control(messages);
        control.setDataFile(fleet.fixture.databasePath());
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean"));
        control.setReportFileName(rpt);
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(QDir(fleet.fixture.folder()).filePath(QStringLiteral("d.pdf")));
        QVERIFY(!control.run());
        QCOMPARE(messages.shown.size(), 1);
        const QString told = messages.shown.first().text;
        QVERIFY2(told.contains(QDir::toNativeSeparators(rpt)), qPrintable(told));
        for (const QString& part : reason)
            QVERIFY2(told.contains(part), qPrintable(told));
    }

    void aFileThatIsNoDatabaseOrAnUnwritablePdfIsReported_data()
    {
        QTest::addColumn<bool>("garbageDatabase");
        QTest::addColumn<QString>("named");
        QTest::newRow("not a database") << true << "ORXmanager97.mdb";
        QTest::newRow("pdf in a missing folder") << false << "out.pdf";
    }
    void aFileThatIsNoDatabaseOrAnUnwritablePdfIsReported()
    {
        QFETCH(bool, garbageDatabase);
        QFETCH(QString, named);
        QTemporaryDir folder;
        Fixture fixture({"MV Alpha"});
        const QString garbage = folder.filePath(QStringLiteral("ORXmanager97.mdb"));
        writeFile(garbage, QByteArray("Standard Jet DB").append(4096, '\0'));

        RecordingMessages messages;
        ReportControl control(messages);
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        control.setDataFile(garbageDatabase ? garbage : fixture.databasePath());
        control.setReportFileName(templatePath());
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(garbageDatabase ? folder.filePath(QStringLiteral("out.pdf"))
                                                 : folder.filePath(QStringLiteral("no/out.pdf")));
        // A target that cannot be made is found before any page is painted.
        QTest::failOnWarning("QPainter::begin(): Returned false");
        QVERIFY(!control.run());
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().text.contains(named),
                 qPrintable(messages.shown.first().text));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("out.pdf"))));
        QCOMPARE(QFile(garbage).size(), qint64(15 + 4096));
    }

    void previewsOpenSideBySideWithoutWaiting()
    {
        BareFleet fleet(90);
        QVERIFY(fleet.refilled);
        const Fixture& fixture = fleet.fixture;

        QWidget owner;
        RecordingMessages messages;
        ReportControl control(messages, &owner);
        control.setDataFile(fixture.databasePath());
        control.setReportFileName(templatePath());
        control.setDestination(ReportControl::Destination::Window);
        DrillStatusReport::prepare(control, 2026, QStringLiteral("Aegean Ltd"));
        QVERIFY(control.run());
        QVERIFY(control.run());

        const auto previews = owner.findChildren<ReportPreview*>();
        QCOMPARE(previews.size(), 2);
        ReportPreview* preview = previews.first();
        QVERIFY(preview->isVisible());
        QVERIFY(!preview->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(preview->windowTitle().contains(QStringLiteral("DRILL STATUS 2026")));
        QVERIFY(preview->pageCount() >= 2);

        const auto click = [&](const char* name) {
            auto* button = preview->findChild<QToolButton*>(QString::fromLatin1(name));
            QVERIFY2(button, name);
            QVERIFY(!button->accessibleName().isEmpty());
            QTest::mouseClick(button, Qt::LeftButton);
        };
        QCOMPARE(preview->currentPage(), 1);
        click("nextPageButton");
        QCOMPARE(preview->currentPage(), 2);
        click("lastPageButton");
        QCOMPARE(preview->currentPage(), preview->pageCount());
        click("firstPageButton");
        QCOMPARE(preview->currentPage(), 1);
        preview->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(preview));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(preview->currentPage(), 2);
        QCOMPARE(preview->findChild<QSpinBox*>(QStringLiteral("pageBox"))->value(), 2);

        auto* zoom = preview->findChild<QComboBox*>(QStringLiteral("zoomBox"));
        QCOMPARE(zoom->currentText(), QStringLiteral("Fit Width"));
        click("zoomInButton");
        QVERIFY2(zoom->currentText().endsWith(u'%'), qPrintable(zoom->currentText()));

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("export.pdf"));
        QVERIFY(preview->exportPdf(pdf));
        const QString text = textOfPdf(pdf);
        QVERIFY(text.contains(QStringLiteral("MV Ship 0090")));
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(preview->pageCount())));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!preview->exportPdf(out.filePath(QStringLiteral("missing/export.pdf"))));
        QCOMPARE(messages.shown.size(), 1);

        click("closeButton");
        QTRY_COMPARE(owner.findChildren<ReportPreview*>().size(), 1);
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
