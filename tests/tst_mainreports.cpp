// The main window's report table, "Print Preview", and the questionnaire opened from the grid.
#include "LoadedWindow.h"
#include "common/Clock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");

class ReportingWindow : public LoadedWindow
{
public:
    ReportingWindow() : LoadedWindow({Alpha, Bravo})
    {
        // The report templates lie beside the test program, as beside the real one.
        for (const char* name : {"Drills.rpt", "DrillEval.rpt"})
            QFile::copy(
                QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name)),
                QDir(fixture.folder()).filePath(QString::fromLatin1(name)));
    }

    int reportRows(const QString& where = QStringLiteral("1")) const
    {
        return fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM PrintDrills WHERE ") + where)
            .toInt();
    }

    // Stores a master's name as a user does: a click on the cell, the name, Enter.
    bool storeMaster(const QString& ship, const QString& name) const
    {
        if (!clickCell(ship, DrillRecord::Master) || !box())
            return false;
        QTest::keyClicks(box(), name);
        QTest::keyClick(box(), Qt::Key_Return);
        return masters(ship, name) == 1;
    }
    int masters(const QString& ship, const QString& name) const
    {
        return fixture
            .scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE ShipName = ? AND Master = ?"),
                    {ship, name})
            .toInt();
    }

    QList<QWidget*> previews() const
    {
        QList<QWidget*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("ReportPreview") && widget->isVisible())
                found.append(widget);
        }
        return found;
    }
};

} // namespace

