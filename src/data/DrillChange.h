#pragma once

#include "data/DrillRecord.h"
#include "data/EvaluationTable.h"

#include <QString>

#include <optional>

// The answers of a questionnaire as a change: what they were when it opened, and what the user
// chose.
struct AnswersChange
{
    EvaluationTable::Answers startedFrom{};
    EvaluationTable::Answers wanted{};
};

// One edit of one drill field, in stored form (dates as "yyyy-MM-dd"): the drill, the field,
// the value the user started from and the value they want. The write only lands when the field
// still holds the value they started from. An evaluation field may carry the questionnaire's
// answers with it: then the answers and the total are one change, written together or not at
// all, and only while both still hold what they started from.
struct DrillChange
{
    qint64 idDrill = 0;
    DrillRecord::Column field = DrillRecord::Master;
    QString startedFrom;
    QString value;
    std::optional<AnswersChange> answers = std::nullopt;

    // A change of the record's field from what the record holds now.
    static DrillChange of(const DrillRecord& record, DrillRecord::Column field, QString value)
    {
        return {record.idDrill, field, record.stored(field), std::move(value), {}};
    }

    bool changesNothing() const
    {
        return value == startedFrom && (!answers || answers->wanted == answers->startedFrom);
    }
};
