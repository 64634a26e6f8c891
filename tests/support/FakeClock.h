#pragma once

#include "locale/DateServices.h"

// A clock the test sets by hand.
class FakeClock final : public dates::Clock
{
public:
    explicit FakeClock(QDateTime now = dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25)))
        : m_now(std::move(now))
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void set(const QDate &date, const QTime &time = QTime(12, 0))
    {
        m_now = dates::makeDateTime(date, time);
    }

private:
    QDateTime m_now;
};
