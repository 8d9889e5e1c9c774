#pragma once

#include <QString>

#include <optional>

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
    // The same for a question whose Yes replaces what is stored: No, which keeps it, is the
    // button a reflex Enter presses.
    virtual bool askToReplace(const QString& title, const QString& text)
    {
        return askYesNo(title, text);
    }
    // A box with one OK button.
    virtual void tell(Icon icon, const QString& title, const QString& text) = 0;
    // Closes the box tell() shows at this moment, as what it says no longer holds; nothing
    // when none is shown.
    virtual void withdraw() {}
    // A box asking for a line of text, with OK and Cancel; nothing when cancelled.
    virtual std::optional<QString> askText(const QString& title, const QString& text)
    {
        tell(Icon::Question, title, text);
        return std::nullopt;
    }
};
