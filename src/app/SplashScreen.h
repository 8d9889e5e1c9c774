#pragma once

#include "common/Ticker.h"

#include <QWidget>

#include <functional>

class QFrame;

// The first window: the product's identity while the program starts. After 3.5 seconds, or at
// once on a key press, it hands over to the main window. A click on the picture frame ends
// the program instead.
class SplashScreen : public QWidget
{
    Q_OBJECT
public:
    explicit SplashScreen(std::function<void()> openMainWindow, Tickers& tickers = Tickers::timed(),
                          QWidget* parent = nullptr);
    ~SplashScreen() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handOver();
    void releasePointer();

    std::function<void()> m_openMainWindow;
    QFrame* m_splashFrame;
    Ticker* m_handOverTimer;
    bool m_pointerIsHourglass = false;
    bool m_handedOver = false;
};
