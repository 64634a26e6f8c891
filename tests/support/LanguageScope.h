#pragma once

#include "translations/Translations.h"

#include <QList>
#include <QTranslator>

// The program's translation of one language, and Qt's, installed for one test and taken
// out afterwards (a translator leaves the application as it is deleted).
class LanguageScope
{
public:
    explicit LanguageScope(const QString &language)
        : m_translators(translations::installLanguage(language))
    {}
    ~LanguageScope() { qDeleteAll(m_translators); }

    LanguageScope(const LanguageScope &) = delete;
    LanguageScope &operator=(const LanguageScope &) = delete;

    // Whether the program's own translation was found.
    bool loaded() const { return !m_translators.isEmpty() && !m_translators.first()->isEmpty(); }

private:
    QList<QTranslator *> m_translators;
};
