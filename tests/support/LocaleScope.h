#pragma once

#include <QByteArray>
#include <QList>

// Pins the locale environment (LC_ALL, LC_TIME, LC_NUMERIC, LANG) for one test and puts
// the previous values back afterwards.
class LocaleScope
{
public:
    explicit LocaleScope(const char *lcAll);
    LocaleScope(const char *lcTime, const char *lcNumeric, const char *lang = "C.UTF-8");
    ~LocaleScope();

    LocaleScope(const LocaleScope &) = delete;
    LocaleScope &operator=(const LocaleScope &) = delete;

private:
    void set(const char *name, const char *value);

    struct Saved
    {
        QByteArray name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};
