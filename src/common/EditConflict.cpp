#include "common/EditConflict.h"

#include <QCoreApplication>

QString editConflictQuestion(const QString& what, const QString& storedNow, const QString& typed)
{
    return QCoreApplication::translate("EditConflict",
                                       "Another user changed %1 while you were editing it.\n\n"
                                       "Stored now: \"%2\"\nYou typed: \"%3\"\n\n"
                                       "Store what you typed over it? No keeps the stored value.")
        .arg(what, storedNow, typed);
}
