#pragma once

#include <QList>
#include <QObject>

class CompanyPanel;
class EvaluationPanel;
class FleetPanel;
class QFrame;
class QWidget;

// The panels that float over the main window's grid (the fleet, the company name and the
// questionnaire) and the dark shade behind the one that is open. One panel is open at a time.
class PanelHost : public QObject
{
    Q_OBJECT
public:
    explicit PanelHost(QWidget& window);

    FleetPanel* fleet() const { return m_fleet; }
    // The questionnaire needs the database: it joins once the database is open.
    void addQuestionnaire(EvaluationPanel* questionnaire);

    void openFleet();
    void openCompany(const QString& name);
    // Closes every panel, and puts the questionnaire where the design has it, not yet shown.
    void placeQuestionnaire();
    // The blank "Evaluation Form", for printing.
    void openBlankForm();
    // Shows the placed panel, in front of its shade.
    void showPlaced(QWidget* panel);
    void hideAll();

    bool fleetOpen() const;
    bool questionnaireOpen() const;
    // A role that may only read: no panel's "Save" is offered, and the fleet takes no edit.
    void setReadOnly(bool readOnly);

signals:
    // A panel opened or closed; anyOpen: one of them is open now.
    void panelsChanged(bool anyOpen);
    // "Save" of the fleet: what was typed is in the ship list, and the panel is closed.
    void fleetSaved();
    // "Save" of the company name, with the name the panel opened with.
    void companySaveRequested(const QString& startedFrom, const QString& typed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void add(QWidget* panel);
    void show(QWidget* panel, int left, int top);
    bool anyOpen() const;
    static void focusFirstControl(QWidget* panel);

    QWidget& m_window;
    QFrame* m_shade;
    FleetPanel* m_fleet;
    CompanyPanel* m_company;
    EvaluationPanel* m_questionnaire = nullptr;
    QList<QWidget*> m_panels;
    bool m_readOnly = false;
};
