#include "tools/contacts/ContactsCommand.h"

#include "callers/PhoneNumbers.h"
#include "failure/Failure.h"
#include "platform/Database.h"
#include "tools/calls/CallsCommand.h"
#include "tools/calls/CallsFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <unordered_map>

namespace contacts {

namespace {

const char *const kCommands =
    "list, add, remove, block, allow, unmark, block-name, remove-name, import or export";

// A plain name for the translations' counts: lupdate loses a text whose count is qualified.
constexpr int kLongestText = CallLog::LongestContactText;

QString quotedArgument(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

bool isTimeLimit(const Failure &failure)
{
    const QString &state = failure.sqlState();
    return state == u"HYT00" || state == u"HYT01" || state == u"57014";
}

// A vCard text value: its separators and line breaks escaped, other controls as U+FFFD
// (vCard has no way to write them, and the file may be shown on a terminal).
QString vCardText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QLatin1String("\\\\");
            break;
        case u',':
            escaped += QLatin1String("\\,");
            break;
        case u';':
            escaped += QLatin1String("\\;");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        default:
            escaped += c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f)
                           ? QChar(0xfffd)
                           : c;
        }
    }
    return escaped;
}

// One content line, folded after 75 octets without cutting a character in two.
void appendFolded(std::string &out, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype lineStart = 0;
    qsizetype limit = 75;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool continuation = (uchar(bytes.at(i)) & 0xc0) == 0x80;
        if (i - lineStart >= limit && !continuation) {
            out += "\r\n ";
            lineStart = i;
            limit = 74; // the leading blank counts
        }
        out += bytes.at(i);
    }
    out += "\r\n";
}

// The names in the order they first come, each with its numbers.
QList<QPair<QString, QStringList>> byName(const QList<Contact> &contacts)
{
    QList<QPair<QString, QStringList>> names;
    QHash<QString, qsizetype> at;
    for (const Contact &contact : contacts) {
        const auto found = at.constFind(contact.name);
        if (found == at.cend()) {
            at.insert(contact.name, names.size());
            names.append({contact.name, {contact.number}});
        } else {
            names[*found].second.append(contact.number);
        }
    }
    return names;
}

// Each list has its own sentences, so that a language names it with its own word (a German
// reader sees "Sperrliste", not "block-Liste"); a mark this command does not know of is
// named as it is stored.
enum class ListChange { Removed, AlreadyOn, Added };

QString listChangeText(ListChange change, const QString &entry, const QString &list)
{
    const bool block = list == u"block";
    const bool allow = list == u"allow";
    switch (change) {
    case ListChange::Removed:
        if (block)
            return QCoreApplication::translate("ringvane-contacts",
                                               "Removed %1 from the block list.")
                .arg(entry);
        if (allow)
            return QCoreApplication::translate("ringvane-contacts",
                                               "Removed %1 from the allow list.")
                .arg(entry);
        return QCoreApplication::translate("ringvane-contacts", "Removed %1 from the %2 list.")
            .arg(entry, list);
    case ListChange::AlreadyOn:
        if (block)
            return QCoreApplication::translate("ringvane-contacts",
                                               "%1 is already on the block list.")
                .arg(entry);
        if (allow)
            return QCoreApplication::translate("ringvane-contacts",
                                               "%1 is already on the allow list.")
                .arg(entry);
        return QCoreApplication::translate("ringvane-contacts", "%1 is already on the %2 list.")
            .arg(entry, list);
    case ListChange::Added:
        break;
    }
    if (block)
        return QCoreApplication::translate("ringvane-contacts", "Added %1 to the block list.")
            .arg(entry);
    if (allow)
        return QCoreApplication::translate("ringvane-contacts", "Added %1 to the allow list.")
            .arg(entry);
    return QCoreApplication::translate("ringvane-contacts", "Added %1 to the %2 list.")
        .arg(entry, list);
}

QString movedText(const QString &entry, const QString &from, const QString &to)
{
    if (from == u"block" && to == u"allow")
        return QCoreApplication::translate("ringvane-contacts",
                                           "Moved %1 from the block list to the allow list.")
            .arg(entry);
    if (from == u"allow" && to == u"block")
        return QCoreApplication::translate("ringvane-contacts",
                                           "Moved %1 from the allow list to the block list.")
            .arg(entry);
    return QCoreApplication::translate("ringvane-contacts",
                                       "Moved %1 from the %2 list to the %3 list.")
        .arg(entry, from, to);
}

} // namespace

