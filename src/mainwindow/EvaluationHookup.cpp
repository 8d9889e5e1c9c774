// The questionnaire panel over the main window: opened from an evaluation cell or as the
// blank "Evaluation Form"; its saved total goes into the drill like a typed value.
#include "mainwindow/MainWindow.h"

#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/DrillRecord.h"
#include "data/YearClosure.h"
#include "evaluation/EvaluationPanel.h"
#include "mainwindow/DrillColumns.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int PanelLeftTwips = 2280;
constexpr int PanelTopTwips = 120;
} // namespace

void MainWindow::buildEvaluationPanel()
{
    m_evaluationPanel = new EvaluationPanel(*m_db, m_messages, m_folder, this);
    m_evaluationPanel->hide();
    addFloatingPanel(m_evaluationPanel);
    connect(m_evaluationPanel, &EvaluationPanel::saved, this, &MainWindow::takeQuestionnaireTotal);
    connect(m_evaluationPanel, &EvaluationPanel::closed, m_shade, &QWidget::hide);
    connect(m_evaluationPanel, &EvaluationPanel::connectionLost, this, [this] {
        tellIfConnectionLost(tr("The answers were not saved: they are still shown in the "
                                "questionnaire, to be saved again."));
    });
    connect(findChild<QPushButton*>(QStringLiteral("evaluationFormButton")), &QPushButton::clicked,
            this, &MainWindow::openBlankQuestionnaire);
}

void MainWindow::openQuestionnaire(const DrillChange& edit)
{
    hidePanels();
    m_evaluationPanel->move(Twips::toPx(PanelLeftTwips), Twips::toPx(PanelTopTwips));
    const DrillRecord* record = m_yearDrills->recordOf(edit.idDrill);
    const int drill = DrillRecord::drillOf(edit.field);
    if (!record || drill < 0)
        return;
    const Drill& evaluated = record->drills.at(drill);
    const bool yearClosed = YearClosure::closedInfo(*m_db, shownYear()).has_value();
    const bool opened = m_evaluationPanel->openForDrill(
        record->idDrill, record->shipName, evaluated.done.shown(), evaluated.master,
        DrillColumns::columnOf(edit.field), yearClosed);
    if (!opened)
        return; // the panel has told the user why
    m_evaluating = edit;
    layShade(m_evaluationPanel, m_shade);
}

void MainWindow::openBlankQuestionnaire()
{
    showPanel(m_evaluationPanel, PanelLeftTwips, PanelTopTwips);
    m_evaluationPanel->openBlank();
}

void MainWindow::takeQuestionnaireTotal(const QString& total)
{
    // The total belongs to the evaluated cell alone, also for the write of the next click.
    if (m_evaluating)
        m_drills->storeValue(*m_evaluating, total);
}
