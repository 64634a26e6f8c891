#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The receive log box RcvText. It shows what the line sends as plain text and is never
// edited by the user: typed keys are handed to the window (to go to the modem) instead of
// being inserted, and paste or drop do nothing.
class ReceiveLogView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ReceiveLogView(QWidget *parent = nullptr);

    // AppendReceiveLog: trims a long log, then appends text at the end and scrolls to it.
    // The texts of one burst go into the box in one step, before anyone reads the box or
    // the window is next painted: the box then lays out only what it keeps.
    void appendReceived(const QString &text);
    // The log's length in characters, a line break counting one.
    qsizetype length() const;
    // The box's text, the burst under way included.
    QString toPlainText() const;

Q_SIGNALS:
    // A typed character, as its code (the KeyAscii of the key press).
    void KeyPress(short KeyAscii);

private:
    void flush();

    QStringList m_burst; // as shown, not yet in the box
    bool m_flushQueued = false;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
};
