#pragma once

#include <QString>
#include <QStringList>

// Just enough of unixODBC's ini files to add one data source section while keeping every
// other line of the user's file (comments included) as it was.
namespace odbcini {

// Section names are matched without regard to case, as unixODBC does.
bool hasSection(const QString &iniText, const QString &section);

// iniText with the section appended; the existing text is kept byte for byte.
QString withSection(const QString &iniText, const QString &section,
                    const QList<QPair<QString, QString>> &entries);

} // namespace odbcini
