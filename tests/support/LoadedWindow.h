#pragma once

#include "Fixture.h"
#include "mainwindow/frmORXmain.h"

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

    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    Fixture fixture;
    RecordingMessages messages;
    RecordingShell shell;
    std::unique_ptr<frmORXmain> window;
};
