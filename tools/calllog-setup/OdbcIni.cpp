#include "tools/calllog-setup/OdbcIni.h"

namespace odbcini {

bool hasSection(const QString &iniText, const QString &section)
{
    const QStringList lines = iniText.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) &&
            line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString withSection(const QString &iniText, const QString &section,
                    const QList<QPair<QString, QString>> &entries)
{
    QString text = iniText;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    text += QLatin1Char('[') + section + QStringLiteral("]\n");
    for (const auto &[key, value] : entries)
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    return text;
}

} // namespace odbcini
