#include "calllog/CallNotice.h"

#include "locale/DateServices.h"
#include "failure/Failure.h"
#include "locale/LocaleSupport.h"
#include "locale/Nls.h"
#include "calllog/OneLine.h"
#include "text/PluralCount.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// Asked for each time: a translation installed after start-up must still reach them.
QString privateNumber()
{
    return QCoreApplication::translate("CallNotice", "Private number");
}

QString numberUnavailable()
{
    return QCoreApplication::translate("CallNotice", "Number unavailable");
}

QString dateAndTime(const QDateTime &when)
{
    if (!when.isValid())
        return {};
    QString date;
    try {
        date = FormatLocalDate(when, true);
    } catch (const Failure &) {
        // Without the date the time alone still says when.
    }
    const QString time = dates::formatCallTime(when.time(), GetLocaleString(LOCALE_STIME));
    return date.isEmpty() ? time : date + u' ' + time;
}

} // namespace

QString markerInWords(const QString &field)
{
    const QString marker = field.trimmed().toUpper();
    if (marker == u"P" || marker == u"PRIVATE")
        return privateNumber();
    if (marker == u"O" || marker == u"OUT-OF-AREA" || marker == u"UNAVAILABLE")
        return numberUnavailable();
    return {};
}

CallNoticeText callNoticeText(const Call &call, qint64 callsInFlood, const CallerShown &shown)
{
    const QString number = oneLine(call.number).trimmed();
    const QString name = oneLine(call.name).trimmed();
    const QString numberWords = markerInWords(number);
    const QString nameWords = name.size() == 1 ? markerInWords(name) : QString();
    const QString contact = oneLine(shown.contact).trimmed();
    const QString written = oneLine(shown.number).trimmed();
    const QString shownNumber = written.isEmpty() ? number : written;

    CallNoticeText text;
    QStringList lines;
    if (call.blocked) {
        // The caller was hung up on: the number, and why, is all there is to know.
        const QString who = !numberWords.isEmpty() ? numberWords
                            : number.isEmpty()     ? numberUnavailable()
                                                   : shownNumber;
        text.summary = QCoreApplication::translate("CallNotice", "Blocked: %1").arg(who);
        if (!contact.isEmpty())
            lines << contact;
        const QString why = oneLine(shown.unwanted).trimmed();
        if (!why.isEmpty())
            lines << why.left(1).toUpper() + why.mid(1);
    } else if (!contact.isEmpty()) {
        text.summary = contact;
        lines << (numberWords.isEmpty() ? shownNumber : numberWords);
    } else if (!numberWords.isEmpty()) {
        text.summary = numberWords;
    } else if (!number.isEmpty()) {
        text.summary = shownNumber;
    } else {
        text.summary = nameWords.isEmpty() ? numberUnavailable() : nameWords;
    }

    // A name of "P" or "O" says no more than the summary does; beside a real number it
    // would even contradict it, so it is shown only where it stood in for the number.
    if (!name.isEmpty() && nameWords.isEmpty() && name.compare(contact, Qt::CaseInsensitive) != 0)
        lines << name;
    const QString place = oneLine(shown.place).trimmed();
    if (!call.blocked && contact.isEmpty() && name.isEmpty() && !place.isEmpty())
        lines << place;
    const QString when = dateAndTime(call.when);
    if (!when.isEmpty())
        lines << when;
    if (callsInFlood > 1) {
        lines << QCoreApplication::translate("CallNotice", "Latest of %n calls", nullptr,
                                             pluralCount(callsInFlood));
    }
    text.body = lines.join(u'\n');
    return text;
}
