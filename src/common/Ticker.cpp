#include "common/Ticker.h"

Ticker::Ticker(std::chrono::milliseconds interval, Repeat repeat, QObject* parent) : QObject(parent)
{
    m_timer.setInterval(interval);
    m_timer.setSingleShot(repeat == Repeat::Once);
    connect(&m_timer, &QTimer::timeout, this, &Ticker::ticked);
}

Ticker* Tickers::make(Ticker::Step, std::chrono::milliseconds interval, Ticker::Repeat repeat,
                      QObject* owner)
{
    return new Ticker(interval, repeat, owner);
}

Tickers& Tickers::timed()
{
    static Tickers tickers;
    return tickers;
}
