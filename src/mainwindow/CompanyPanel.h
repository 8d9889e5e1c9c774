#pragma once

#include <QFrame>

class QLineEdit;

// The orange "Company" panel: the company name being edited.
class CompanyPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CompanyPanel(QWidget* parent = nullptr);

    void startEditing(const QString& name);

signals:
    void saveClicked(const QString& name);
    void cancelClicked();

private:
    QLineEdit* TxtCompany;
};
