#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The licence agreement, to be read and scrolled but never changed.
class LicenceViewer : public QDialog
{
    Q_OBJECT
public:
    explicit LicenceViewer(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPlainTextEdit* m_licenceText;
    QPushButton* m_okButton;
};