class TestMainReports : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2026, 3, 1), QTime(8, 30, 15))); }
    void cleanup() { Clock::reset(); }

    void theReportTableFollowsTheGrid()
    {
        ReportingWindow w;
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = ?"),
                       {QStringLiteral("Kostas' Lines")});
        QVERIFY(w.loadAndShow());
        // Refilled with the edit that changes it.
        QVERIFY(w.storeMaster(Alpha, QStringLiteral("A. Master")));
        QCOMPARE(w.reportRows(), 2);
        QCOMPARE(w.reportRows(QStringLiteral("Master = 'A. Master' AND ShipName = 'MV Alpha'")), 1);
        QCOMPARE(
            w.reportRows(QStringLiteral("Company = 'Kostas'' Lines' AND YearDrill = 2026 AND "
                                        "Date1 = 'Sunday, 01 March 2026' AND Time1 = '08:30:15'")),
            2);
    }

    void printPreviewShowsTheNewNameAndTheShownYear()
    {
        ReportingWindow w;
        QVERIFY(w.loadAndShow());
        w.press("companyButton");
        w.child<QLineEdit>("companyNameBox")->setText(QStringLiteral("New Name Ltd"));
        w.press("saveCompanyButton");
        w.press("previousYearButton");
        QVERIFY(w.settle());
        w.press("printPreviewButton");
        QTRY_COMPARE(w.previews().size(), 1);
        QCOMPARE(w.reportRows(), 2);
        QCOMPARE(w.reportRows(QStringLiteral("YearDrill = 2025 AND Company = 'New Name Ltd'")), 2);
        QVERIFY(w.messages.shown.isEmpty());
        for (QWidget* preview : w.previews())
            preview->close();
    }

    // The report table is scratch: when it cannot be refilled, the edit is stored all the
    // same, and the report says it cannot be prepared rather than print an old table.
    void aRefusedReportTableNeverCostsAnEdit()
    {
        ReportingWindow w;
        QVERIFY(w.loadAndShow());
        QVERIFY(w.storeMaster(Bravo, QStringLiteral("B. Master")));
        w.fixture.exec(QStringLiteral("CREATE TRIGGER Refuse BEFORE INSERT ON PrintDrills "
                                      "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Copying the drills of a year"));
        QVERIFY(w.storeMaster(Alpha, QStringLiteral("A. Master")));
        // The table as it was, not half refilled.
        QCOMPARE(w.reportRows(), 2);
        QCOMPARE(w.reportRows(QStringLiteral("Master = 'B. Master'")), 1);
        QCOMPARE(w.reportRows(QStringLiteral("Master = 'A. Master'")), 0);
        QVERIFY(w.messages.shown.isEmpty());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Copying the drills of a year"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("rolled back"));
        w.press("printPreviewButton");
        QTRY_COMPARE(w.messages.shown.size(), 1);
        QVERIFY(w.messages.shown.first().text.contains(QStringLiteral("could not be prepared")));
        QVERIFY(w.previews().isEmpty());
    }

    void aMissingTemplateIsReported()
    {
        ReportingWindow w;
        QFile::remove(QDir(w.fixture.folder()).filePath(QStringLiteral("Drills.rpt")));
        QVERIFY(w.loadAndShow());
        w.press("printPreviewButton");
        QTRY_COMPARE(w.messages.shown.size(), 1);
        QVERIFY(w.messages.shown.first().text.contains(QStringLiteral("Drills.rpt")));
        QVERIFY(w.previews().isEmpty());
    }

    // The questionnaire prints what it shows, an unsaved answer included.
    void theQuestionnairePrintsWhatItShows()
    {
        ReportingWindow w;
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Bravo, DrillRecord::CompEval1));
        w.press("pickButton");
        QVERIFY(w.openedQuestionnaire());
        w.press("question1_4");
        w.press("printFormButton");
        QTRY_COMPARE(w.previews().size(), 1);
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT Ship || ', ' || Total FROM PrintEval"))
                     .toString(),
                 QStringLiteral("MV Bravo, 10"));
        QVERIFY(w.messages.shown.isEmpty());
        for (QWidget* preview : w.previews())
            preview->close();
    }

    void anEvaluationSavedFromTheGridReachesTheDrill()
    {
        ReportingWindow w;
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Bravo, DrillRecord::CompEval1));
        w.press("pickButton");
        QWidget* panel = w.openedQuestionnaire();
        QVERIFY(panel);
        QVERIFY(w.child<QWidget>("shade")->isVisible());
        QCOMPARE(w.child<QLabel>("shipLabel")->text(), QStringLiteral("MV Bravo"));
        for (int question = 1; question <= 10; ++question)
            w.press(qPrintable(QStringLiteral("question%1_4").arg(question)));
        QCOMPARE(w.child<QLabel>("totalLabel")->text(), QStringLiteral("100"));
        w.press("confirmButton");
        QVERIFY(!panel->isVisible());
        QVERIFY(!w.child<QWidget>("shade")->isVisible());
        QCOMPARE(
            w.fixture
                .scalar(QStringLiteral("SELECT CompEval1 FROM Drills WHERE ShipName = 'MV Bravo'"))
                .toString(),
            QStringLiteral("100"));
        QVERIFY(
            w.fixture
                .scalar(QStringLiteral("SELECT CompEval FROM Drills WHERE ShipName = 'MV Bravo'"))
                .isNull());
        QCOMPARE(w.cellText(Bravo, DrillRecord::CompEval1), QStringLiteral("100"));
        QCOMPARE(w.cellText(Alpha, DrillRecord::CompEval1), QString());
    }

    void theBlankFormHasNoSave()
    {
        ReportingWindow w;
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = 'Blank Co'"));
        QVERIFY(w.loadAndShow());
        w.press("evaluationFormButton");
        QVERIFY(w.child<QWidget>("evaluationPanel")->isVisible());
        QVERIFY(!w.child<QWidget>("confirmButton")->isVisible());
        QCOMPARE(w.child<QLabel>("companyLabel")->text(), QStringLiteral("Blank Co"));
        QCOMPARE(w.child<QLabel>("totalLabel")->text(), QString());
        // Another button closes it, storing nothing.
        w.press("fleetButton");
        QVERIFY(!w.child<QWidget>("evaluationPanel")->isVisible());
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 0);
    }
};

QTEST_MAIN(TestMainReports)
#include "tst_mainreports.moc"
