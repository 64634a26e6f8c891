#include "shell/ContactDialog.h"

#include "calllog/CallLog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

ContactDialog::ContactDialog(const QString &title, const QString &number, const QString &name,
                             QWidget *parent)
    : QDialog(parent), m_number(new QLineEdit(number, this)), m_name(new QLineEdit(name, this))
{
    setWindowTitle(title);
    if (parent) {
        setPalette(parent->palette());
        setFont(parent->font());
    }
    // What the phonebook keeps of a text; a longer one would be cut on reading.
    for (QLineEdit *field : {m_number, m_name})
        field->setMaxLength(int(CallLog::LongestContactText));
    auto *form = new QFormLayout(this);
    form->addRow(tr("&Number:"), m_number);
    form->addRow(tr("N&ame:"), m_name);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    m_save = buttons->button(QDialogButtonBox::Save);
    m_save->setDefault(true);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_number, &QLineEdit::textChanged, this, &ContactDialog::updateSave);
    connect(m_name, &QLineEdit::textChanged, this, &ContactDialog::updateSave);
    updateSave();
    m_name->selectAll();
    m_name->setFocus();
}

QString ContactDialog::number() const
{
    return m_number->text().trimmed();
}

QString ContactDialog::name() const
{
    return m_name->text().trimmed();
}

void ContactDialog::updateSave()
{
    m_save->setEnabled(!number().isEmpty() && !name().isEmpty());
}
