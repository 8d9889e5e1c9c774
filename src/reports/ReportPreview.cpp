#include "reports/ReportPreview.h"

#include "common/Messages.h"
#include "reports/ReportProgress.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

const QStringList ZoomSteps = {
    QStringLiteral("25%"),  QStringLiteral("50%"),  QStringLiteral("75%"),
    QStringLiteral("100%"), QStringLiteral("125%"), QStringLiteral("150%"),
    QStringLiteral("200%"), QStringLiteral("300%"), QStringLiteral("400%")};

QString fitWidthText()
{
    return ReportPreview::tr("Fit Width");
}

QString fitPageText()
{
    return ReportPreview::tr("Fit Page");
}

QToolButton* addButton(QToolBar* bar, const char* name, const QString& text, const QIcon& icon,
                       const QKeySequence& key, Qt::ToolButtonStyle style)
{
    QAction* action = bar->addAction(icon, text);
    action->setShortcut(key);
    action->setToolTip(key.isEmpty() ? text
                                     : QStringLiteral("%1 (%2)").arg(
                                           text, key.toString(QKeySequence::NativeText)));
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(text);
    button->setToolButtonStyle(style);
    return button;
}

// The desktop's printer icon, or a plain one drawn here when its theme has none.
QIcon printerIcon()
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("document-print"));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x3c, 0x3c, 0x3c), 2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(11, 3, 18, 12)); // paper going in
    painter.setBrush(QColor(0x8a, 0x93, 0xa6));
    painter.drawRoundedRect(QRectF(3, 13, 34, 15), 3, 3);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(10, 22, 20, 15)); // printed sheet
    painter.drawLine(QPointF(14, 28), QPointF(26, 28));
    painter.drawLine(QPointF(14, 32), QPointF(23, 32));
    return QIcon(pixmap);
}

// A file name offered for an export, from the report's title.
QString suggestedName(const QString& title, const QString& suffix)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|]+)"));
    static const QRegularExpression trailingDots(QStringLiteral(R"([.\s]+$)"));
    QString name = title.trimmed();
    name.replace(unsafe, QStringLiteral(" ")).remove(trailingDots);
    if (name.isEmpty())
        name = QStringLiteral("Report");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + suffix);
}

} // namespace

ReportPreview::ReportPreview(std::shared_ptr<const ReportPages> pages, Messages& messages,
                             QWidget* parent, const ReportPages::Progress& firstPaint,
                             CsvExport csvExport)
    : QMainWindow(parent), m_pages(std::move(pages)), m_firstPaint(firstPaint),
      m_csvExport(std::move(csvExport)), m_messages(messages),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = m_pages->title();
    setWindowTitle(title.isEmpty() ? tr("Print Preview") : tr("Print Preview - %1").arg(title));

    m_printer->setPageLayout(m_pages->pageLayout());
    m_printer->setDocName(title);
    PreviewPages = new QPrintPreviewWidget(m_printer.get(), this);
    PreviewPages->setObjectName(QStringLiteral("PreviewPages"));
    PreviewPages->setAccessibleName(tr("Report pages"));
    connect(PreviewPages, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paintPages);
    connect(PreviewPages, &QPrintPreviewWidget::previewChanged, this,
            &ReportPreview::showPageAndZoom);
    setCentralWidget(PreviewPages);

    buildToolBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    statusBar()->addPermanentWidget(LblStatus);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(QSize(1180, 820).boundedTo(screen.size() * 0.92));
    PreviewPages->fitToWidth();
    PreviewPages->updatePreview();
    m_firstPaint = {};
    PreviewPages->setFocus();
}

ReportPreview::~ReportPreview()
{
    delete PreviewPages; // before the printer it paints on
}

int ReportPreview::pageCount() const
{
    return PreviewPages->pageCount();
}

int ReportPreview::currentPage() const
{
    return PreviewPages->currentPage();
}

