#include "tests/support/LocaleScope.h"

#include <QtGlobal>

#include <clocale>

LocaleScope::LocaleScope(const char *lcAll)
{
    set("LC_TIME", nullptr);
    set("LC_NUMERIC", nullptr);
    set("LANG", nullptr);
    set("LC_ALL", lcAll);
    std::setlocale(LC_ALL, "");
}

LocaleScope::LocaleScope(const char *lcTime, const char *lcNumeric, const char *lang)
{
    set("LC_ALL", nullptr);
    set("LC_TIME", lcTime);
    set("LC_NUMERIC", lcNumeric);
    set("LANG", lang);
    std::setlocale(LC_ALL, "");
}

void LocaleScope::set(const char *name, const char *value)
{
    m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    if (value)
        qputenv(name, value);
    else
        qunsetenv(name);
}

LocaleScope::~LocaleScope()
{
    for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
        if (it->wasSet)
            qputenv(it->name.constData(), it->value);
        else
            qunsetenv(it->name.constData());
    }
    std::setlocale(LC_ALL, "");
}
