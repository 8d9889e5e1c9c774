#pragma once

#include "common/Messages.h"

#include <QMessageBox>
#include <QPointer>

// Message boxes on the screen.
class QtMessages : public Messages
{
public:
    bool askYesNo(const QString& title, const QString& text) override;
    bool askToReplace(const QString& title, const QString& text) override;
    void tell(Icon icon, const QString& title, const QString& text) override;
    void withdraw() override;
    std::optional<QString> askText(const QString& title, const QString& text) override;

private:
    QPointer<QMessageBox> m_told; // the box tell() shows now
};
