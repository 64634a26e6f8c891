// The call list's context menu: naming a caller, renaming and removing a contact, and
// putting a number on the block or allow list.
#include "shell/frmMain.h"

#include "failure/Failure.h"
#include "shell/ContactDialog.h"
#include "shell/PhonebookEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QThread>

#include <memory>

void frmMain::watchCallMenu()
{
    lstCID->installEventFilter(this);
    lstCID->viewport()->installEventFilter(this);
}

bool frmMain::callMenuEvent(QObject *watched, QEvent *event)
{
    if (!lstCID || (watched != lstCID && watched != lstCID->viewport()))
        return false;
    QListWidgetItem *item = lstCID->currentItem();
    QPoint at =
        lstCID->viewport()->mapToGlobal(item ? lstCID->visualItemRect(item).center() : QPoint());
    if (event->type() == QEvent::ContextMenu) {
        // A click asks for the call under the pointer; the Menu key for the current one.
        const auto *asked = static_cast<const QContextMenuEvent *>(event);
        if (asked->reason() == QContextMenuEvent::Mouse) {
            at = asked->globalPos();
            item = lstCID->itemAt(lstCID->viewport()->mapFromGlobal(at));
            if (item)
                lstCID->setCurrentItem(item);
        }
    } else if (event->type() == QEvent::KeyPress) {
        // Shift+F10 reaches a widget as a key: no window system turns it into a menu.
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier)
            return false;
    } else {
        return false;
    }
    showCallMenu(item, at);
    return true;
}

void frmMain::showCallMenu(QListWidgetItem *item, const QPoint &at)
{
    const CallerBook *callers = m_pipeline->callers();
    if (!item || !callers)
        return;
    const QString number = item->data(kNumberRole).toString();
    if (number.isEmpty())
        return;
    const QString contact = callers->describe(number, item->data(kNameRole).toString()).contact;
    const QString mark = callers->listing(number).mark;
    auto *menu = new QMenu(lstCID);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    using phonebookedit::Action;
    for (Action action : phonebookedit::menuActions(contact, mark)) {
        if (action == Action::Block)
            menu->addSeparator();
        connect(menu->addAction(phonebookedit::actionText(action)), &QAction::triggered, this,
                [this, action, number, contact] {
                    switch (action) {
                    case Action::Remove:
                        return removeContact(number);
                    case Action::Block:
                        return markNumber(number, QStringLiteral("block"));
                    case Action::Allow:
                        return markNumber(number, QStringLiteral("allow"));
                    case Action::Unmark:
                        return markNumber(number, QString());
                    case Action::Name:
                    case Action::Rename:
                        return openContactDialog(action, number, contact);
                    }
                });
    }
    menu->popup(at);
}

void frmMain::openContactDialog(phonebookedit::Action action, const QString &number,
                                const QString &contact)
{
    QString title = phonebookedit::actionText(action);
    // The menu entry without its ellipsis, which a translation may have left out.
    if (title.endsWith(u'…'))
        title.chop(1);
    auto *dialog = new ContactDialog(title, number, contact, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QString region =
            m_pipeline->callers() ? m_pipeline->callers()->numbers().region() : QString();
        const QString number = dialog->number();
        const QString name = dialog->name();
        editPhonebook(
            [region, number, name] { return phonebookedit::saveToCallLog(region, number, name); });
    });
    dialog->open();
}

void frmMain::removeContact(const QString &number)
{
    const QString region =
        m_pipeline->callers() ? m_pipeline->callers()->numbers().region() : QString();
    editPhonebook([region, number]() -> Result<void> {
        const Result<qint64> removed = phonebookedit::removeFromCallLog(region, number);
        if (!removed)
            return removed.failure();
        return {};
    });
}

void frmMain::markNumber(const QString &number, const QString &mark)
{
    const QString region =
        m_pipeline->callers() ? m_pipeline->callers()->numbers().region() : QString();
    editPhonebook(
        [region, number, mark] { return phonebookedit::markInCallLog(region, number, mark); });
}

void frmMain::editPhonebook(const std::function<Result<void>()> &edit)
{
    // The data source may take its login time to answer: not on the window's thread.
    auto outcome = std::make_shared<Result<void>>();
    QThread *worker = QThread::create([edit, outcome] { *outcome = edit(); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, outcome] {
        if (!*outcome) {
            ReportCallLogProblem(tr("The phonebook could not be changed"), outcome->errorString());
            return;
        }
        // Read now rather than at the book's next turn, so that the lines show it at once.
        if (CallerBook *callers = m_pipeline->callers())
            callers->start();
    });
    worker->start();
}
