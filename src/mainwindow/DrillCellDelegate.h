#pragma once

#include <QStyledItemDelegate>

class DrillCellEditor;
class QAbstractItemView;

// Draws the drill cells with a frame round the grid's current cell, in whichever view shows
// it, and makes the editor laid over a cell. The editor's text is never taken from the model
// nor given to it: the one who opened it decides what is stored.
class DrillCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // `grid` is the view whose current cell is framed.
    explicit DrillCellDelegate(QAbstractItemView* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

signals:
    void editorCreated(DrillCellEditor* editor, const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_grid;
};
