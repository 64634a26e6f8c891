#include "shell/frmMain.h"

#include "platform/Comm.h"
#include "failure/Failure.h"
#include "shell/CallMarkDelegate.h"
#include "shell/LayoutBuilder.h"
#include "picturebutton/PictureStore.h"
#include "shell/ReceiveLogView.h"
#include "shell/TipLine.h"
#include "platform/gui/WindowSystem.h"
#include "picturebutton/btn.h"

#include <QComboBox>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

using layoutdata::ControlLayout;

// Outside any namespace, as the resource initialisers require.
static void initHelpResource()
{
    Q_INIT_RESOURCE(help);
}

namespace {

// The help view shows a page on the user's own disk. A fresh user has none yet, so the
// one the program carries is put there; one the user already has is left alone.
bool installHelpPage(const QString &page)
{
    initHelpResource();
    const QString shipped = QStringLiteral(":/help/") + QFileInfo(page).fileName();
    if (!QFile::exists(shipped) || !QDir().mkpath(QFileInfo(page).absolutePath()))
        return false;
    if (!QFile::copy(shipped, page))
        return false;
    // Copies out of the resources are read-only; the user may want to edit the page.
    QFile::setPermissions(page, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                    | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

} // namespace

frmMain::frmMain(Comm *serial, const dates::Clock &clock, QWidget *parent)
    : QWidget(parent, Qt::Window), m_clock(clock), m_pipeline(new CallPipeline(clock, this)),
      strDateSep(m_pipeline->dateSeparator()), strTimeSep(m_pipeline->timeSeparator()),
      strReceive(m_pipeline->buffer())
{
    const layoutdata::WindowLayout layout = layoutbuilder::loadWindow(QStringLiteral(":/layout/frmMain.json"));
    layoutbuilder::applyWindow(this, layout);
    windowsystem::keepExactCaption(this);
    m_background = picturestore::image(layout.picture);
    m_backColor = layout.backColor;
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_centreAtFirstShow = layout.centred;
    m_showInTaskbar = layout.showInTaskbar;

    comm = serial ? serial : newSerialPort();
    comm->setParent(this);
    connect(comm, &Comm::OnComm, this, &frmMain::comm_OnComm);
    m_waitingNotice = new QTimer(this);
    m_waitingNotice->setSingleShot(true);
    connect(m_waitingNotice, &QTimer::timeout, this, [this] {
        // A status shown since the call's tip is newer than the notice and stays.
        if (tipKind() == Tip::Call)
            showWaitingNotice();
    });
    connectCallRecorder();

    // Widgets stack in the order they are created, so build from the bottom up.
    try {
        for (auto it = layout.controls.crbegin(); it != layout.controls.crend(); ++it)
            createControl(*it);
    } catch (const layoutbuilder::Mismatch &mismatch) {
        qFatal("window layout of frmMain does not fit its controls: %s", qPrintable(mismatch.message));
    }

    QWidget *previous = nullptr;
    for (const QString &name : layout.tabOrder()) {
        QWidget *next = findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
        if (!next || next->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
}

frmMain::~frmMain()
{
    // The call path ends before the controls it reports to.
    disconnect(m_pipeline, nullptr, this, nullptr);
    disconnect(&m_pipeline->recorder(), nullptr, this, nullptr);
    delete m_pipeline;
    if (m_dayViewReopen) {
        m_dayViewReopen->wait();
        delete m_dayViewReopen;
    }
    // The port goes with the window, however the program ends.
    if (comm && comm->PortOpen()) {
        try {
            comm->setPortOpen(false);
        } catch (const Failure &) {
        }
    }
}

void frmMain::createControl(const ControlLayout &control)
{
    using Kind = layoutdata::ControlKind;
    const QString &name = control.name;
    QWidget *widget = nullptr;

    switch (control.kind) {
    case Kind::Timer:
        if (name == QLatin1String("Timer1")) {
            Timer1 = new QTimer(this);
            Timer1->setObjectName(name);
            connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
            layoutbuilder::applyTimer(Timer1, control);
        }
        return;
    case Kind::SerialPort:
        comm->setObjectName(name);
        layoutbuilder::applySerialPort(comm, control);
        return;
    case Kind::PictureButton: {
        auto *button = new btn(layoutbuilder::storeFor(control), this);
        widget = button;
        if (name == QLatin1String("Power")) {
            Power = button;
            connect(button, &btn::Click, this, &frmMain::Power_Click);
        } else if (name == QLatin1String("brPrev")) {
            brPrev = button;
            connect(button, &btn::Click, this, &frmMain::brPrev_Click);
        } else if (name == QLatin1String("brNext")) {
            brNext = button;
            connect(button, &btn::Click, this, &frmMain::brNext_Click);
        } else if (name == QLatin1String("btnClose")) {
            btnClose = button;
            connect(button, &btn::Click, this, &frmMain::btnClose_Click);
        } else if (name == QLatin1String("brToday")) {
            brToday = button;
            connect(button, &btn::Click, this, &frmMain::brToday_Click);
        } else if (name == QLatin1String("btn5")) {
            btn5 = button;
            connect(button, &btn::Click, this, &frmMain::btn5_Click);
        } else if (name == QLatin1String("btnRcd")) {
            btnRcd = button;
            connect(button, &btn::Click, this, &frmMain::btnRcd_Click);
        } else if (name == QLatin1String("btnMdm")) {
            btnMdm = button;
            connect(button, &btn::Click, this, &frmMain::btnMdm_Click);
        }
        button->setFocusPolicy(Qt::TabFocus);
        break;
    }
    case Kind::HtmlView: {
        Scriptlet1 = new QTextBrowser(this);
        Scriptlet1->setOpenLinks(false);
        Scriptlet1->setFrameShape(QFrame::NoFrame);
        Scriptlet1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Scriptlet1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const QString page = layoutbuilder::localPathFor(control.url);
        if (!page.isEmpty() && (QFile::exists(page) || installHelpPage(page)))
            Scriptlet1->setSource(QUrl::fromLocalFile(page));
        widget = Scriptlet1;
        break;
    }
    case Kind::TextBox:
        if (name == QLatin1String("RcvText")) {
            RcvText = new ReceiveLogView(this);
            connect(RcvText, &ReceiveLogView::KeyPress, this, [this](short key) {
                RcvText_KeyPress(key);
            });
            layoutbuilder::applyTextBox(RcvText, control);
            widget = RcvText;
        } else {
            brDay = new QLineEdit(this);
            layoutbuilder::applyTextBox(brDay, control);
            brDay->installEventFilter(this);
            widget = brDay;
        }
        break;
    case Kind::ComboBox:
        cboMODEM = new QComboBox(this);
        layoutbuilder::applyComboBox(cboMODEM, control);
        connect(cboMODEM, &QComboBox::activated, this, [this] { cboMODEM_Click(); });
        widget = cboMODEM;
        break;
    case Kind::ListBox:
        lstCID = new QListWidget(this);
        layoutbuilder::applyListBox(lstCID, control);
        lstCID->setUniformItemSizes(true);
        lstCID->setItemDelegate(new CallMarkDelegate(lstCID));
        watchCallMenu();
        widget = lstCID;
        break;
    case Kind::Label:
        lblTip = new QLabel(this);
        // Status texts carry what the line sent: never read as markup.
        lblTip->setTextFormat(Qt::PlainText);
        layoutbuilder::applyLabel(lblTip, control);
        lblTip->setFocusPolicy(Qt::NoFocus);
        lblTip->installEventFilter(this);
        widget = lblTip;
        break;
    case Kind::Image:
        imgTitle = new QLabel(this);
        layoutbuilder::applyImage(imgTitle, control);
        imgTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        imgTitle->setFocusPolicy(Qt::NoFocus);
        imgTitle->installEventFilter(this);
        widget = imgTitle;
        break;
    }

    if (widget)
        layoutbuilder::applyCommon(widget, control);
    if (widget == lblTip)
        setTipForeColor(control.foreColor.value_or(m_lblTipForeColor));
}

void frmMain::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    layoutbuilder::paintFace(painter, this, m_background, m_backColor);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == imgTitle || watched == lblTip)) {
        auto *press = static_cast<QMouseEvent *>(event);
        const auto [button, shift] = mouseArguments(press);
        const QPointF at = press->position();
        if (watched == imgTitle)
            imgTitle_MouseDown(button, shift, float(at.x()), float(at.y()));
        else
            lblTip_MouseDown(button, shift, float(at.x()), float(at.y()));
        return true;
    }
    if (callMenuEvent(watched, event))
        return true;
    if (watched == brDay && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            brDay_KeyDown(13, shiftMask(key->modifiers()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int frmMain::shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

std::pair<int, int> frmMain::mouseArguments(const QMouseEvent *event)
{
    int button = 0;
    if (event->button() == Qt::LeftButton)
        button = 1;
    else if (event->button() == Qt::RightButton)
        button = 2;
    else if (event->button() == Qt::MiddleButton)
        button = 4;
    return {button, shiftMask(event->modifiers())};
}

void frmMain::setTipForeColor(quint32 colour)
{
    m_lblTipForeColor = colour;
    QPalette palette = lblTip->palette();
    palette.setColor(QPalette::WindowText, colorFromOle(colour));
    lblTip->setPalette(palette);
}

void frmMain::ShowTip(const QString &text, Tip kind, bool scroll)
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
    // The line holds about 46 characters; a longer text can still be read in full by
    // pointing at it.
    lblTip->setToolTip(lblTip->fontMetrics().horizontalAdvance(lblTip->text()) > lblTip->contentsRect().width()
                           ? text
                           : QString());
    setTipForeColor(tipColour(kind));
    m_tipKind = kind;
    if (scroll)
        Timer1->start();
    else
        Timer1->stop();
    if (WindowState() == vbMinimized)
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
