#pragma once

#include "data/ChangeHistory.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class DatabaseWorker;
class Messages;
class QTreeWidget;
class QTreeWidgetItem;

// The recorded changes of one drill or ship, newest first (when, who, field, from, to, in the
// grid's captions and date form; the year too where several show); the list can be printed,
// through the report preview, and saved as CSV. A read that met another user's lock says so in
// the list, and is made again until the lock has ended.
class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    // Asks for the CSV file to write, suggesting a name; empty when the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    // Reads the entries; nothing when it failed, and *lockedOut says whether a lock held it up.
    using Reader = std::function<std::optional<QList<ChangeEntry>>(bool* lockedOut)>;

    HistoryWindow(const QString& subject, const QString& company, Reader reader, Messages& messages,
                  QWidget* parent = nullptr);

    // Reads the entries into the list; false when the read failed for a reason other than a
    // lock, which it waits out.
    bool read();
    // The same on the worker's thread, where the reader then runs: the list is filled when the
    // entries arrive, and a failure other than a lock is told by unreadable().
    void readThrough(DatabaseWorker& worker);

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

signals:
    void unreadable();

private:
    void take(const std::optional<QList<ChangeEntry>>& entries, bool locked);
    void fillList(const QString& emptyText);
    void fitColumn(int column, const QList<QTreeWidgetItem*>& items);
    void printForm();
    void exportToCsv();

    QString m_subject;
    QString m_company;
    Reader m_reader;
    DatabaseWorker* m_worker = nullptr; // where the reader runs, when not here
    QList<ChangeEntry> m_entries;
    QTimer m_lockedRetry;
    Messages& m_messages;
    QTreeWidget* m_list = nullptr;
    FileChooser m_chooseFile;
};
