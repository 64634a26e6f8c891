#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// Names a caller: the number, prefilled from the call and editable (a contact may cover the
// number as the user writes it, or a range), and the name, which has the focus. Enter saves,
// Esc cancels; it takes the window's palette and font so that it reads as part of it.
class ContactDialog : public QDialog
{
    Q_OBJECT

public:
    ContactDialog(const QString &title, const QString &number, const QString &name,
                  QWidget *parent);

    QString number() const;
    QString name() const;

    QLineEdit *numberField() const { return m_number; }
    QLineEdit *nameField() const { return m_name; }

private:
    void updateSave();

    QLineEdit *m_number = nullptr;
    QLineEdit *m_name = nullptr;
    QPushButton *m_save = nullptr;
};