ParsedOptions parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("FORMAT"));
    const QCommandLineOption dsn(QStringLiteral("dsn"), {}, QStringLiteral("NAME"));
    parser.addOptions({help, format, dsn});

    ParsedOptions parsed;
    Options &o = parsed.options;
    QString &error = parsed.error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        o.help = true;
        return parsed;
    }
    for (const QCommandLineOption *option : {&format, &dsn}) {
        if (parser.values(*option).size() > 1) {
            error =
                QCoreApplication::translate("ringvane-contacts", "--%1 is given more than once.")
                    .arg(option->names().constFirst());
            return parsed;
        }
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error = QCoreApplication::translate("ringvane-contacts", "Give a command: %1.")
                    .arg(QLatin1String(kCommands));
        return parsed;
    }
    const QString command = positional.takeFirst();
    struct Known
    {
        const char *name;
        Command command;
        QStringList arguments;
    };
    const Known known[] = {
        {"list", Command::List, {}},
        {"add", Command::Add, {QStringLiteral("NUMBER"), QStringLiteral("NAME")}},
        {"remove", Command::Remove, {QStringLiteral("NUMBER")}},
        {"import", Command::Import, {QStringLiteral("FILE")}},
        {"export", Command::Export, {}},
        {"block", Command::Block, {QStringLiteral("NUMBER")}},
        {"allow", Command::Allow, {QStringLiteral("NUMBER")}},
        {"unmark", Command::Unmark, {QStringLiteral("NUMBER")}},
        {"block-name", Command::BlockName, {QStringLiteral("RULE")}},
        {"remove-name", Command::RemoveName, {QStringLiteral("RULE")}},
    };
    const auto found = std::find_if(std::begin(known), std::end(known), [&](const Known &k) {
        return command == QLatin1String(k.name);
    });
    if (found == std::end(known)) {
        error = QCoreApplication::translate("ringvane-contacts", "Unknown command %1: give %2.")
                    .arg(quotedArgument(command), QLatin1String(kCommands));
        return parsed;
    }
    o.command = found->command;
    if (positional.size() != found->arguments.size()) {
        error = found->arguments.isEmpty()
                    ? QCoreApplication::translate("ringvane-contacts", "%1 takes no arguments.")
                          .arg(command)
                    : QCoreApplication::translate("ringvane-contacts",
                                                  "%1 takes %2 (in quotes where it has blanks).")
                          .arg(command, found->arguments.join(QLatin1Char(' ')));
        return parsed;
    }
    for (QString &argument : positional) {
        if (o.command != Command::Import)
            argument = argument.simplified();
        if (argument.isEmpty() || argument.size() > CallLog::LongestContactText) {
            error =
                QCoreApplication::translate("ringvane-contacts", "Give a %1 of 1 to %n characters.",
                                            nullptr, kLongestText)
                    .arg(found->arguments.at(&argument - positional.data()));
            return parsed;
        }
    }
    o.arguments = positional;

    const bool listing = o.command == Command::List;
    o.format = o.command == Command::Export ? Format::VCard : Format::Text;
    if (parser.isSet(format)) {
        const QString name = parser.value(format);
        const struct
        {
            const char *name;
            Format format;
            bool list;
            bool exported;
        } formats[] = {{"text", Format::Text, true, false},
                       {"csv", Format::Csv, true, true},
                       {"json", Format::Json, true, false},
                       {"vcard", Format::VCard, false, true}};
        const auto f = std::find_if(std::begin(formats), std::end(formats),
                                    [&](const auto &f) { return name == QLatin1String(f.name); });
        if (o.command != Command::List && o.command != Command::Export) {
            error = QCoreApplication::translate("ringvane-contacts",
                                                "--format goes with list and export.");
            return parsed;
        }
        if (f == std::end(formats) || !(listing ? f->list : f->exported)) {
            error = listing ? QCoreApplication::translate(
                                  "ringvane-contacts", "Unknown format %1: give text, csv or json.")
                                  .arg(quotedArgument(name))
                            : QCoreApplication::translate("ringvane-contacts",
                                                          "Unknown format %1: give vcard or csv.")
                                  .arg(quotedArgument(name));
            return parsed;
        }
        o.format = f->format;
    }
    if (parser.isSet(dsn)) {
        o.dataSource = parser.value(dsn);
        if (!calls::isDataSourceName(o.dataSource) ||
            o.dataSource.size() > calls::MaxDataSourceNameLength) {
            error =
                QCoreApplication::translate("ringvane-contacts", "%1 is not a data source name.")
                    .arg(quotedArgument(o.dataSource));
            return parsed;
        }
    }
    return parsed;
}

QString connectionString(const QString &dataSource)
{
    // NoCreat=1: no empty SQLite file is left where the log was missing.
    return QStringLiteral("DSN=%1;NoCreat=1;").arg(dataSource);
}

std::string entryKey(const PhoneNumbers &numbers, const QString &number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.endsWith(u'*'))
        return '*' + numbers.rangeKey(trimmed.chopped(1));
    return numbers.exactKey(trimmed);
}

