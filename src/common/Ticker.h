#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// A timed step of the program: once after its interval, or again at every interval.
class Ticker : public QObject
{
    Q_OBJECT
public:
    // The program's timed steps, by what they are for.
    enum class Step
    {
        Clock,          // the status line's clock, and the grid's colours past midnight
        NewShips,       // new ships' rows, once the fleet's list has settled
        Reconnect,      // another try at the lost server
        ServerAlive,    // a light question whether the server still answers
        SplashHandOver, // the splash gives way to the main window
        DueDay          // a look whether the day changed, for the due drills' notification
    };
    enum class Repeat
    {
        Once,
        Always
    };

    Ticker(std::chrono::milliseconds interval, Repeat repeat, QObject* parent);

    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }
    std::chrono::milliseconds interval() const { return m_timer.intervalAsDuration(); }

signals:
    void ticked();

private:
    QTimer m_timer;
};

// Where a window gets its tickers: a test keeps them, to fire a step at once or to see whether
// it waits.
class Tickers
{
public:
    virtual ~Tickers() = default;
    virtual Ticker* make(Ticker::Step step, std::chrono::milliseconds interval,
                         Ticker::Repeat repeat, QObject* owner);

    // Tickers that only the time fires.
    static Tickers& timed();
};
