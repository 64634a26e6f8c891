#include "shell/CallMarkDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kMarkSize = 16;
constexpr int kMarkMargin = 2;

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

QStyleOptionViewItem CallMarkDelegate::withoutMark(const QStyleOptionViewItem &option,
                                                   const QModelIndex &index, QIcon *mark) const
{
    QStyleOptionViewItem plain(option);
    initStyleOption(&plain, index);
    if (mark)
        *mark = plain.icon;
    plain.icon = QIcon();
    plain.features &= ~QStyleOptionViewItem::HasDecoration;
    plain.decorationSize = QSize();
    return plain;
}

void CallMarkDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QIcon mark;
    QStyleOptionViewItem plain = withoutMark(option, index, &mark);
    if (mark.isNull()) {
        styleOf(plain)->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        return;
    }
    // The selection and background span the whole line; the text stops short of the mark.
    QStyleOptionViewItem background(plain);
    background.text.clear();
    styleOf(plain)->drawControl(QStyle::CE_ItemViewItem, &background, painter, plain.widget);
    QStyleOptionViewItem text(plain);
    text.rect.setRight(text.rect.right() - kMarkSize - 2 * kMarkMargin);
    text.backgroundBrush = Qt::NoBrush;
    text.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (option.state & QStyle::State_Selected) {
        text.palette.setBrush(QPalette::Text, plain.palette.brush(QPalette::HighlightedText));
    }
    styleOf(plain)->drawControl(QStyle::CE_ItemViewItem, &text, painter, plain.widget);
    const QRect at(plain.rect.right() - kMarkSize - kMarkMargin,
                   plain.rect.center().y() - kMarkSize / 2 + 1, kMarkSize, kMarkSize);
    mark.paint(painter, at);
}

QSize CallMarkDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStyleOptionViewItem plain = withoutMark(option, index, nullptr);
    return styleOf(plain)->sizeFromContents(QStyle::CT_ItemViewItem, &plain, QSize(), plain.widget);
}