Merge merge(const QList<Contact> &existing, const contactfiles::Contents &incoming,
            const PhoneNumbers &numbers)
{
    Merge result;
    result.skipped = incoming.skipped;
    std::unordered_map<std::string, QList<qsizetype>> stored;
    for (qsizetype i = 0; i < existing.size(); ++i) {
        if (!isNameRule(existing.at(i)))
            stored[entryKey(numbers, existing.at(i).number)].append(i);
    }
    std::unordered_map<std::string, QString> brought; // key -> the name it came with
    for (const contactfiles::Entry &entry : incoming.entries) {
        const QString number = entry.number.trimmed();
        const QString name = entry.name.simplified();
        if (number.size() > CallLog::LongestContactText ||
            name.size() > CallLog::LongestContactText) {
            result.skipped.append({0, QCoreApplication::translate(
                                          "ringvane-contacts", "%1: longer than %n characters",
                                          nullptr, kLongestText)
                                          .arg(number.left(40))});
            continue;
        }
        const std::string key = entryKey(numbers, number);
        if (const auto earlier = brought.find(key); earlier != brought.end()) {
            result.skipped.append(
                {0, earlier->second == name
                        ? QCoreApplication::translate("ringvane-contacts", "%1 (%2): given twice")
                              .arg(number, name)
                        : QCoreApplication::translate(
                              "ringvane-contacts", "%1 (%2): the same number as for %3 before it")
                              .arg(number, name, earlier->second)});
            continue;
        }
        brought.emplace(key, name);
        const auto there = stored.find(key);
        if (there == stored.end()) {
            result.changes.added.append({number, name, {}});
            ++result.added;
            result.said << QCoreApplication::translate("ringvane-contacts", "Added %1 (%2).")
                               .arg(number, name);
            continue;
        }
        QStringList renamed;
        for (const qsizetype i : std::as_const(there->second)) {
            const Contact &contact = existing.at(i);
            if (contact.name == name)
                continue;
            result.changes.renamed.insert(contact.number, name);
            // An entry that had only a mark keeps it under the name.
            renamed << (contact.name.isEmpty()
                            ? QCoreApplication::translate("ringvane-contacts",
                                                          "Gave %1 the name %2.")
                                  .arg(contact.number, name)
                            : QCoreApplication::translate("ringvane-contacts",
                                                          "Changed the name of %1 from %2 to %3.")
                                  .arg(contact.number, contact.name, name));
        }
        if (renamed.isEmpty()) {
            ++result.unchanged;
            result.said << QCoreApplication::translate("ringvane-contacts",
                                                       "%1 (%2) is already in the phonebook.")
                               .arg(existing.at(there->second.constFirst()).number, name);
        } else {
            ++result.changed;
            result.said << renamed;
        }
    }
    return result;
}

bool isNameRule(const Contact &contact)
{
    return contact.mark == u"block-name";
}

QString entryText(const Contact &contact)
{
    return contact.name.isEmpty() ? contact.number
                                  : QStringLiteral("%1 (%2)").arg(contact.number, contact.name);
}

QList<Contact> sortedForList(QList<Contact> contacts)
{
    std::stable_sort(contacts.begin(), contacts.end(), [](const Contact &a, const Contact &b) {
        if (isNameRule(a) != isNameRule(b))
            return isNameRule(b);
        const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.number < b.number;
    });
    return contacts;
}

QList<Contact> namedEntries(const QList<Contact> &contacts)
{
    QList<Contact> named;
    for (const Contact &contact : contacts) {
        if (!isNameRule(contact) && !contact.name.isEmpty())
            named.append(contact);
    }
    return named;
}

Marking marking(const QList<Contact> &existing, const QString &number, const QString &mark,
                const PhoneNumbers &numbers)
{
    const std::string key = entryKey(numbers, number);
    QStringList writings; // each stored writing of the number once, in the table's order
    for (const Contact &contact : existing) {
        if (!isNameRule(contact) && !writings.contains(contact.number) &&
            entryKey(numbers, contact.number) == key)
            writings << contact.number;
    }
    Marking steps;
    for (const QString &writing : std::as_const(writings)) {
        Contact shown{writing, {}, {}}; // the first name and the first mark of its entries
        bool allMarked = true;
        for (const Contact &contact : existing) {
            if (isNameRule(contact) || contact.number != writing)
                continue;
            if (shown.name.isEmpty())
                shown.name = contact.name;
            if (shown.mark.isEmpty())
                shown.mark = contact.mark;
            allMarked = allMarked && contact.mark == mark;
        }
        const QString entry = entryText(shown);
        if (mark.isEmpty()) {
            if (!shown.mark.isEmpty())
                steps.append({writing, listChangeText(ListChange::Removed, entry, shown.mark)});
        } else if (allMarked) {
            steps.append({{}, listChangeText(ListChange::AlreadyOn, entry, mark)});
        } else if (shown.mark.isEmpty() || shown.mark == mark) {
            steps.append({writing, listChangeText(ListChange::Added, entry, mark)});
        } else {
            steps.append({writing, movedText(entry, shown.mark, mark)});
        }
    }
    if (writings.isEmpty() && !mark.isEmpty())
        steps.append({number, listChangeText(ListChange::Added, number, mark)});
    return steps;
}

