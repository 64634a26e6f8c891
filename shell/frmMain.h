#pragma once

#include <QListWidget>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

// The main window. Its members and handlers carry the names the program's design gives
// them; the logic they run lives in the subsystem libraries and they only glue it on.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Status tip line.
    void ShowTip(const QString &text, quint32 colour, bool scroll);
    void CenterTip(const QString &text, int width);
    void ScrollText(QString &strText);
    void Timer1_Timer();

    // Caller-ID decoding of the receive buffer.
    void ReceiveExplain();

    // Controls.
    QListWidget *lstCID = nullptr;
    QLabel *lblTip = nullptr;
    QTimer *Timer1 = nullptr;

    // The text colour of the tip line, as last set (0x00BBGGRR).
    quint32 lblTipForeColor() const { return m_lblTipForeColor; }

    QString strTip;
    QString strReceive;
    QString strDate;
    QString strTime;
    QString strNumber;
    QString strDateSep;
    QString strTimeSep;

private:
    void setTipForeColor(quint32 colour);

    quint32 m_lblTipForeColor = 0x8080FF;
};
