#pragma once

#include "platform/XdgFolders.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTranslator;

// The language the program and the commands speak, chosen once at the start of main():
// the settings file's [interface] language= if given, else the desktop's. The English the
// sources are written in needs no translator.
namespace translations {

// The language to load, as its .qm file is named ("de", "zh_CN"), or empty for the source
// texts. setting: [interface] language=, empty when not given. desktopLanguages: in order
// of preference, as QLocale::uiLanguages() gives them. messagesLocale: the locale messages
// follow (LC_ALL, LC_MESSAGES, LANG); under C or POSIX the source texts are shown whatever
// LANGUAGE says, as gettext does, so scripts that pin LC_ALL=C read what they expect.
// available: the languages that have a translation.
QString chooseLanguage(const QString &setting, const QStringList &desktopLanguages,
                       const QString &messagesLocale, const QStringList &available);

// Chooses the language from the settings file and the environment, and installs its
// translator and Qt's own for it. Call right after the application object is made,
// before any text is. Returns the language chosen, empty for the source texts.
QString installTranslations(const QString &settingsPath = settingsFilePath());

// Installs the translators of one language ("de", "zh_CN"), ours and Qt's; deleting them
// takes them out again.
QList<QTranslator *> installLanguage(const QString &language);

} // namespace translations
