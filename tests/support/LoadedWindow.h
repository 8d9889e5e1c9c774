#pragma once

#include "Fixture.h"
#include "mainwindow/frmORXmain.h"
#include "widgets/FlexGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

// The main window over a fresh fixture folder, loaded as at program start.
struct LoadedWindow
{
    explicit LoadedWindow(const QStringList& ships = {}) : fixture(ships) {}
    explicit LoadedWindow(int shipCount) : fixture(shipCount) {}

    bool load()
    {
        window = std::make_unique<frmORXmain>(fixture.folder(), messages, shell);
        return window->Form_Load();
    }

    // Loads, shows and activates the window, and lets its first refresh run.
    bool loadAndShow()
    {
        if (!load())
            return false;
        window->show();
        QApplication::setActiveWindow(window.get());
        grid = child<FlexGrid>("DBGrid1");
        return QTest::qWaitForWindowExposed(window.get()) && settle();
    }

    // Waits until the deferred steps that are due have run.
    bool settle() const
    {
        for (const char* name : {"Timer1", "Timer3"}) {
            auto* timer = child<QTimer>(name);
            if (!QTest::qWaitFor([timer] { return !timer->isActive(); }))
                return false;
        }
        return true;
    }

    void press(const char* button) const
    {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }

    // Scrolls the cell into view, as a user would, and clicks it.
    void clickCell(int row, int col) const
    {
        grid->scrollTo(grid->model()->index(row, col));
        settle();
        const QRect cell = grid->cellRect(row, col);
        QWidget* target = grid->childAt(cell.center());
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(grid, cell.center()));
    }

    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    Fixture fixture;
    RecordingMessages messages;
    RecordingShell shell;
    std::unique_ptr<frmORXmain> window;
    FlexGrid* grid = nullptr;
};
