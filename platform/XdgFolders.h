#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>

// A base folder of the XDG rules: the path in the variable (XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_STATE_HOME), or the default below the home folder when it is unset or relative, as
// the rules ask.
inline QString xdgBaseFolder(const char *variable, const char *defaultBelowHome)
{
    const QString base = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(base)
               ? base
               : QDir::homePath() + QLatin1Char('/') + QLatin1String(defaultBelowHome);
}

// The user's settings file, $XDG_CONFIG_HOME/ringvane/ringvane.conf (that is
// ~/.config/ringvane/ringvane.conf): the program, the commands and the phonebook's region
// all read this one file.
inline QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ringvane/ringvane.conf");
}
