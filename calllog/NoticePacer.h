#pragma once

#include <QtGlobal>

// The flood rule of the call notices, on a millisecond clock the caller reads: at most
// one notice per gap. A call arriving sooner is held; when the gap is over the held calls
// come out as one notice that replaces the previous one and counts every call since the
// flood began. A call after a quiet gap gets a notice of its own, which stays.
class NoticePacer
{
public:
    static constexpr qint64 kGapMs = 250;

    struct Step
    {
        bool showNow = false;  // show a notice for the latest call now
        bool replaces = false; // it replaces the previous notice
        qint64 calls = 0;      // the calls the notice stands for
        friend bool operator==(const Step &, const Step &) = default;
    };

    // A call arrived. When it is held, release() is due at dueAt().
    Step arrive(qint64 nowMs);
    // Whether calls are held, and when they may be shown.
    bool holding() const { return m_held > 0; }
    qint64 dueAt() const { return m_lastShownMs + kGapMs; }
    // The held calls are shown now.
    Step release(qint64 nowMs);

private:
    bool m_shownBefore = false;
    qint64 m_lastShownMs = 0;
    qint64 m_held = 0;
    qint64 m_flood = 0; // calls shown in the current flood so far
};
