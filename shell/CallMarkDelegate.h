#pragma once

#include <QStyledItemDelegate>

// Draws the call list's lines with a call's mark (its item's icon) at the line's right
// end. Qt's own drawing puts an icon before the text, which would indent a marked line
// and make it taller than the rest; here each line's text and height stay as every other
// line has them, and only the text's room ends before the mark.
class CallMarkDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // The option as a line without a mark, and the mark taken out of it.
    QStyleOptionViewItem withoutMark(const QStyleOptionViewItem &option, const QModelIndex &index,
                                     QIcon *mark) const;
};
