#pragma once

#include <QFont>

class QWidget;

// What the about box and the licence viewer share in looks and placement.
namespace DialogLook {

// A fixed single border with a close button, no minimise or maximise button.
Qt::WindowFlags fixedDialogFlags();

// The dialogs' "MS Sans Serif", which Fonts maps onto a font the desktop has.
QFont sansSerif(qreal points, bool bold = false);

// Puts a top-level window in the middle of the screen it opens on.
void centreOnScreen(QWidget& window);

} // namespace DialogLook
