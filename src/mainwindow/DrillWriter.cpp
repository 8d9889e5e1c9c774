#include "mainwindow/DrillWriter.h"

#include "common/DateText.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/Dialect.h"
#include "data/DrillDataSource.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

// A questionnaire's value is its total with its answers; a field's is its text.
QString withAnswers(const DrillChange& change, const QString& value,
                    const EvaluationTable::Answers& answers)
{
    if (!change.answers)
        return value;
    QStringList chosen;
    for (const int answer : answers)
        chosen << (answer > 0 ? QString::number(answer) : QStringLiteral("-"));
    return DrillWriter::tr("%1, answers %2").arg(value, chosen.join(QStringLiteral(" ")));
}

QString typedOf(const DrillChange& change)
{
    return withAnswers(change, change.value,
                       change.answers ? change.answers->wanted : EvaluationTable::Answers{});
}

} // namespace

DrillWriter::DrillWriter(DrillDataSource& data, Messages& messages, QObject* parent)
    : QObject(parent), m_data(data), m_messages(messages)
{
}

DrillCellEdit DrillWriter::editOf(const DrillRecord& record, DrillRecord::Column field)
{
    return {DrillChange::of(record, field, {}), record.shown(field),
            tr("%1 of %2, Drill No %3")
                .arg(DrillRecord::caption(field), record.shipName)
                .arg(DrillRecord::drillOf(field) + 1)};
}

DrillWriter::Stored DrillWriter::store(DrillCellEdit edit)
{
    DrillChange change = edit.change;
    if (DrillRecord::isDate(change.field)) {
        const auto date = DateText::read(change.value);
        if (!date)
            return refuse(edit, {QStringLiteral("13"), QStringLiteral("Type mismatch")});
        change.value = DateText::toIso(*date);
    }
    const DrillWriteResult result = write({change, edit.shown, edit.name});
    using Outcome = DrillWriteResult::Outcome;
    switch (result.outcome) {
    case Outcome::Written:
        emit cellStored(m_alongside && result.alongsideDone);
        return Stored::Written;
    case Outcome::Unchanged:
        return Stored::Unchanged;
    case Outcome::Conflict:
        return settleConflict(edit, result);
    case Outcome::Busy:
        return tellBusy(edit);
    case Outcome::Gone:
        tellGone(edit);
        return Stored::Unchanged;
    case Outcome::ConnectionLost:
        emit connectionLost();
        return Stored::Refused;
    case Outcome::Failed:
        break;
    }
    // A year closed since the edit began takes it no more; the check says by whom and when.
    if (m_closedMeanwhile && m_closedMeanwhile())
        return Stored::Unchanged;
    return refuse(edit, result.failure);
}

DrillWriteResult DrillWriter::write(const DrillCellEdit& edit)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool waited = false;
    const DrillWriteResult result = m_data.write(edit.change, m_alongside, [&] {
        waited = true;
        emit waitingForLock(
            tr("Waiting for another user to finish: %1 is not stored yet ...").arg(edit.name));
    });
    if (waited)
        emit waitingForLock({});
    QGuiApplication::restoreOverrideCursor();
    return result;
}

// Another user stored the field since the edit began: the user sees both values and chooses;
// the typed text stays in its box until then. The record is read after the write, which may
// have let the records be read again meanwhile.
DrillWriter::Stored DrillWriter::settleConflict(DrillCellEdit edit, const DrillWriteResult& refused)
{
    const DrillChange& change = edit.change;
    const DrillRecord* record = m_data.recordOf(change.idDrill);
    const QString storedNow = record ? record->shown(change.field) : refused.storedNow;
    const bool overwrite = m_messages.askToReplace(
        ProgramTitle,
        editConflictQuestion(edit.name, withAnswers(change, storedNow, refused.answersNow),
                             typedOf(change)));
    if (!overwrite)
        return Stored::Unchanged;
    edit.change.startedFrom = refused.storedNow;
    if (edit.change.answers)
        edit.change.answers->startedFrom = refused.answersNow;
    return store(edit);
}

void DrillWriter::tellGone(const DrillCellEdit& edit)
{
    m_messages.tell(Messages::Icon::Information, ProgramTitle,
                    tr("Another user deleted the drill record while you were editing %1. What "
                       "you entered, \"%2\", was not stored.")
                        .arg(edit.name, typedOf(edit.change)));
}

DrillWriter::Stored DrillWriter::tellBusy(const DrillCellEdit& edit)
{
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("Another user is using the database, so %1 could not be stored. What you "
                       "typed, \"%2\", is still in its box: press Enter to try again.")
                        .arg(edit.name, edit.change.value));
    return Stored::Refused;
}

DrillWriter::Stored DrillWriter::refuse(const DrillCellEdit& edit, const DataFailure& failure)
{
    // The program's own "Type mismatch" shares its number with SQLite's full disk.
    const bool explained =
        !failure.text.isEmpty() && failure.text == Dialect::plainReason(failure.number);
    const QString sentence =
        DrillRecord::isDate(edit.change.field) && !explained
            ? QStringLiteral(". The %1 is not a valid date ! Please, try again.")
                  .arg(edit.change.value)
            : QString();
    // A full disk is no error in what was typed.
    m_messages.tell(Messages::Icon::Critical,
                    explained ? ProgramTitle : QStringLiteral("Error input data ... "),
                    failure.sentence() + sentence);
    return Stored::Refused;
}
