#pragma once

#include <QDialog>

class Messages;
class QLabel;
class QPushButton;
class Shell;

// The about box: the program's title, version, distributor and copyright, with the ways to the
// system-information tool and to the licence agreement.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int VersionMajor = 1;
    static constexpr int VersionMinor = 0;
    static constexpr int VersionRevision = 0;

    AboutBox(Messages& messages, Shell& shell, QWidget* parent = nullptr);

    // The distributor's lines, each ending in a line break, then the revision line.
    static QString distributorText(int major, int minor, int revision);

    // Starts the first system-information tool found on the PATH, or tells the user there is none.
    void startSystemInfo();

    // Names the database file in use on a line of its own above the buttons, so a user can tell
    // where the fleet's records are kept.
    void showDataFile(const QString& filePath);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createPictures();
    void createLabels();
    void createButtons();
    void fillWindow();
    void placeBelow(QLabel* label, const QWidget* anchor, int gapPx);
    void showLicence();

    Messages& m_messages;
    Shell& m_shell;

    QLabel* m_programPicture = nullptr;
    QLabel* m_makerLogo = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_companyAnchor = nullptr;
    QLabel* m_distributorLines = nullptr;
    QLabel* m_copyrightLabel = nullptr;
    QLabel* m_warningLabel = nullptr;
    QLabel* m_dataFileLabel = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_systemInfoButton = nullptr;
    QPushButton* m_licenceButton = nullptr;
};
