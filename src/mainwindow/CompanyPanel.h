#pragma once

#include <QFrame>

class QLineEdit;
class QPushButton;

// The orange "Company" panel: the company name being edited.
class CompanyPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CompanyPanel(QWidget* parent = nullptr);

    void startEditing(const QString& name);
    void setSaveEnabled(bool enabled);

signals:
    // The name the panel was opened with, and the one typed.
    void saveClicked(const QString& startedFrom, const QString& typed);
    void cancelClicked();

private:
    QLineEdit* m_companyNameBox;
    QPushButton* m_saveButton;
    QString m_startedFrom;
};
