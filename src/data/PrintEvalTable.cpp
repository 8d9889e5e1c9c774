#include "data/PrintEvalTable.h"

#include "common/DateText.h"
#include "data/DrillDatabase.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

} // namespace

bool PrintEvalTable::refill(DrillDatabase& db, const Questionnaire& questionnaire,
                            const QDateTime& printed, DataFailure* failure)
{
    QStringList fields = {QStringLiteral("Company"), QStringLiteral("Ship"),
                          QStringLiteral("DrillDate"), QStringLiteral("Master")};
    QVariantList values = {questionnaire.company, textOrNull(questionnaire.ship),
                           textOrNull(questionnaire.drillDate), textOrNull(questionnaire.master)};
    for (int question = 1; question <= EvaluationTable::QuestionCount; ++question) {
        for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale) {
            fields << QStringLiteral("Ev%1%2").arg(question).arg(scale);
            const bool chosen = questionnaire.answers[question - 1] == scale;
            values << QString::fromLatin1(chosen ? ChosenMark : OpenMark);
        }
    }
    fields << QStringLiteral("Total") << QStringLiteral("D1") << QStringLiteral("H1");
    values << textOrNull(questionnaire.total) << DateText::longDate(printed.date())
           << DateText::timeText(printed.time());

    QSqlError notCommitted;
    return db.inTransaction(
               [&] {
                   QSqlQuery query(db.connection());
                   query.prepare(QStringLiteral("DELETE FROM PrintEval"));
                   if (!DrillDatabase::exec(query, "Emptying PrintEval"))
                       return DataFailure::keep(query.lastError(), failure);
                   const QStringList placeholders(fields.size(), QStringLiteral("?"));
                   query.prepare(QStringLiteral("INSERT INTO PrintEval (%1) VALUES (%2)")
                                     .arg(fields.join(QStringLiteral(", ")),
                                          placeholders.join(QStringLiteral(", "))));
                   for (const QVariant& value : std::as_const(values))
                       query.addBindValue(value);
                   return DrillDatabase::exec(query, "Writing the questionnaire into PrintEval") ||
                          DataFailure::keep(query.lastError(), failure);
               },
               &notCommitted) ||
           DataFailure::keep(notCommitted, failure);
}
