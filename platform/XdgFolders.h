#pragma once

#include <QDir>
#include <QString>

// A base folder of the XDG rules: the path in the variable (XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_STATE_HOME), or the default below the home folder when it is unset or relative, as
// the rules ask.
inline QString xdgBaseFolder(const char *variable, const char *defaultBelowHome)
{
    const QString base = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(base) ? base
                                      : QDir::homePath() + QLatin1Char('/') +
                                            QLatin1String(defaultBelowHome);
}
