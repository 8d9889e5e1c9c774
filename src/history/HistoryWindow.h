#pragma once

#include "data/ChangeHistory.h"

#include <QDialog>

#include <functional>

class Messages;
class QTreeWidget;

// The recorded changes of one drill or ship, newest first (when, who, field, from, to, in the
// grid's captions and date form; the year too where several show); the list can be printed,
// through the report preview, and saved as CSV.
class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    // Asks for the CSV file to write, suggesting a name; empty when the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    HistoryWindow(const QString& subject, const QString& company, QList<ChangeEntry> entries,
                  Messages& messages, QWidget* parent = nullptr);

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

private:
    void fillList();
    void printForm();
    void exportToCsv();

    QString m_subject;
    QString m_company;
    QList<ChangeEntry> m_entries;
    Messages& m_messages;
    QTreeWidget* m_list = nullptr;
    FileChooser m_chooseFile;
};
