#include "shell/ReceiveLogView.h"

#include "modem/ReceiveLog.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

ReceiveLogView::ReceiveLogView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true); // also keeps cut, paste and the edit actions of the context menu away
    setUndoRedoEnabled(false);
    setAcceptDrops(false);
    setFocusPolicy(Qt::StrongFocus);
    // Where a wrapped line may break; whether lines wrap at all is the layout's.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

qsizetype ReceiveLogView::length() const
{
    return document()->characterCount() - 1;
}

void ReceiveLogView::appendReceived(const QString &text)
{
    const qsizetype drop = receivelog::charactersToDrop(length());
    if (drop > 0) {
        QTextCursor head(document());
        head.setPosition(static_cast<int>(drop), QTextCursor::KeepAnchor);
        head.removeSelectedText();
    }
    const QString shown = receivelog::forDisplay(receivelog::prepare(text));
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    if (!shown.isEmpty())
        end.insertText(shown);
    setTextCursor(end);
    ensureCursorVisible();
}

void ReceiveLogView::keyPressEvent(QKeyEvent *event)
{
    // Copying and moving around stay the box's own; every character goes to the modem.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & Qt::AltModifier)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    for (const QChar c : text)
        Q_EMIT KeyPress(static_cast<short>(c.unicode()));
}

bool ReceiveLogView::canInsertFromMimeData(const QMimeData *) const
{
    return false;
}

void ReceiveLogView::insertFromMimeData(const QMimeData *)
{
}
