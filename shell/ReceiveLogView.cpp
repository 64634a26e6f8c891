#include "shell/ReceiveLogView.h"

#include "modem/ReceiveLog.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

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
    const_cast<ReceiveLogView *>(this)->flush();
    return document()->characterCount() - 1;
}

QString ReceiveLogView::toPlainText() const
{
    const_cast<ReceiveLogView *>(this)->flush();
    return QPlainTextEdit::toPlainText();
}

void ReceiveLogView::appendReceived(const QString &text)
{
    m_burst.append(receivelog::forDisplay(receivelog::prepare(text)));
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(this, &ReceiveLogView::flush, Qt::QueuedConnection);
    }
}

void ReceiveLogView::flush()
{
    m_flushQueued = false;
    if (m_burst.isEmpty())
        return;
    const QStringList burst = std::exchange(m_burst, {});
    QList<qsizetype> lengths;
    lengths.reserve(burst.size());
    for (const QString &shown : burst)
        lengths.append(shown.size());
    const qsizetype logLength = document()->characterCount() - 1;
    const qsizetype dropped = receivelog::charactersDroppedBy(logLength, lengths);
    const qsizetype fromLog = qMin(dropped, logLength);
    if (fromLog > 0) {
        QTextCursor head(document());
        head.setPosition(static_cast<int>(fromLog), QTextCursor::KeepAnchor);
        head.removeSelectedText();
    }
    const QString shown = burst.join(QString()).mid(dropped - fromLog);
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
