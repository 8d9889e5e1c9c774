// The drill evaluation questionnaire and its report, driven as a user drives them.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "evaluation/DrillEvalReport.h"
#include "evaluation/EvaluationPanel.h"
#include "reports/ReportControl.h"
#include "reports/ReportPreview.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QDateTime PrintMoment(QDate(2026, 3, 10), QTime(14, 5, 9));
const QString Company = QStringLiteral("Aegean & <Ionian> Shipping");
constexpr int DrillOneColumn = 6;
constexpr int DrillTwoColumn = 10;

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

int pageCountOfPdf(const QString& pdf)
{
    const auto match = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))"))
                           .match(runTool(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// Per question the chosen scale value, 0 for none.
using Answers = EvaluationTable::Answers;

} // namespace

class TestEvaluation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> m_fixture;
    std::unique_ptr<DrillDatabase> m_db;
    RecordingMessages m_messages;
    std::unique_ptr<EvaluationPanel> m_panel;
    qint64 m_alphaDrill = 0;
    // The panel and the folder the helpers work on: the test's own, or a main window's.
    EvaluationPanel* m_used = nullptr;
    Fixture* m_files = nullptr;

    // The main window over a fixture of its own; the helpers work on its panel from now on.
    [[nodiscard]] bool loadWindow(LoadedWindow& w)
    {
        if (!w.loadAndShow())
            return false;
        m_used = w.child<EvaluationPanel>("evaluationPanel");
        m_files = &w.fixture;
        m_alphaDrill = w.fixture
                           .scalar(QStringLiteral("SELECT IDDrill FROM Drills WHERE ShipName = ?"),
                                   {QStringLiteral("MV Alpha")})
                           .toLongLong();
        return m_alphaDrill != 0;
    }

    // Opens Alpha's questionnaire with the button of its evaluation cell in the column.
    [[nodiscard]] bool openInWindow(const LoadedWindow& w, int column)
    {
        const auto field =
            column == DrillTwoColumn ? DrillRecord::CompEval1 : DrillRecord::CompEval;
        if (!w.clickCell(QStringLiteral("MV Alpha"), field) || !w.pickButton())
            return false;
        QTest::mouseClick(w.pickButton(), Qt::LeftButton);
        return w.openedQuestionnaire() == m_used;
    }

    qint64 addDrill(const QString& ship, const QString& doneDate, const QString& master)
    {
        m_fixture->exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, "
                                       "\"Done Date\", Master) VALUES (?, ?, 2026, ?, ?)"),
                        {m_fixture->shipId(ship), ship, doneDate, master});
        return m_fixture->scalar(QStringLiteral("SELECT MAX(IDDrill) FROM Drills")).toLongLong();
    }

    QRadioButton* button(int question, int scale) const
    {
        auto* group = m_used->findChild<QButtonGroup*>(QStringLiteral("question%1").arg(question));
        return group ? qobject_cast<QRadioButton*>(group->button(scale - 1)) : nullptr;
    }

    [[nodiscard]] bool choose(int question, int scale)
    {
        QRadioButton* radio = button(question, scale);
        if (!radio)
            return false;
        QTest::mouseClick(radio, Qt::LeftButton, {}, radio->rect().center());
        return true;
    }

    [[nodiscard]] bool chooseAll(const Answers& answers)
    {
        for (int question = 1; question <= 10; ++question) {
            if (answers[question - 1] > 0 && !choose(question, answers[question - 1]))
                return false;
        }
        return true;
    }

    Answers shown() const
    {
        Answers answers{};
        for (int question = 1; question <= 10; ++question) {
            auto* group =
                m_used->findChild<QButtonGroup*>(QStringLiteral("question%1").arg(question));
            answers[question - 1] = group->checkedId() + 1;
        }
        return answers;
    }

    // The answers stored in the table for one block: "Ev" or "Ev1".
    Answers stored(qint64 idDrill, const QString& prefix) const
    {
        Answers answers{};
        for (int question = 1; question <= 10; ++question) {
            for (int scale = 1; scale <= 5; ++scale) {
                const QString sql =
                    QStringLiteral("SELECT %1%2 FROM Evaluation WHERE IDDrill = ? AND IDQu = ?")
                        .arg(prefix)
                        .arg(scale);
                if (m_files->scalar(sql, {idDrill, question}).toBool())
                    answers[question - 1] = scale;
            }
        }
        return answers;
    }

    void store(qint64 idDrill, const QString& prefix, const Answers& answers)
    {
        for (int question = 1; question <= 10; ++question) {
            if (answers[question - 1] > 0)
                m_files->exec(QStringLiteral("UPDATE Evaluation SET %1%2 = 1 WHERE IDDrill = ? "
                                             "AND IDQu = ?")
                                  .arg(prefix)
                                  .arg(answers[question - 1]),
                              {idDrill, question});
        }
    }

    void createRows(qint64 idDrill)
    {
        for (int question = 1; question <= 10; ++question)
            m_files->exec(QStringLiteral("INSERT INTO Evaluation (IDDrill, IDQu) VALUES (?, ?)"),
                          {idDrill, question});
    }

    QString text(const char* labelName) const
    {
        return m_used->findChild<QLabel*>(QString::fromLatin1(labelName))->text();
    }

    QPushButton* command(const char* name) const
    {
        return m_used->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // Alpha's stored answers of the drill in the grid's column, as the window opens them.
    std::optional<EvaluationTable::Answers> storedOfAlpha(int column) const
    {
        return EvaluationTable::open(*m_db, m_alphaDrill, EvaluationTable::drillOfColumn(column),
                                     false);
    }

    bool openAlpha(int column)
    {
        return m_panel->openForDrill(m_alphaDrill, QStringLiteral("MV Alpha"),
                                     QStringLiteral("3/2/2026"), QStringLiteral("A. O'Neill"),
                                     column, storedOfAlpha(column));
    }

    QVariant printed(const QString& field) const
    {
        return m_fixture->scalar(QStringLiteral("SELECT %1 FROM PrintEval").arg(field));
    }

    // Renders the questionnaire in PrintEval to a PDF through the report control.
    QString printToPdf()
    {
        const QString pdf = QDir(m_fixture->folder()).filePath(QStringLiteral("evaluation.pdf"));
        ReportControl control(m_messages);
        DrillEvalReport::prepare(control, *m_db, m_fixture->folder());
        control.setDestination(ReportControl::Destination::File);
        control.setPrintFileName(pdf);
        return control.run() ? pdf : QString();
    }

    static Answers uniform(int scale)
    {
        Answers answers;
        answers.fill(scale);
        return answers;
    }

private slots:
    void initTestCase() { Fonts::installSubstitutes(); }

    void init()
    {
        Clock::setFixed(PrintMoment);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_messages = RecordingMessages();
        m_fixture = std::make_unique<Fixture>(QStringList{"MV Alpha", "MV Bravo"});
        m_alphaDrill = addDrill(QStringLiteral("MV Alpha"), QStringLiteral("2026-03-02"),
                                QStringLiteral("A. O'Neill"));
        addDrill(QStringLiteral("MV Bravo"), QString(), QString());
        m_db = std::make_unique<DrillDatabase>(m_fixture->databasePath());
        QVERIFY(m_db->open().isEmpty());
        const QString rpt = QString::fromLatin1(DrillEvalReport::TemplateFileName);
        QVERIFY2(QFile::copy(QDir(QCoreApplication::applicationDirPath()).filePath(rpt),
                             QDir(m_fixture->folder()).filePath(rpt)),
                 "the report template must lie beside the test program");
        m_panel = std::make_unique<EvaluationPanel>(*m_db, m_messages, m_fixture->folder());
        m_panel->setCompanyName(Company);
        m_panel->show();
        m_used = m_panel.get();
        m_files = m_fixture.get();
    }

    void cleanup()
    {
        // Deleting a preview deletes its own pop-ups, which are top-level windows too.
        QList<QPointer<QWidget>> previews;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<ReportPreview*>(window))
                previews.append(window);
        }
        for (const QPointer<QWidget>& preview : previews)
            delete preview.data();
        m_panel.reset();
        m_db.reset();
        m_fixture.reset();
        Clock::reset();
    }

    void neverEvaluatedDrillGetsItsTenRows()
    {
        QVERIFY(openAlpha(DrillOneColumn));
        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 10);
        QCOMPARE(m_fixture
                     ->scalar(QStringLiteral("SELECT COUNT(DISTINCT IDQu) FROM Evaluation WHERE "
                                             "IDDrill = ? AND IDQu BETWEEN 1 AND 10"),
                              {m_alphaDrill})
                     .toInt(),
                 10);
        QCOMPARE(shown(), Answers{});
        QCOMPARE(text("totalLabel"), QStringLiteral("0"));
        QCOMPARE(text("shipLabel"), QStringLiteral("MV Alpha"));
        QCOMPARE(text("drillDateLabel"), QStringLiteral("3/2/2026"));
        QCOMPARE(text("masterLabel"), QStringLiteral("A. O'Neill"));
        QCOMPARE(text("companyLabel"), Company);
        QVERIFY(!command("confirmButton")->isHidden());

        // The other drill of the row shares the rows; opening again adds none.
        QVERIFY(openAlpha(DrillTwoColumn));
        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 10);
    }

    void missingQuestionRowsAreCompleted()
    {
        m_fixture->exec(QStringLiteral("INSERT INTO Evaluation (IDDrill, IDQu, Ev4) "
                                       "VALUES (?, 2, 1)"),
                        {m_alphaDrill});
        QVERIFY(openAlpha(DrillOneColumn));
        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 10);
        QCOMPARE(shown()[1], 4);
    }

    void totalFollowsEveryClick_data()
    {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QString>("total");
        QTest::newRow("all excellent") << uniform(5) << QStringLiteral("100");
        QTest::newRow("all poor") << uniform(1) << QStringLiteral("20");
        QTest::newRow("one good") << Answers{3} << QStringLiteral("6");
        QTest::newRow("mixed, two open")
            << Answers{1, 2, 3, 4, 5, 0, 5, 4, 0, 2} << QStringLiteral("52");
    }

    void totalFollowsEveryClick()
    {
        QFETCH(Answers, answers);
        QFETCH(QString, total);
        QVERIFY(openAlpha(DrillOneColumn));
        QVERIFY(chooseAll(answers));
        QCOMPARE(shown(), answers);
        QCOMPARE(text("totalLabel"), total);
        QCOMPARE(m_panel->totalPercent(), total.toInt());
    }

    void choosingAgainKeepsOneAnswerPerQuestion()
    {
        QVERIFY(openAlpha(DrillOneColumn));
        QVERIFY(choose(3, 3));
        QVERIFY(choose(3, 3));
        QVERIFY(button(3, 3)->isChecked());
        QCOMPARE(text("totalLabel"), QStringLiteral("6"));
        QVERIFY(choose(3, 5));
        QCOMPARE(shown(), (Answers{0, 0, 5}));
        QVERIFY(!button(3, 3)->isChecked());
        QCOMPARE(text("totalLabel"), QStringLiteral("10"));
    }

    void storedAnswersOfTheOpenedDrillAreShown_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Answers>("expected");
        QTest::newRow("Drill No 1") << DrillOneColumn << Answers{5, 4, 3, 2, 1};
        QTest::newRow("Drill No 2") << DrillTwoColumn << Answers{0, 0, 0, 0, 0, 1, 2, 3, 4, 5};
    }

    void storedAnswersOfTheOpenedDrillAreShown()
    {
        QFETCH(int, column);
        QFETCH(Answers, expected);
        createRows(m_alphaDrill);
        store(m_alphaDrill, QStringLiteral("Ev"), Answers{5, 4, 3, 2, 1});
        store(m_alphaDrill, QStringLiteral("Ev1"), Answers{0, 0, 0, 0, 0, 1, 2, 3, 4, 5});
        // A row that is not one of the ten questions is left alone.
        m_fixture->exec(QStringLiteral("INSERT INTO Evaluation (IDDrill, IDQu, Ev1, Ev11) "
                                       "VALUES (?, 11, 1, 1)"),
                        {m_alphaDrill});

        QVERIFY(choose(1, 1)); // left over from an earlier opening
        QVERIFY(m_panel->openForDrill(m_alphaDrill, QStringLiteral("MV Alpha"), {}, {}, column,
                                      storedOfAlpha(column)));
        QCOMPARE(shown(), expected);
        QCOMPARE(text("totalLabel"), QStringLiteral("30"));
    }

    void saveStoresOnlyTheOpenedDrill_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("savedPrefix");
        QTest::addColumn<QString>("keptPrefix");
        QTest::newRow("Drill No 1") << DrillOneColumn << "Ev"
                                    << "Ev1";
        QTest::newRow("Drill No 2") << DrillTwoColumn << "Ev1"
                                    << "Ev";
    }

    void saveStoresOnlyTheOpenedDrill()
    {
        QFETCH(int, column);
        QFETCH(QString, savedPrefix);
        QFETCH(QString, keptPrefix);
        LoadedWindow w({QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")});
        QVERIFY(loadWindow(w));
        const Answers kept{2, 2, 2, 0, 5};
        createRows(m_alphaDrill);
        store(m_alphaDrill, keptPrefix, kept);
        store(m_alphaDrill, savedPrefix, Answers{1, 1, 1});
        QSignalSpy closed(m_used, &EvaluationPanel::closed);

        QVERIFY(openInWindow(w, column));
        QVERIFY(chooseAll(Answers{4, 0, 5, 5, 3, 0, 1, 2, 3, 4}));
        const Answers answers{4, 1, 5, 5, 3, 0, 1, 2, 3, 4};
        QCOMPARE(shown(), answers);
        QTest::mouseClick(command("confirmButton"), Qt::LeftButton);

        QCOMPARE(stored(m_alphaDrill, savedPrefix), answers);
        QCOMPARE(stored(m_alphaDrill, keptPrefix), kept);
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 10);
        const auto field =
            column == DrillTwoColumn ? DrillRecord::CompEval1 : DrillRecord::CompEval;
        QCOMPARE(w.cellText(QStringLiteral("MV Alpha"), field), QStringLiteral("56"));
        QCOMPARE(closed.size(), 1);
        QVERIFY(m_used->isHidden());
        QVERIFY(w.messages.shown.isEmpty());
    }

    // Another program changes the drill while its questionnaire is open. The answers and the
    // total are one change over what they were at opening: the user sees both sides, and No
    // writes nothing at all; a deleted drill gets no answer rows.
    void aSaveIsOneChangeOverWhatItOpenedWith_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QVariant>("total"); // stored afterwards
        QTest::addColumn<int>("answer");     // of every question afterwards; 0 for no rows
        QTest::newRow("nobody else") << "" << false << QVariant("20") << 1;
        QTest::newRow("another's save, No") << "saved" << false << QVariant("100") << 5;
        QTest::newRow("another's save, Yes") << "saved" << true << QVariant("20") << 1;
        QTest::newRow("another's answers only, No") << "answers" << false << QVariant() << 5;
        QTest::newRow("drill deleted") << "deleted" << false << QVariant() << 0;
    }
    void aSaveIsOneChangeOverWhatItOpenedWith()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, overwrite);
        QFETCH(QVariant, total);
        QFETCH(int, answer);
        const QString alpha = QStringLiteral("MV Alpha");
        LoadedWindow w({alpha, QStringLiteral("MV Bravo")});
        QVERIFY(loadWindow(w));
        QVERIFY(openInWindow(w, DrillOneColumn));
        QVERIFY(chooseAll(uniform(1)));
        if (meanwhile == QLatin1String("deleted")) {
            w.fixture.exec(QStringLiteral("DELETE FROM Evaluation WHERE IDDrill = ?"),
                           {m_alphaDrill});
            w.fixture.exec(QStringLiteral("DELETE FROM Drills WHERE IDDrill = ?"), {m_alphaDrill});
        } else if (!meanwhile.isEmpty()) {
            w.fixture.exec(QStringLiteral("UPDATE Evaluation SET Ev5 = 1 WHERE IDDrill = ?"),
                           {m_alphaDrill});
            if (meanwhile == QLatin1String("saved"))
                w.fixture.exec(
                    QStringLiteral("UPDATE Drills SET CompEval = '100' WHERE IDDrill = ?"),
                    {m_alphaDrill});
        }
        w.messages.answerYes = overwrite;
        QTest::mouseClick(command("confirmButton"), Qt::LeftButton);

        QVERIFY(m_used->isHidden());
        const QVariant stored = w.fixture.scalar(
            QStringLiteral("SELECT CompEval FROM Drills WHERE IDDrill = ?"), {m_alphaDrill});
        QCOMPARE(stored.isNull() ? QVariant() : stored, total);
        QCOMPARE(this->stored(m_alphaDrill, QStringLiteral("Ev")),
                 answer ? uniform(answer) : Answers{});
        QCOMPARE(w.fixture
                     .scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation WHERE IDDrill = ?"),
                             {m_alphaDrill})
                     .toInt(),
                 answer ? 10 : 0);
        if (meanwhile.isEmpty()) {
            QVERIFY(w.messages.shown.isEmpty());
            QCOMPARE(w.cellText(alpha, DrillRecord::CompEval), QStringLiteral("20"));
            return;
        }
        QCOMPARE(w.messages.shown.size(), 1);
        const auto& told = w.messages.shown.first();
        QVERIFY(!told.yesFirst);
        QVERIFY2(told.text.contains(alpha), qPrintable(told.text));
        QVERIFY2(told.text.contains(QStringLiteral("20, answers 1 1 1 1 1 1 1 1 1 1")),
                 qPrintable(told.text));
        if (meanwhile != QLatin1String("deleted")) {
            QVERIFY2(told.text.contains(QStringLiteral("answers 5 5 5 5 5 5 5 5 5 5")),
                     qPrintable(told.text));
            QCOMPARE(w.cellText(alpha, DrillRecord::CompEval), total.toString());
        }
    }

    void cancelStoresNothing()
    {
        createRows(m_alphaDrill);
        store(m_alphaDrill, QStringLiteral("Ev"), Answers{2, 2});
        QSignalSpy saved(m_panel.get(), &EvaluationPanel::saveRequested);
        QSignalSpy closed(m_panel.get(), &EvaluationPanel::closed);
        QVERIFY(openAlpha(DrillOneColumn));
        QVERIFY(chooseAll(uniform(5)));
        QTest::mouseClick(command("cancelFormButton"), Qt::LeftButton);

        QCOMPARE(stored(m_alphaDrill, QStringLiteral("Ev")), (Answers{2, 2}));
        QCOMPARE(stored(m_alphaDrill, QStringLiteral("Ev1")), Answers{});
        QCOMPARE(saved.size(), 0);
        QCOMPARE(closed.size(), 1);
        QVERIFY(m_panel->isHidden());
    }

    void blankFormShowsNothingAndCannotSave()
    {
        createRows(m_alphaDrill);
        store(m_alphaDrill, QStringLiteral("Ev"), uniform(4));
        QVERIFY(openAlpha(DrillOneColumn));
        m_panel->openBlank();

        QCOMPARE(shown(), Answers{});
        QCOMPARE(text("totalLabel"), QString());
        QCOMPARE(text("shipLabel"), QString());
        QCOMPARE(text("drillDateLabel"), QString());
        QCOMPARE(text("masterLabel"), QString());
        QCOMPARE(text("companyLabel"), Company);
        QVERIFY(command("confirmButton")->isHidden());

        QVERIFY(choose(7, 4));
        QCOMPARE(text("totalLabel"), QStringLiteral("8"));
        QTest::mouseClick(command("cancelFormButton"), Qt::LeftButton);
        QCOMPARE(stored(m_alphaDrill, QStringLiteral("Ev")), uniform(4));
    }

    void printCopiesTheShownQuestionnaireOnce()
    {
        createRows(m_alphaDrill);
        QVERIFY(openAlpha(DrillTwoColumn));
        QVERIFY(choose(2, 4));
        QVERIFY(choose(10, 5));
        QTest::mouseClick(command("printFormButton"), Qt::LeftButton);
        QVERIFY(choose(1, 2));
        QTest::mouseClick(command("printFormButton"), Qt::LeftButton);

        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM PrintEval")).toInt(), 1);
        QCOMPARE(printed("Company").toString(), Company);
        QCOMPARE(printed("Ship").toString(), QStringLiteral("MV Alpha"));
        QCOMPARE(printed("DrillDate").toString(), QStringLiteral("3/2/2026"));
        QCOMPARE(printed("Master").toString(), QStringLiteral("A. O'Neill"));
        QCOMPARE(printed("Total").toString(), QStringLiteral("22"));
        QCOMPARE(printed("D1").toString(), QStringLiteral("Tuesday, 10 March 2026"));
        QCOMPARE(printed("H1").toString(), QStringLiteral("14:05:09"));
        for (int question = 1; question <= 10; ++question) {
            const int chosen = question == 1 ? 2 : question == 2 ? 4 : question == 10 ? 5 : 0;
            for (int scale = 1; scale <= 5; ++scale) {
                const QString field = QStringLiteral("Ev%1%2").arg(question).arg(scale);
                QCOMPARE(printed(field).toString(),
                         scale == chosen ? QStringLiteral("<") : QStringLiteral(")"));
            }
        }
        // Printing stores no answer, and the panel stays open.
        QCOMPARE(stored(m_alphaDrill, QStringLiteral("Ev1")), Answers{});
        QVERIFY(!m_panel->isHidden());
        int previews = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* preview = qobject_cast<ReportPreview*>(window)) {
                ++previews;
                QCOMPARE(preview->pageCount(), 1);
            }
        }
        QCOMPARE(previews, 2);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void blankFormPrintsEmptyFieldsAndOpenBoxes()
    {
        m_panel->openBlank();
        QVERIFY(m_panel->fillPrintTable());
        QCOMPARE(printed("Company").toString(), Company);
        for (const char* field : {"Ship", "DrillDate", "Master", "Total"})
            QVERIFY2(printed(QString::fromLatin1(field)).isNull(), field);
        QCOMPARE(m_fixture
                     ->scalar(QStringLiteral("SELECT (Ev11 || Ev12 || Ev13 || Ev14 || Ev15 || "
                                             "Ev51 || Ev75 || Ev101 || Ev105) FROM PrintEval"))
                     .toString(),
                 QStringLiteral(")))))))))"));

        const QString pdf = printToPdf();
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCountOfPdf(pdf), 1);
        const QString page = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QCOMPARE(page.count(QChar(0x2610)), 50); // an empty box for every answer
        QCOMPARE(page.count(QChar(0x2714)), 0);
        QVERIFY(page.contains(QStringLiteral("______"))); // lines to fill in by hand
    }

    // The user's path: "Print Preview" on the blank form, then Print and Export PDF there.
    void printerAndExportShowTheSameForm()
    {
        m_panel->openBlank();
        QTest::mouseClick(command("printFormButton"), Qt::LeftButton);
        ReportPreview* preview = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<ReportPreview*>(window))
                preview = found;
        }
        QVERIFY(preview);
        const QString exported = QDir(m_fixture->folder()).filePath(QStringLiteral("export.pdf"));
        QVERIFY(preview->exportPdf(exported));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(
            QDir(m_fixture->folder()).filePath(QStringLiteral("printed.pdf")));
        QVERIFY(preview->print(printer));

        const QStringList layout{QStringLiteral("-layout")};
        const QString printedText = runTool(QStringLiteral("pdftotext"),
                                            layout + QStringList{printer.outputFileName(), "-"});
        QVERIFY(!printedText.isEmpty());
        QVERIFY2(!printedText.contains(QRegularExpression(QStringLiteral(R"((?m)^\s*_+\s*$)"))),
                 qPrintable(printedText));
        QCOMPARE(printedText,
                 runTool(QStringLiteral("pdftotext"), layout + QStringList{exported, "-"}));
        QVERIFY2(!printedText.contains(QRegularExpression(QStringLiteral(R"((?m)^\s*_+\s*$)"))),
                 qPrintable(printedText));
        QCOMPARE(preview->pageCount(), pageCountOfPdf(printer.outputFileName()));
    }

    // The message for an emptied DrillEval.rpt shows the line it needs, with its own table.
    void anEmptiedFormFileIsNamedWithItsOwnTable()
    {
        QVERIFY(writeTestFile(QDir(m_fixture->folder())
                                  .filePath(QString::fromLatin1(DrillEvalReport::TemplateFileName)),
                              QByteArray()));
        m_panel->openBlank();
        QVERIFY(m_panel->fillPrintTable());
        QVERIFY(printToPdf().isEmpty());
        QCOMPARE(m_messages.shown.size(), 1);
        const QString told = m_messages.shown.first().text;
        QVERIFY2(told.contains(QString::fromLatin1(DrillEvalReport::TemplateFileName)) &&
                     told.contains(QStringLiteral("{{! table: PrintEval }}")),
                 qPrintable(told));
    }

    // Names of 80 characters without a blank break where they must; the form stays on one page.
    void longUnbrokenNamesKeepTheFormOnOnePage()
    {
        // Each name: a start and one letter repeated, 80 characters in all.
        const QList<std::pair<QString, QChar>> names = {{QStringLiteral("MV"), u'S'},
                                                        {QStringLiteral("Capt"), u'M'},
                                                        {QStringLiteral("Co"), u'C'}};
        QStringList whole;
        for (const auto& [start, letter] : names)
            whole.append(start + QString(80 - start.size(), letter));
        m_panel->setCompanyName(whole.at(2));
        QVERIFY(m_panel->openForDrill(m_alphaDrill, whole.at(0), QStringLiteral("3/2/2026"),
                                      whole.at(1), DrillOneColumn, storedOfAlpha(DrillOneColumn)));
        QVERIFY(m_panel->fillPrintTable());
        const QString pdf = printToPdf();
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCountOfPdf(pdf), 1);
        // Each name whole in the form's head, in pieces on the lines it breaks over.
        const QString head = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                                 .section(QStringLiteral("QUESTIONS"), 0, 0);
        for (qsizetype i = 0; i < names.size(); ++i) {
            QString joined;
            auto pieces = QRegularExpression(QStringLiteral("(?<!\\S)(%1)?%2{2,}(?!\\S)")
                                                 .arg(names.at(i).first, names.at(i).second))
                              .globalMatch(head);
            while (pieces.hasNext())
                joined += pieces.next().captured();
            QCOMPARE(joined, whole.at(i));
        }
    }

    void printedFormShowsTheQuestionsAndMarks()
    {
        QVERIFY(openAlpha(DrillOneColumn));
        QVERIFY(chooseAll(Answers{5, 4, 0, 3, 2, 1, 0, 5, 5, 1}));
        QVERIFY(m_panel->fillPrintTable());
        const QString pdf = printToPdf();
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCountOfPdf(pdf), 1);
        const QString page =
            runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).simplified();
        for (const char* expected :
             {"QUESTIONS FOR THE HBQ ORX DRILL EVALUATION", "Aegean & <Ionian> Shipping",
              "MV Alpha", "3/2/2026", "A. O'Neill", "How well the drill was organized?",
              "INCIDENT REPORT TO HBQ ORX TEAM - Step 2 of 3:", "information & intact condition",
              "FOLLOW UP REPORTS/CORRECTIVE ACTIONS:",
              "Was the Index of Record Keeping correctly updated for ISM files?",
              "Tuesday, 10 March 2026, 14:05:09"})
            QVERIFY2(page.contains(QString::fromUtf8(expected)), expected);
        QCOMPARE(page.count(QChar(0x2714)), 8);
        QCOMPARE(page.count(QChar(0x2610)), 42);
        const QString laidOut = runTool(QStringLiteral("pdftotext"),
                                        {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(laidOut.contains(
            QRegularExpression(QStringLiteral(R"(Total Evaluation \(%\) :\s+52\b)"))));
    }

    void failedSaveKeepsThePanelAndTheStoredAnswers()
    {
        LoadedWindow w({QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")});
        QVERIFY(loadWindow(w));
        createRows(m_alphaDrill);
        store(m_alphaDrill, QStringLiteral("Ev"), uniform(2));
        w.fixture.exec(QStringLiteral("CREATE TRIGGER RefuseQuestion7 BEFORE UPDATE ON "
                                      "Evaluation WHEN NEW.IDQu = 7 BEGIN "
                                      "SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(openInWindow(w, DrillOneColumn));
        QVERIFY(chooseAll(uniform(4)));
        QTest::mouseClick(command("confirmButton"), Qt::LeftButton);

        QCOMPARE(stored(m_alphaDrill, QStringLiteral("Ev")), uniform(2)); // questions 1-6 too
        QVERIFY(w.fixture
                    .scalar(QStringLiteral("SELECT CompEval FROM Drills WHERE IDDrill = ?"),
                            {m_alphaDrill})
                    .isNull());
        QVERIFY(!m_used->isHidden());
        QCOMPARE(shown(), uniform(4));
        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().icon, Messages::Icon::Critical);
    }

    void failedOpeningLeavesNoHalfOfTheRows()
    {
        m_fixture->exec(QStringLiteral("CREATE TRIGGER RefuseQuestion5 BEFORE INSERT ON "
                                       "Evaluation WHEN NEW.IDQu = 5 BEGIN "
                                       "SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(!openAlpha(DrillOneColumn));
        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 0);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.first().icon, Messages::Icon::Critical);
    }

    void failedPrintKeepsTheLastQuestionnaire()
    {
        QVERIFY(openAlpha(DrillOneColumn));
        QVERIFY(m_panel->fillPrintTable());
        m_fixture->exec(QStringLiteral("CREATE TRIGGER RefusePrint BEFORE INSERT ON PrintEval "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        m_panel->openBlank();
        QTest::mouseClick(command("printFormButton"), Qt::LeftButton);

        QCOMPARE(m_fixture->scalar(QStringLiteral("SELECT COUNT(*) FROM PrintEval")).toInt(), 1);
        QCOMPARE(printed("Ship").toString(), QStringLiteral("MV Alpha"));
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.first().icon, Messages::Icon::Critical);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget* window) {
            return qobject_cast<ReportPreview*>(window) != nullptr;
        }));
    }
};

QTEST_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
