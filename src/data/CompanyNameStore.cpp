#include "data/CompanyNameStore.h"

#include "data/DrillStore.h"
#include "data/WorkerCalls.h"

std::optional<QString> CompanyNameStore::name()
{
    return m_calls.call<std::optional<QString>>(
        [](DrillStore& store) { return CompanyTable(store.database()).name(); });
}

CompanyTable::Write CompanyNameStore::replaceName(const QString& startedFrom, const QString& name,
                                                  const std::function<void()>& waiting)
{
    using Write = CompanyTable::Write;
    return m_calls.call<Write>(
        [startedFrom, name, told = m_calls.toldHere(waiting)](DrillStore& store) {
            return store.waitingIfLocked(
                [&](DrillDatabase& db) { return CompanyTable(db).replaceName(startedFrom, name); },
                [](const Write& write) { return write.outcome == CompanyTable::Outcome::MetLock; },
                told);
        });
}
