#include "callers/CallScreen.h"

#include <QCoreApplication>

#include <algorithm>
#include <functional>

std::optional<ScreenRules::Mode> ScreenRules::modeNamed(const QString &name)
{
    const QString word = name.trimmed().toLower();
    if (word == u"off")
        return Mode::Off;
    if (word == u"list")
        return Mode::List;
    if (word == u"known-only")
        return Mode::KnownOnly;
    return std::nullopt;
}

NameRules::NameRules(const QStringList &rules)
{
    for (const QString &written : rules) {
        const QString rule = written.trimmed().toUpper();
        if (rule.isEmpty())
            continue;
        ++m_count;
        const qsizetype star = rule.indexOf(QLatin1Char('*'));
        if (star < 0) {
            m_exact.insert(rule, written.trimmed());
        } else if (star == rule.size() - 1) {
            const QString prefix = rule.chopped(1);
            if (!m_prefixes.contains(prefix))
                m_prefixes.insert(prefix, written.trimmed());
            const auto place = std::lower_bound(m_prefixLengths.begin(), m_prefixLengths.end(),
                                                prefix.size(), std::greater<qsizetype>());
            if (place == m_prefixLengths.end() || *place != prefix.size())
                m_prefixLengths.insert(place, prefix.size());
        } else {
            m_patterns.append({rule, written.trimmed()});
        }
    }
}

QString NameRules::match(const QString &lineName) const
{
    if (m_count == 0)
        return {};
    const QString name = lineName.trimmed().toUpper();
    if (const auto exact = m_exact.constFind(name); exact != m_exact.cend())
        return *exact;
    for (const qsizetype length : m_prefixLengths) {
        if (length > name.size())
            continue;
        if (const auto prefix = m_prefixes.constFind(name.left(length));
            prefix != m_prefixes.cend())
            return *prefix;
    }
    for (const auto &[pattern, written] : m_patterns) {
        if (matchesPattern(name, pattern))
            return written;
    }
    return {};
}

bool matchesPattern(QStringView text, QStringView pattern)
{
    // Greedy matching with one step back to the last "*": linear for patterns of "*" only.
    qsizetype t = 0, p = 0, starAt = -1, resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starAt >= 0) {
            p = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool isWithheld(const QString &number)
{
    static const QStringList markers{QStringLiteral("P"), QStringLiteral("O"),
                                     QStringLiteral("PRIVATE"), QStringLiteral("OUT-OF-AREA"),
                                     QStringLiteral("UNAVAILABLE")};
    const QString text = number.trimmed();
    return text.isEmpty() || markers.contains(text, Qt::CaseInsensitive);
}

Verdict screenCall(const ScreenRules &rules, const ScreenFacts &facts)
{
    if (facts.mark == u"allow" || (facts.known && facts.mark.isEmpty()))
        return {};
    QString reason;
    if (facts.mark == u"block") {
        reason =
            QCoreApplication::translate("CallScreen", "on the block list (%1)").arg(facts.entry);
    } else if (facts.nameRulesExist && !facts.lineName) {
        // The name decides, unless the call is to be hung up whatever it is: then at once,
        // for the reason that comes later in the order.
        const bool hangsUpAnyway = rules.mode == ScreenRules::Mode::KnownOnly ||
                                   (facts.withheld && rules.blockWithheld) ||
                                   (facts.invalid && rules.blockInvalid);
        if (!hangsUpAnyway)
            return {false, true, {}};
    } else if (!facts.nameRule.isEmpty()) {
        reason = QCoreApplication::translate("CallScreen", "the name matches a rule (%1)")
                     .arg(facts.nameRule);
    }
    if (reason.isEmpty() && facts.withheld && rules.blockWithheld)
        reason = QCoreApplication::translate("CallScreen", "the number is withheld");
    if (reason.isEmpty() && facts.invalid && rules.blockInvalid)
        reason = QCoreApplication::translate("CallScreen", "the number cannot exist");
    if (reason.isEmpty() && rules.mode == ScreenRules::Mode::KnownOnly) {
        if (facts.undecidable && !facts.withheld)
            return {false, false, {}, true};
        reason = QCoreApplication::translate("CallScreen", "not in the phonebook");
    }
    return {rules.hangsUp() && !reason.isEmpty(), false, reason};
}
