#pragma once

#include <QImage>
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
    void showEvent(QShowEvent *event) override;

private:
    QImage m_picture;
    quint32 m_backColor = 0;
    bool m_centred = false;
    bool m_showInTaskbar = true;
    bool m_shownOnce = false;
};
