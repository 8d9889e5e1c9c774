#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>

class DrillDatabase;
class DrillDataSource;
class FlexGrid;
class Messages;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class Shell;
class ShipTableModel;

// The working window: the yearly drill grid with its frame, buttons, panels and status bar.
class frmORXmain : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FirstDrillRow = 2;

    frmORXmain(QString applicationFolder, Messages& messages, Shell& shell,
               QWidget* parent = nullptr);
    ~frmORXmain() override;

    // Opens the database and fills the window. False when the database cannot be used;
    // the user has been told why, and the program should end.
    bool Form_Load();

    void LoadFlexGrid();
    void UpdateColors();
    void HidePics();
    void LoadPicShade(QWidget* panel, QWidget* shade);
    // The year in LblYear.
    int shownYear() const;

    QString databaseFilePath() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCommandColumn();
    void buildTitleArea();
    void buildStatusBar();
    void buildLinks();
    void buildGrid();
    void buildTimers();
    void addLink(QWidget* link, const QString& target);
    void layGridHeaders();
    void colourDrill(int row, int scheduledCol, int doneCol);

    void Command3_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void SubCompany();

    QString m_folder;
    Messages& m_messages;
    Shell& m_shell;
    std::unique_ptr<DrillDatabase> m_db;
    std::unique_ptr<DrillDataSource> Data1;
    std::unique_ptr<ShipTableModel> Data2;

    QFrame* Picture1 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* LblCompany = nullptr;
    QLabel* LblYear = nullptr;
    QPushButton* CmdPreviousYear = nullptr;
    QPushButton* CmdNextYear = nullptr;
    FlexGrid* DBGrid1 = nullptr;
    QFrame* StatusBar1 = nullptr;
    QList<QLabel*> m_statusPanels;
    QLabel* lblSite = nullptr;
    QFrame* PicShade = nullptr;
    QList<QWidget*> m_floatingPanels;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
};