void ReportPreview::buildToolBar()
{
    QToolBar* bar = addToolBar(tr("Preview"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    addNavigation(bar);
    bar->addSeparator();
    addZoom(bar);
    bar->addSeparator();
    addOutput(bar);
}

void ReportPreview::addNavigation(QToolBar* bar)
{
    const QStyle* look = style();
    auto* first = addButton(bar, "CmdFirstPage", tr("First Page"),
                            look->standardIcon(QStyle::SP_MediaSkipBackward),
                            QKeySequence(Qt::CTRL | Qt::Key_Home), Qt::ToolButtonIconOnly);
    auto* previous = addButton(bar, "CmdPreviousPage", tr("Previous Page"),
                               look->standardIcon(QStyle::SP_ArrowLeft),
                               QKeySequence(Qt::Key_PageUp), Qt::ToolButtonIconOnly);

    auto* pageLabel = new QLabel(tr(" Page "), bar);
    pageLabel->setObjectName(QStringLiteral("LblPage"));
    bar->addWidget(pageLabel);
    TxtPage = new QSpinBox(bar);
    TxtPage->setObjectName(QStringLiteral("TxtPage"));
    TxtPage->setAccessibleName(tr("Page number"));
    TxtPage->setButtonSymbols(QAbstractSpinBox::NoButtons);
    TxtPage->setAlignment(Qt::AlignRight);
    TxtPage->setKeyboardTracking(false);
    TxtPage->setMinimumWidth(52);
    bar->addWidget(TxtPage);
    pageLabel->setBuddy(TxtPage);
    LblPageCount = new QLabel(bar);
    LblPageCount->setObjectName(QStringLiteral("LblPageCount"));
    LblPageCount->setMinimumWidth(56);
    bar->addWidget(LblPageCount);

    auto* next =
        addButton(bar, "CmdNextPage", tr("Next Page"), look->standardIcon(QStyle::SP_ArrowRight),
                  QKeySequence(Qt::Key_PageDown), Qt::ToolButtonIconOnly);
    auto* last = addButton(bar, "CmdLastPage", tr("Last Page"),
                           look->standardIcon(QStyle::SP_MediaSkipForward),
                           QKeySequence(Qt::CTRL | Qt::Key_End), Qt::ToolButtonIconOnly);

    connect(first, &QToolButton::triggered, this, [this] { goToPage(1); });
    connect(previous, &QToolButton::triggered, this, [this] { goToPage(currentPage() - 1); });
    connect(next, &QToolButton::triggered, this, [this] { goToPage(currentPage() + 1); });
    connect(last, &QToolButton::triggered, this, [this] { goToPage(pageCount()); });
    connect(TxtPage, &QSpinBox::valueChanged, this, &ReportPreview::goToPage);
}

void ReportPreview::addZoom(QToolBar* bar)
{
    auto* zoomOut = addButton(bar, "CmdZoomOut", tr("Zoom Out"), {},
                              QKeySequence(QKeySequence::ZoomOut), Qt::ToolButtonTextOnly);
    zoomOut->setText(QStringLiteral("\u2212"));
    CboZoom = new QComboBox(bar);
    CboZoom->setObjectName(QStringLiteral("CboZoom"));
    CboZoom->setAccessibleName(tr("Zoom"));
    CboZoom->setEditable(true);
    CboZoom->setInsertPolicy(QComboBox::NoInsert);
    CboZoom->addItems(QStringList{fitWidthText(), fitPageText()} + ZoomSteps);
    CboZoom->setMinimumContentsLength(9);
    bar->addWidget(CboZoom);
    auto* zoomIn = addButton(bar, "CmdZoomIn", tr("Zoom In"), {},
                             QKeySequence(QKeySequence::ZoomIn), Qt::ToolButtonTextOnly);
    zoomIn->setText(QStringLiteral("+"));
    for (QToolButton* button : {zoomOut, zoomIn}) {
        QFont font = button->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.3);
        button->setFont(font);
        button->setMinimumWidth(28);
    }

    connect(zoomOut, &QToolButton::triggered, this, [this] {
        PreviewPages->zoomOut();
        showPageAndZoom();
    });
    connect(zoomIn, &QToolButton::triggered, this, [this] {
        PreviewPages->zoomIn();
        showPageAndZoom();
    });
    connect(CboZoom, &QComboBox::textActivated, this, &ReportPreview::applyZoomText);
    connect(CboZoom->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { applyZoomText(CboZoom->currentText()); });
}

void ReportPreview::addOutput(QToolBar* bar)
{
    auto* print = addButton(bar, "CmdPrint", tr("Print..."), printerIcon(),
                            QKeySequence(QKeySequence::Print), Qt::ToolButtonTextBesideIcon);
    auto* exportPdf = addButton(bar, "CmdExportPdf", tr("Export PDF..."),
                                style()->standardIcon(QStyle::SP_DialogSaveButton),
                                QKeySequence(Qt::CTRL | Qt::Key_E), Qt::ToolButtonTextBesideIcon);
    if (m_csvExport) {
        auto* exportCsv = addButton(bar, "CmdExportCsv", tr("Export CSV..."),
                                    style()->standardIcon(QStyle::SP_FileIcon), QKeySequence(),
                                    Qt::ToolButtonTextBesideIcon);
        connect(exportCsv, &QToolButton::triggered, this, &ReportPreview::CmdExportCsv_Click);
    }
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    auto* close =
        addButton(bar, "CmdClose", tr("Close"), style()->standardIcon(QStyle::SP_DialogCloseButton),
                  QKeySequence(Qt::Key_Escape), Qt::ToolButtonTextBesideIcon);

    connect(print, &QToolButton::triggered, this, &ReportPreview::CmdPrint_Click);
    connect(exportPdf, &QToolButton::triggered, this, &ReportPreview::CmdExportPdf_Click);
    connect(close, &QToolButton::triggered, this, &QWidget::close);
}

void ReportPreview::paintPages(QPrinter* printer)
{
    if (m_firstPaint) {
        m_cancelled =
            m_pages->paint(*printer, 0, 0, m_firstPaint) == ReportPages::Outcome::Cancelled;
        return;
    }
    ReportProgress progress(this);
    m_pages->paint(*printer, 0, 0, progress.callback());
}

void ReportPreview::showPageAndZoom()
{
    const int count = PreviewPages->pageCount();
    const QSignalBlocker blocker(TxtPage);
    TxtPage->setRange(count > 0 ? 1 : 0, count);
    TxtPage->setValue(PreviewPages->currentPage());
    LblPageCount->setText(tr(" of %1 ").arg(count));

    QString zoom;
    switch (PreviewPages->zoomMode()) {
    case QPrintPreviewWidget::FitToWidth:
        zoom = fitWidthText();
        break;
    case QPrintPreviewWidget::FitInView:
        zoom = fitPageText();
        break;
    case QPrintPreviewWidget::CustomZoom:
        zoom = QStringLiteral("%1%").arg(qRound(PreviewPages->zoomFactor() * 100));
        break;
    }
    CboZoom->setEditText(zoom);
    LblStatus->setText(tr("Page %1 of %2   Zoom %3%")
                           .arg(PreviewPages->currentPage())
                           .arg(count)
                           .arg(qRound(PreviewPages->zoomFactor() * 100)));
}

void ReportPreview::applyZoomText(const QString& text)
{
    QString digits = text;
    digits.remove(u'%');
    bool ok = false;
    const int percent = digits.trimmed().toInt(&ok);
    if (text == fitWidthText())
        PreviewPages->fitToWidth();
    else if (text == fitPageText())
        PreviewPages->fitInView();
    else if (ok && percent >= 10 && percent <= 800)
        PreviewPages->setZoomFactor(percent / 100.0);
    showPageAndZoom(); // also puts back the shown zoom after text that is not one
}

void ReportPreview::goToPage(int page)
{
    PreviewPages->setCurrentPage(page);
    showPageAndZoom();
}

void ReportPreview::CmdPrint_Click()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_printer->pageLayout());
    printer.setDocName(m_printer->docName());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print"));
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() == QDialog::Accepted)
        print(printer);
}

