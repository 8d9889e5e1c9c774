#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The licence agreement, to be read and scrolled but never changed.
class frmLicence : public QDialog
{
    Q_OBJECT
public:
    explicit frmLicence(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* Text1;
    QPushButton* cmdOK;
};
