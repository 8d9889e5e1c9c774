#include "evaluation/DrillEvalReport.h"

#include "common/AppFolder.h"
#include "data/PrintEvalTable.h"
#include "reports/ReportControl.h"

void DrillEvalReport::addChoices(ReportValues& row)
{
    const QString chosenMark = QString::fromLatin1(PrintEvalTable::ChosenMark);
    for (int question = 1; question <= EvaluationTable::QuestionCount; ++question) {
        for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale) {
            const QString field = QStringLiteral("%1%2").arg(question).arg(scale);
            row[QStringLiteral("Chosen") + field] =
                row.value(QStringLiteral("Ev") + field).toString() == chosenMark;
        }
    }
}

void DrillEvalReport::prepare(ReportControl& control, const DrillDatabase& db,
                              const QString& applicationFolder)
{
    control.setDatabase(db);
    control.setReportFileName(
        AppFolder::programFile(applicationFolder, QString::fromLatin1(TemplateFileName)));
    control.setReportShape({QStringLiteral("PrintEval"), false});
    control.setRowHook([](QList<ReportValues>& rows, ReportValues&) {
        for (ReportValues& row : rows)
            addChoices(row);
    });
}