bool ReportPreview::print(QPrinter& printer)
{
    const bool range = printer.printRange() == QPrinter::PageRange;
    ReportProgress progress(this);
    switch (m_pages->paint(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0,
                           progress.callback())) {
    case ReportPages::Outcome::Painted:
        return true;
    case ReportPages::Outcome::Cancelled:
        printer.abort();
        return false;
    case ReportPages::Outcome::Failed:
        break;
    }
    m_messages.tell(
        Messages::Icon::Critical, tr("Print"),
        tr("The report could not be sent to the printer %1.").arg(printer.printerName()));
    return false;
}

QString ReportPreview::askFileName(const QString& title, const QString& suffix,
                                   const QString& filter)
{
    QString fileName = QFileDialog::getSaveFileName(
        this, title, suggestedName(m_printer->docName(), suffix), filter);
    if (!fileName.isEmpty() && !fileName.endsWith(suffix, Qt::CaseInsensitive))
        fileName += suffix;
    return fileName;
}

void ReportPreview::CmdExportPdf_Click()
{
    const QString fileName =
        askFileName(tr("Export PDF"), QStringLiteral(".pdf"), tr("PDF files (*.pdf)"));
    if (!fileName.isEmpty())
        exportPdf(fileName);
}

void ReportPreview::CmdExportCsv_Click()
{
    const QString fileName =
        askFileName(tr("Export CSV"), QStringLiteral(".csv"), tr("CSV files (*.csv)"));
    if (!fileName.isEmpty())
        exportCsv(fileName);
}

bool ReportPreview::exportPdf(const QString& fileName)
{
    ReportProgress progress(this);
    switch (m_pages->writePdf(fileName, progress.callback())) {
    case ReportPages::Outcome::Painted:
        statusBar()->showMessage(tr("Saved as %1").arg(QDir::toNativeSeparators(fileName)), 8000);
        return true;
    case ReportPages::Outcome::Cancelled:
        return false;
    case ReportPages::Outcome::Failed:
        break;
    }
    m_messages.tell(Messages::Icon::Critical, tr("Export PDF"), ReportPages::pdfFailure(fileName));
    return false;
}

bool ReportPreview::exportCsv(const QString& fileName)
{
    const QString failure =
        m_csvExport ? m_csvExport(fileName) : tr("This report has no rows to export.");
    if (failure.isEmpty()) {
        statusBar()->showMessage(tr("Saved as %1").arg(QDir::toNativeSeparators(fileName)), 8000);
        return true;
    }
    m_messages.tell(Messages::Icon::Critical, tr("Export CSV"), failure);
    return false;
}
