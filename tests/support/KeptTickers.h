#pragma once

#include "common/Ticker.h"

#include <QHash>
#include <QPointer>

// Tickers that run on time as the program's do, kept by step so that a test can fire one at
// once or see whether it waits.
class KeptTickers : public Tickers
{
public:
    Ticker* make(Ticker::Step step, std::chrono::milliseconds interval, Ticker::Repeat repeat,
                 QObject* owner) override
    {
        Ticker* ticker = Tickers::make(step, interval, repeat, owner);
        m_made.insert(step, ticker);
        return ticker;
    }

    Ticker* operator[](Ticker::Step step) const { return m_made.value(step); }
    // The step's tick, now.
    void fire(Ticker::Step step) const { emit m_made.value(step)->ticked(); }

private:
    QHash<Ticker::Step, QPointer<Ticker>> m_made;
};
