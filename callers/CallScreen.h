#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the user said about calls they do not want ([blocking] in the settings file, or the
// command line for one run).
struct ScreenRules
{
    enum class Mode {
        Off,      // nothing is hung up; a listed call is only marked
        List,     // the block list, name rules and the settings below hang up
        KnownOnly // every caller not allowed and not a contact is hung up
    };
    Mode mode = Mode::Off;
    bool blockWithheld = false;
    bool blockInvalid = false;
    int holdMs = 1500;  // how long the line is held off hook before hanging up
    bool notify = true; // a desktop notice for each call hung up on

    bool hangsUp() const { return mode != Mode::Off; }
    // "off", "list", "known-only"; nothing for anything else.
    static std::optional<Mode> modeNamed(const QString &name);
};

// Rules on the name the line sends: "*" stands for any text, case does not matter ("V*",
// "SPAM*", "TELEMARKETER"). Whole words and prefixes, what nearly all rules are, are looked
// up by hash, so that a hundred rules cost a call no more than a few of them.
class NameRules
{
public:
    NameRules() = default;
    explicit NameRules(const QStringList &rules);

    bool isEmpty() const { return m_count == 0; }
    // The rule the name matches, as written; empty when none. Exact rules win over
    // prefixes, longer prefixes over shorter, then the others in order.
    QString match(const QString &name) const;

private:
    QHash<QString, QString> m_exact;    // upper-cased rule -> rule
    QHash<QString, QString> m_prefixes; // upper-cased text before the one "*"
    std::vector<qsizetype> m_prefixLengths; // longest first
    QList<QPair<QString, QString>> m_patterns; // upper-cased, as written
    qsizetype m_count = 0;
};

// Whether text as the line sends it matches a rule with "*" (both upper-cased).
bool matchesPattern(QStringView text, QStringView pattern);

// The number stands for no number: withheld, unavailable or empty.
bool isWithheld(const QString &number);

// What the phonebook and the rules know of one caller.
struct ScreenFacts
{
    QString mark;     // of the caller's entry: "allow", "block" or empty
    QString entry;    // the entry as written, when there is one
    bool known = false;   // the entry names the caller
    std::optional<QString> lineName; // not yet known while the report is open
    QString nameRule; // the name rule the line's name matches
    bool nameRulesExist = false;
    bool withheld = false;
    bool invalid = false;
    bool undecidable = false; // a number libphonenumber cannot read
};

// The decision for one call. Allowed or known wins over everything, then the block list,
// the name rules, a withheld number and an invalid one; in the known-only mode whoever is
// left is hung up too.
struct Verdict
{
    bool hangUp = false;
    // Only the name the line has not sent yet can still change the verdict.
    bool waitForName = false;
    // Why the call is unwanted ("on the block list (0800*)"), also when it is not hung up
    // because blocking is off; empty when it is wanted.
    QString reason;
    // Only not knowing the number kept the call from being hung up (known-only): the call
    // rings, as nothing may be hung up on for what Ringvane cannot tell.
    bool undecided = false;
};
Verdict screenCall(const ScreenRules &rules, const ScreenFacts &facts);
