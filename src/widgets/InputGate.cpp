#include "widgets/InputGate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

// Whether the point of the window lies on a scroll bar, which only moves what is shown.
bool onScrollBar(const QWindow* window, QPointF point)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() != window)
            continue;
        for (QWidget* at = top->childAt(point.toPoint()); at; at = at->parentWidget()) {
            if (qobject_cast<QScrollBar*>(at))
                return true;
        }
        return false;
    }
    return false;
}

// The window of the widget an object belongs to, as a shortcut or a typed character goes to it.
const QWindow* windowOf(const QObject* object)
{
    for (; object; object = object->parent()) {
        if (object->isWidgetType())
            return static_cast<const QWidget*>(object)->window()->windowHandle();
    }
    return nullptr;
}

} // namespace

InputGate::InputGate(QObject* parent) : QObject(parent) {}

InputGate::~InputGate()
{
    if (m_closings > 0)
        qApp->removeEventFilter(this);
}

void InputGate::close()
{
    if (m_closings++ > 0)
        return;
    m_gated.clear();
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window != QGuiApplication::modalWindow())
            m_gated.append(window);
    }
    m_dragBegun = false;
    qApp->installEventFilter(this);
}

void InputGate::open()
{
    if (m_closings == 0 || --m_closings > 0)
        return;
    qApp->removeEventFilter(this);
    // Posted, they come after whatever the work that waited does once it is over.
    for (Held& held : std::exchange(m_held, {})) {
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release());
    }
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event)
{
    if (m_closings == 0 || !holds(receiver, event))
        return false;
    m_held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

bool InputGate::holds(QObject* receiver, const QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
    case QEvent::InputMethod: {
        const QWindow* window = windowOf(receiver);
        return !window || isGated(window);
    }
    default:
        break;
    }
    return receiver->isWindowType() && isGated(static_cast<QWindow*>(receiver)) &&
           holdsForWindow(static_cast<QWindow*>(receiver), event);
}

// Input reaches a window before its widgets: held here, a click moves no focus meanwhile.
bool InputGate::holdsForWindow(QWindow* window, const QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Close:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_dragBegun = true;
        m_dragPasses = onScrollBar(window, static_cast<const QMouseEvent*>(event)->position());
        return !m_dragPasses;
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (event->type() == QEvent::MouseMove && mouse->buttons() == Qt::NoButton)
            return false; // hovering
        const bool passes = m_dragBegun ? m_dragPasses : onScrollBar(window, mouse->position());
        if (mouse->buttons() == Qt::NoButton)
            m_dragBegun = false;
        return !passes;
    }
    default:
        return false;
    }
}

bool InputGate::isGated(const QWindow* window) const
{
    return std::any_of(m_gated.begin(), m_gated.end(),
                       [window](const QPointer<QWindow>& gated) { return gated == window; });
}