void appendList(std::string &out, const QList<Contact> &contacts, Format format)
{
    switch (format) {
    case Format::Text: {
        // One column of numbers, as wide as the widest within reason.
        qsizetype width = 0;
        for (const Contact &contact : contacts)
            width = std::max(width, std::min<qsizetype>(contact.number.size(), 24));
        for (const Contact &contact : contacts) {
            calls::appendVisible(out, contact.number);
            out.append(size_t(std::max<qsizetype>(width - contact.number.size(), 0) + 2), ' ');
            calls::appendVisible(out, contact.name);
            if (!contact.mark.isEmpty()) {
                out += contact.name.isEmpty() ? "[" : " [";
                calls::appendVisible(out, contact.mark);
                out += ']';
            }
            out += '\n';
        }
        break;
    }
    case Format::Csv:
        out += "number,name,mark\r\n";
        for (const Contact &contact : contacts) {
            calls::appendCsvCell(out, contact.number);
            out += ',';
            calls::appendCsvCell(out, contact.name);
            out += ',';
            calls::appendCsvCell(out, contact.mark);
            out += "\r\n";
        }
        break;
    case Format::Json:
        for (const Contact &contact : contacts) {
            out += "{\"number\": ";
            calls::appendJsonString(out, contact.number);
            out += ", \"name\": ";
            calls::appendJsonString(out, contact.name);
            out += ", \"mark\": ";
            if (contact.mark.isNull())
                out += "null";
            else
                calls::appendJsonString(out, contact.mark);
            out += "}\n";
        }
        break;
    case Format::VCard:
        appendVCards(out, contacts);
        break;
    }
}

void appendVCards(std::string &out, const QList<Contact> &contacts)
{
    for (const auto &[name, numbers] : byName(contacts)) {
        out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        appendFolded(out, QStringLiteral("FN:") + vCardText(name));
        for (const QString &number : numbers)
            appendFolded(out, QStringLiteral("TEL;VALUE=text:") + vCardText(number));
        out += "END:VCARD\r\n";
    }
}

void appendGoogleCsv(std::string &out, const QList<Contact> &contacts)
{
    const QList<QPair<QString, QStringList>> names = byName(contacts);
    qsizetype columns = 1;
    for (const auto &entry : names)
        columns = std::max(columns, entry.second.size());
    out += "Name";
    for (qsizetype i = 1; i <= columns; ++i)
        out += ",Phone " + std::to_string(i) + " - Value";
    out += "\r\n";
    for (const auto &[name, numbers] : names) {
        calls::appendCsvCell(out, name);
        for (qsizetype i = 0; i < columns; ++i) {
            out += ',';
            calls::appendCsvCell(out, numbers.value(i));
        }
        out += "\r\n";
    }
}

FailureReport reportFor(const Failure &failure, const QString &dataSource, int queryTimeout)
{
    const QString source = QLatin1Char('"') + dataSource + QLatin1Char('"');
    if (failure.number() == ErrorNumber::ProviderNotFound)
        return {ExitNoOdbc,
                QCoreApplication::translate(
                    "ringvane-contacts", "The ODBC support is not installed (package unixodbc).")};
    if (failure.sqlState() == u"IM002") {
        const QString message =
            dataSource == QLatin1String("CallerID")
                ? QCoreApplication::translate("ringvane-contacts",
                                              "There is no ODBC data source %1. "
                                              "ringvane-setup-calllog creates it.")
                : QCoreApplication::translate("ringvane-contacts",
                                              "There is no ODBC data source %1.");
        return {ExitNoDataSource, message.arg(source)};
    }
    if (isTimeLimit(failure)) {
        return {ExitUnreachable,
                QCoreApplication::translate("ringvane-contacts",
                                            "The data source %1 did not answer within %n "
                                            "seconds:\n%2",
                                            nullptr, queryTimeout)
                    .arg(source, failure.description())};
    }
    if (db::failureKind(failure) == db::FailureKind::ConnectionGone) {
        return {ExitUnreachable,
                QCoreApplication::translate("ringvane-contacts",
                                            "The data source %1 cannot be reached:\n%2")
                    .arg(source, failure.description())};
    }
    return {ExitDatabase,
            QCoreApplication::translate("ringvane-contacts", "The data source %1 could not give or "
                                                             "take the phonebook:\n%2")
                .arg(source, failure.description())};
}

} // namespace contacts
