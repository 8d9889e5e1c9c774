#pragma once

#include <QDialog>

class Messages;
class QLabel;
class QPushButton;
class Shell;

// The about box: the program's title, version, distributor and copyright, with the ways to the
// system-information tool and to the licence agreement.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    static constexpr int VersionMajor = 1;
    static constexpr int VersionMinor = 0;
    static constexpr int VersionRevision = 0;

    frmAbout(Messages& messages, Shell& shell, QWidget* parent = nullptr);

    // The distributor's lines, each ending in a line break, then the revision line.
    static QString SoftwareText(int major, int minor, int revision);

    // Starts the first system-information tool found on the PATH, or tells the user there is none.
    void StartSysInfo();

    // Names the database file in use on a line of its own above the buttons, so a user can tell
    // where the fleet's records are kept.
    void showDataFile(const QString& filePath);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createPictures();
    void createLabels();
    void createButtons();
    void Form_Load();
    void placeBelow(QLabel* label, const QWidget* anchor, int gapPx);
    void cmdLicence_Click();

    Messages& m_messages;
    Shell& m_shell;

    QLabel* Picture1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblSoftware = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblDataFile = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QPushButton* cmdLicence = nullptr;
};
