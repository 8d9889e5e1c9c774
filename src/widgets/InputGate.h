#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QWindow;

// Holds back, while it is closed, the user's input that could start work in the windows that
// were open when it closed: keys, shortcuts, clicks and drags, and closing a window. What only
// looks goes on: painting, the wheel, scroll bars, moving and resizing windows, and every input
// to a window opened meanwhile (a message). Opened again, it hands what it held to the same
// windows and objects, in the order it came, as events of their own next turn.
class InputGate : public QObject
{
    Q_OBJECT
public:
    explicit InputGate(QObject* parent = nullptr);
    ~InputGate() override;

    // Closings nest: the gate opens with the last open().
    void close();
    void open();
    bool isClosed() const { return m_closings > 0; }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    struct Held
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    bool holds(QObject* receiver, const QEvent* event);
    bool holdsForWindow(QWindow* window, const QEvent* event);
    bool isGated(const QWindow* window) const;

    int m_closings = 0;
    QList<QPointer<QWindow>> m_gated;
    // A drag goes on as it began: through, or held back.
    bool m_dragBegun = false;
    bool m_dragPasses = false;
    std::vector<Held> m_held;
};
