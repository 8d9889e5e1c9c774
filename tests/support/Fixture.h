#pragma once

#include "common/Messages.h"
#include "common/Shell.h"

#include <QFileDevice>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

#include <functional>

// Writes a whole file, optionally with permissions; false when it could not.
bool writeTestFile(const QString& path, const QByteArray& content,
                   QFileDevice::Permissions permissions = {});

// A temporary application folder with a fresh drill database and a fleet.
class Fixture
{
public:
    explicit Fixture(const QStringList& ships = {});
    explicit Fixture(int shipCount);
    ~Fixture();

    QString folder() const { return m_dir.path(); }
    QString databasePath() const;

    // Direct access to the file, beside the program's own connection.
    QSqlDatabase db() const;
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const;
    void exec(const QString& sql, const QVariantList& values = {}) const;
    qint64 shipId(const QString& name) const;

    static QStringList shipNames(int count);

private:
    QSqlQuery run(const QString& sql, const QVariantList& values) const;

    QTemporaryDir m_dir;
    QString m_connection;
};

// Answers message boxes as a test tells it, and remembers what they said.
class RecordingMessages : public Messages
{
public:
    struct Shown
    {
        Icon icon;
        QString title;
        QString text;
        bool yesFirst = false; // a question whose Enter answers Yes
    };

    bool askYesNo(const QString& title, const QString& text) override
    {
        return ask(title, text, true);
    }
    bool askToReplace(const QString& title, const QString& text) override
    {
        return ask(title, text, false);
    }
    void tell(Icon icon, const QString& title, const QString& text) override
    {
        shown.append({icon, title, text});
        if (whileShown)
            whileShown();
    }
    std::optional<QString> askText(const QString& title, const QString& text) override
    {
        shown.append({Icon::Question, title, text});
        return answerText;
    }
    void withdraw() override { ++withdrawn; }

    bool ask(const QString& title, const QString& text, bool yesFirst)
    {
        shown.append({Icon::Question, title, text, yesFirst});
        if (whileShown)
            whileShown();
        return answerYes;
    }

    bool answerYes = false;
    std::optional<QString> answerText; // nothing: Cancel
    std::function<void()> whileShown;  // what a real box does meanwhile, such as take the focus
    QList<Shown> shown;
    int withdrawn = 0; // boxes the program closed itself
};

// Remembers what it was asked to open or start.
class RecordingShell : public Shell
{
public:
    bool open(const QUrl& target) override
    {
        opened.append(target);
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        started.append(QStringList{program} + arguments);
        return true;
    }

    QList<QUrl> opened;
    QList<QStringList> started;
};
