#pragma once

#include <QString>

// The program's message boxes, behind an interface so that tests can answer them.
class Messages
{
public:
    enum class Icon
    {
        Critical,
        Question,
        Information
    };

    virtual ~Messages() = default;

    // A question box with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text) = 0;
    // A box with one OK button.
    virtual void tell(Icon icon, const QString& title, const QString& text) = 0;
};
