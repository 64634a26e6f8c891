#pragma once

#include <QPixmap>
#include <QWidget>

// The splash window shown while start-up connects to the call log and opens the modem.
class start : public QWidget
{
    Q_OBJECT
public:
    explicit start(QWidget *parent = nullptr);

    void Form_Load();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
