#pragma once

#include "common/Messages.h"

// Message boxes on the screen.
class QtMessages : public Messages
{
public:
    bool askYesNo(const QString& title, const QString& text) override;
    bool askToReplace(const QString& title, const QString& text) override;
    void tell(Icon icon, const QString& title, const QString& text) override;
    std::optional<QString> askText(const QString& title, const QString& text) override;
};
