#include "data/DrillFields.h"

QString DrillFields::Field::sqlName() const
{
    const QString name = storedName();
    return name.contains(u' ') ? u'"' + name + u'"' : name;
}

const DrillFields::Field* DrillFields::named(const QString& stored)
{
    for (const Field& field : All) {
        if (stored == QLatin1String(field.stored))
            return &field;
    }
    return nullptr;
}
