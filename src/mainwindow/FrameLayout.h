#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

// Keeps the parts of a window placed by hand where the design puts them at its designed size,
// and hands the room a larger or smaller window has to the parts that can use it: a part keeps
// its distance to the right or bottom edge, or grows and shrinks with it.
class FrameLayout
{
public:
    enum Follow
    {
        Stays = 0,
        Right = 1,  // keeps its distance to the right edge
        Bottom = 2, // keeps its distance to the bottom edge
        Wider = 4,  // grows with the width
        Taller = 8  // grows with the height
    };

    explicit FrameLayout(const QSize& designed) : m_designed(designed) {}

    const QSize& designedSize() const { return m_designed; }
    // Takes the part's place as it stands now, at the designed size.
    void add(QWidget* part, int follow);
    // Places every part for a window of the given size.
    void apply(const QSize& size) const;

private:
    struct Part
    {
        QPointer<QWidget> widget;
        QRect designed;
        int follow;
    };

    QSize m_designed;
    QList<Part> m_parts;
};
