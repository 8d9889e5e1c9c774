#pragma once

#include "data/CompanyTable.h"

#include <QString>

#include <functional>
#include <optional>

class WorkerCalls;

// The company name, read and stored through the window's calls, so that another user's lock
// holds up the connection that waits for it, never the window.
class CompanyNameStore
{
public:
    explicit CompanyNameStore(WorkerCalls& calls) : m_calls(calls) {}

    // See CompanyTable::name.
    std::optional<QString> name();
    // See CompanyTable::replaceName. A write that meets another user's lock calls `waiting`
    // once, here, before it waits as long as the connection does.
    CompanyTable::Write replaceName(const QString& startedFrom, const QString& name,
                                    const std::function<void()>& waiting);

private:
    WorkerCalls& m_calls;
};
