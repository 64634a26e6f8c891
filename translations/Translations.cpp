#include "translations/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace translations {

namespace {

const QString kResourceFolder = QStringLiteral(":/i18n");

// "de-DE" → candidates "de_DE", "de"; "zh-Hans-CN" and "zh" → "zh_CN", "zh"; "zh-TW" → no
// "zh_CN": Traditional Chinese readers get English rather than the Simplified script.
QStringList fileNamesFor(const QString &language)
{
    QString name = language.trimmed();
    name.replace(u'-', u'_');
    const QString bare = name.section(u'.', 0, 0).section(u'@', 0, 0);
    QStringList names;
    if (bare.isEmpty())
        return names;
    const QLocale locale(bare);
    if (locale.language() != QLocale::C)
        names << locale.name();
    names << bare << bare.section(u'_', 0, 0);
    names.removeDuplicates();
    return names;
}

bool isSourceLanguage(const QString &language)
{
    const QString name = language.trimmed().section(u'.', 0, 0).section(u'@', 0, 0).toLower();
    return name == u"c" || name == u"posix" || name == u"en" || name.startsWith(u"en_") ||
           name.startsWith(u"en-");
}

QStringList availableLanguages()
{
    QStringList languages;
    const QStringList files =
        QDir(kResourceFolder).entryList({QStringLiteral("ringvane_*.qm")}, QDir::Files);
    for (const QString &file : files)
        languages << file.mid(9, file.size() - 9 - 3);
    return languages;
}

QString messagesLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

} // namespace

QString chooseLanguage(const QString &setting, const QStringList &desktopLanguages,
                       const QString &messagesLocale, const QStringList &available)
{
    QStringList wanted;
    if (!setting.trimmed().isEmpty()) {
        wanted << setting;
    } else {
        const QString base = messagesLocale.section(u'.', 0, 0);
        if (base == u"C" || base == u"POSIX")
            return QString();
        wanted = desktopLanguages;
    }
    // The first language the user reads that we have wins, English included: a user who
    // puts English before German reads English.
    for (const QString &language : std::as_const(wanted)) {
        if (isSourceLanguage(language))
            return QString();
        for (const QString &name : fileNamesFor(language)) {
            if (available.contains(name))
                return name;
        }
    }
    return QString();
}

QString installTranslations(const QString &settingsPath)
{
    const QSettings settings(settingsPath, QSettings::IniFormat);
    const QString setting = settings.value(QStringLiteral("interface/language")).toString();
    const QString language = chooseLanguage(setting, QLocale::system().uiLanguages(),
                                            messagesLocale(), availableLanguages());
    if (!language.isEmpty())
        installLanguage(language);
    return language;
}

QList<QTranslator *> installLanguage(const QString &language)
{
    // Owned by the application: a translator lives as long as the texts it gives.
    auto *ours = new QTranslator(QCoreApplication::instance());
    if (ours->load(QStringLiteral("ringvane_") + language, kResourceFolder))
        QCoreApplication::installTranslator(ours);
    // Qt's own dialogs and menus in the same language; missing, they stay English.
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    return {ours, qt};
}

} // namespace translations
