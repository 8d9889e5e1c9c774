#include "data/EvaluationTable.h"

#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// "Ev1".."Ev5" for Drill No 1, "Ev11".."Ev15" for Drill No 2.
QStringList flagFields(EvaluationTable::Drill drill)
{
    const QString prefix =
        drill == EvaluationTable::Drill::Second ? QStringLiteral("Ev1") : QStringLiteral("Ev");
    QStringList fields;
    for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale)
        fields << prefix + QString::number(scale);
    return fields;
}

bool isQuestion(int number)
{
    return number >= 1 && number <= EvaluationTable::QuestionCount;
}

// The last flag set wins, as when the flags are applied to the buttons one after another.
int chosenScale(const QSqlQuery& row)
{
    int chosen = 0;
    for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale) {
        if (row.value(scale).toBool())
            chosen = scale;
    }
    return chosen;
}

QString upsertStatement(const QStringList& fields)
{
    QStringList updates;
    for (const QString& field : fields)
        updates << QStringLiteral("%1 = excluded.%1").arg(field);
    return QStringLiteral("INSERT INTO Evaluation (IDDrill, IDQu, %1) VALUES (?, ?, ?, ?, ?, ?, ?) "
                          "ON CONFLICT (IDDrill, IDQu) DO UPDATE SET %2")
        .arg(fields.join(QStringLiteral(", ")), updates.join(QStringLiteral(", ")));
}

} // namespace

EvaluationTable::Drill EvaluationTable::drillOfColumn(int column)
{
    // The grid's fixed column comes first, then a record's columns in their order.
    const auto second = DrillRecord::columnOf(DrillFields::of(1, DrillFields::Part::Evaluation));
    return column == second + 1 ? Drill::Second : Drill::First;
}

bool EvaluationTable::ensureRows(DrillDatabase& db, qint64 idDrill)
{
    return db.inTransaction([&] {
        QSqlQuery query(db.connection());
        query.prepare(QStringLiteral("INSERT INTO Evaluation (IDDrill, IDQu) VALUES (?, ?) "
                                     "ON CONFLICT (IDDrill, IDQu) DO NOTHING"));
        for (int question = 1; question <= QuestionCount; ++question) {
            query.addBindValue(idDrill);
            query.addBindValue(question);
            if (!DrillDatabase::exec(query, "Creating the question rows of a drill"))
                return false;
        }
        return true;
    });
}

std::optional<EvaluationTable::Answers> EvaluationTable::load(DrillDatabase& db, qint64 idDrill,
                                                              Drill drill)
{
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT IDQu, %1 FROM QuEvaluations WHERE IDDrill = ?")
                      .arg(flagFields(drill).join(QStringLiteral(", "))));
    query.addBindValue(idDrill);
    if (!DrillDatabase::exec(query, "Reading the answers of a drill"))
        return std::nullopt;
    Answers answers{};
    while (query.next()) {
        const int question = query.value(0).toInt();
        if (isQuestion(question))
            answers[question - 1] = chosenScale(query);
    }
    return answers;
}

std::optional<EvaluationTable::Answers> EvaluationTable::open(DrillDatabase& db, qint64 idDrill,
                                                              Drill drill, bool readOnly)
{
    if (!readOnly && !ensureRows(db, idDrill))
        return std::nullopt;
    return load(db, idDrill, drill);
}

bool EvaluationTable::save(DrillDatabase& db, qint64 idDrill, Drill drill, const Answers& answers)
{
    return db.inTransaction([&] { return store(db, idDrill, drill, answers, nullptr); });
}

bool EvaluationTable::store(DrillDatabase& db, qint64 idDrill, Drill drill, const Answers& answers,
                            QSqlError* refused)
{
    QSqlQuery query(db.connection());
    query.prepare(upsertStatement(flagFields(drill)));
    for (int question = 1; question <= QuestionCount; ++question) {
        query.addBindValue(idDrill);
        query.addBindValue(question);
        for (int scale = 1; scale <= ScaleSize; ++scale)
            query.addBindValue(answers[question - 1] == scale ? 1 : 0);
        if (!DrillDatabase::exec(query, "Storing the answers of a drill")) {
            if (refused)
                *refused = query.lastError();
            return false;
        }
    }
    return true;
}

QString EvaluationTable::digits(const Answers& answers)
{
    QString text;
    for (const int answer : answers)
        text += QChar(u'0' + answer);
    return text;
}

EvaluationTable::Answers EvaluationTable::fromDigits(const QString& digits)
{
    Answers answers{};
    for (int question = 0; question < QuestionCount && question < digits.size(); ++question)
        answers[question] = qBound(0, digits.at(question).digitValue(), ScaleSize);
    return answers;
}
