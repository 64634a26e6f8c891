#include "frmMain.h"

#include "Failure.h"
#include "TipLine.h"

#include <QLabel>
#include <QTimer>

frmMain::frmMain(Comm *serial, const dates::Clock &clock, QWidget *parent)
    : QWidget(parent), comm(serial), m_clock(clock)
{
    setWindowTitle(QStringLiteral("ringvane"));
    setFixedSize(509, 410);

    lstCID = new QListWidget(this);
    lstCID->setGeometry(56, 145, 408, 156);
    lstCID->setSelectionMode(QAbstractItemView::SingleSelection);

    lblTip = new QLabel(this);
    lblTip->setGeometry(120, 392, 374, 15);
    lblTip->setTextFormat(Qt::PlainText);
    lblTip->setWordWrap(false);
    setTipForeColor(m_lblTipForeColor);

    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    Timer1->start();
}

frmMain::~frmMain() = default;

void frmMain::setTipForeColor(quint32 colour)
{
    m_lblTipForeColor = colour;
    QPalette palette = lblTip->palette();
    palette.setColor(QPalette::WindowText, colorFromOle(colour));
    lblTip->setPalette(palette);
}

void frmMain::ShowTip(const QString &text, quint32 colour, bool scroll)
{
    strTip = text;
    if (text.isEmpty()) {
        lblTip->setText(QString());
        return;
    }
    if (scroll) {
        const int n = (60 - tipline::ansiWidth(text)) / 2;
        if (n < 0)
            throw Failure(ErrorNumber::InvalidProcedureCall,
                          QStringLiteral("Invalid procedure call or argument"));
        lblTip->setText(tipline::padded(text, n));
    } else {
        lblTip->setText(text);
    }
    setTipForeColor(colour);
    if (scroll)
        Timer1->start();
    else
        Timer1->stop();
    if (isMinimized())
        setWindowTitle(text);
}

void frmMain::CenterTip(const QString &text, int width)
{
    int n = 0;
    if (Timer1->isActive()) {
        n = (width - tipline::ansiWidth(text)) / 2;
        if (n < 0)
            throw Failure(ErrorNumber::InvalidProcedureCall,
                          QStringLiteral("Invalid procedure call or argument"));
    }
    lblTip->setText(tipline::padded(text, n));
}

void frmMain::ScrollText(QString &strText)
{
    strText = tipline::rotated(strText);
    lblTip->setText(strText);
}

void frmMain::Timer1_Timer()
{
    if (strTip.isEmpty())
        return;
    QString text = lblTip->text();
    ScrollText(text);
}

void frmMain::ReceiveExplain()
{
}
