// The questionnaire panel over the main window: opened from an evaluation cell or as the
// blank "Evaluation Form"; its saved total goes into the drill like a typed value.
#include "mainwindow/frmORXmain.h"

#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/DrillRecord.h"
#include "data/YearClosure.h"
#include "evaluation/EvaluationPanel.h"
#include "mainwindow/DrillColumns.h"
#include "widgets/FlexGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int PanelLeftTwips = 2280;
constexpr int PanelTopTwips = 120;
} // namespace

void frmORXmain::buildEvaluationPanel()
{
    PicEvaluation = new EvaluationPanel(*m_db, m_messages, m_folder, this);
    PicEvaluation->hide();
    addFloatingPanel(PicEvaluation);
    connect(PicEvaluation, &EvaluationPanel::saved, this, &frmORXmain::CmdConfirm_Saved);
    connect(PicEvaluation, &EvaluationPanel::closed, PicShade, &QWidget::hide);
    connect(findChild<QPushButton*>(QStringLiteral("CmdEvalComp")), &QPushButton::clicked, this,
            &frmORXmain::CmdEvalComp_Click);
}

void frmORXmain::OpenDrillEvaluation(const DrillChange& edit)
{
    HidePics();
    PicEvaluation->move(Twips::toPx(PanelLeftTwips), Twips::toPx(PanelTopTwips));
    const DrillRecord* record = Data1->recordOf(edit.idDrill);
    const int drill = DrillRecord::drillOf(edit.field);
    if (!record || drill < 0)
        return;
    const Drill& evaluated = record->drills.at(drill);
    const bool yearClosed = YearClosure::closedInfo(*m_db, shownYear()).has_value();
    const bool opened = PicEvaluation->openForDrill(record->idDrill, record->shipName,
                                                    evaluated.done.shown(), evaluated.master,
                                                    DrillColumns::columnOf(edit.field), yearClosed);
    if (!opened)
        return; // the panel has told the user why
    m_evaluating = edit;
    LoadPicShade(PicEvaluation, PicShade);
}

void frmORXmain::CmdEvalComp_Click()
{
    showPanel(PicEvaluation, PanelLeftTwips, PanelTopTwips);
    PicEvaluation->openBlank();
}

void frmORXmain::CmdConfirm_Saved(const QString& total)
{
    // The total belongs to the evaluated cell alone, also for the write of the next click.
    if (m_evaluating)
        m_drills->takeValue(*m_evaluating, total);
    Timer1->start();
}
