#pragma once

#include "data/DrillChange.h"
#include "data/EvaluationTable.h"
#include "data/PrintEvalTable.h"
#include "reports/ReportControl.h"

#include <QFrame>

#include <array>

class DatabaseWorker;
class DrillDatabase;
class Messages;
class QButtonGroup;
class QLabel;
class QPushButton;
class ReportRequest;

// The drill evaluation questionnaire: ten questions, each answered on a scale of 1 to 5,
// with the running total percentage. Opened for one drill of a drill-grid row, or as a
// blank form for printing. The owner places and shows it, and stores what Save hands it: the
// answers as they were when the panel opened and as chosen now, with the total, as one change.
// The panel hides itself on Cancel, and on Save once the owner has settled the change.
class EvaluationPanel : public QFrame
{
    Q_OBJECT
public:
    // The application folder holds the report template.
    EvaluationPanel(DrillDatabase& db, Messages& messages, QString applicationFolder,
                    QWidget* parent = nullptr);

    // Shows the stored answers of one drill, as EvaluationTable::open() gave them; the grid
    // column (6 or 10) picks Drill No 1 or 2. False when there are none, as they could not be
    // opened: the user has been told, and the panel should not be shown. Read-only (a closed
    // year): the answers are shown, and cannot be changed or saved.
    bool openForDrill(qint64 idDrill, const QString& ship, const QString& drillDate,
                      const QString& master, int column,
                      const std::optional<EvaluationTable::Answers>& stored, bool readOnly = false);
    // The "Evaluation Form": nothing chosen, no drill, no total, no "Save".
    void openBlank();
    void setCompanyName(const QString& name);
    // A role that may only read: "Save" is off.
    void setSaveEnabled(bool enabled);

    // Twice the sum of the chosen scale values: 0 to 100.
    int totalPercent() const;
    // Copies what the panel shows, unsaved answers included, into PrintEval.
    // False when it could not; the user has been told.
    bool fillPrintTable();
    // From now on "Print Preview" fills and reads the table on the worker's thread, and the
    // preview opens when the rows arrive.
    void printThrough(DatabaseWorker& worker);

    // The change Save handed over is settled (stored, or the stored one kept): the panel goes.
    void finish();

signals:
    // Save was pressed; total is the percentage as the panel shows it.
    void saveRequested(const AnswersChange& answers, const QString& total);
    // Save or Cancel hid the panel.
    void closed();
    // The printed form waits, for the status line; empty when it no longer does.
    void waitShown(const QString& text);

private:
    void buildHeader();
    void buildQuestions();
    void buildFooter();
    QFrame* addQuestionRow(int question, int top);
    void addOptionGroup(int question, QWidget* row);

    void showAnswers(const EvaluationTable::Answers& answers);
    EvaluationTable::Answers shownAnswers() const;
    void showTotal();
    void setOptionsEnabled(bool enabled);

    void confirm();
    void cancel();
    void printForm();
    PrintEvalTable::Questionnaire shownQuestionnaire() const;
    void tellNotPrintable();

    DrillDatabase& m_db;
    Messages& m_messages;
    QString m_folder;
    qint64 m_idDrill = 0;
    EvaluationTable::Drill m_drill = EvaluationTable::Drill::First;
    EvaluationTable::Answers m_openedWith{}; // the stored answers when the panel opened

    QLabel* m_companyLabel = nullptr;
    QLabel* m_drillDateLabel = nullptr;
    QLabel* m_shipLabel = nullptr;
    QLabel* m_masterLabel = nullptr;
    std::array<QButtonGroup*, EvaluationTable::QuestionCount> m_options{}; // question1..question10
    QLabel* m_totalLabel = nullptr;
    QPushButton* m_cancelFormButton = nullptr;
    QPushButton* m_printFormButton = nullptr;
    QPushButton* m_confirmButton = nullptr;
    ReportControl m_formReport;
    ReportRequest* m_printRequest = nullptr; // the way through the worker, once given
};
