#pragma once

#include "data/DrillRecord.h"

#include <QString>

// One edit of one drill field, in stored form (dates as "yyyy-MM-dd"): the drill, the field,
// the value the user started from and the value they want. The write only lands when the field
// still holds the value they started from.
struct DrillChange
{
    qint64 idDrill = 0;
    DrillRecord::Column field = DrillRecord::Master;
    QString startedFrom;
    QString value;

    // A change of the record's field from what the record holds now.
    static DrillChange of(const DrillRecord& record, DrillRecord::Column field, QString value)
    {
        return {record.idDrill, field, record.stored(field), std::move(value)};
    }
};
