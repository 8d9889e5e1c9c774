#pragma once

#include <QStyledItemDelegate>

class DrillCellEditor;
class QAbstractItemView;

// Draws the drill cells with a frame round the grid's current cell, in whichever view shows
// it, and makes the editor laid over a cell: the editor takes the cell's edit when it opens,
// and hands what was typed to the model, which stores it.
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
    void editorCreated(DrillCellEditor* editor) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void storeByEnter(DrillCellEditor* editor);

    QAbstractItemView* m_grid;
};
