#include "callers/PhoneNumbers.h"

#include "callers/NumberEngine.h"
#include "platform/XdgFolders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <dlfcn.h>

namespace {

std::string textKey(const QString &text)
{
    return '=' + text.trimmed().toStdString();
}

// When the module cannot be loaded: every number is compared, stored and shown as the text
// it is, as before there was a phonebook.
class TextOnlyEngine final : public NumberEngine
{
public:
    bool matches(const QString &a, const QString &b) const override
    {
        return a.trimmed() == b.trimmed();
    }
    PhoneNumbers::Keys keysOf(const QString &number) const override
    {
        return {textKey(number), textKey(number)};
    }
    std::string exactKey(const QString &number) const override { return textKey(number); }
    std::string rangeKey(const QString &writtenPrefix) const override
    {
        return textKey(writtenPrefix);
    }
    PhoneNumbers::Validity validity(const QString &) const override
    {
        return PhoneNumbers::Validity::Undecidable;
    }
    QString formatted(const QString &number) const override { return number; }
    QString place(const QString &) const override { return {}; }
};

// Installed, the module is in ../lib/ringvane/modules beside the program's folder; in the
// build tree it is where the build put it.
QString modulePath()
{
    if (const QString chosen = qEnvironmentVariable("RINGVANE_NUMBERS_MODULE"); !chosen.isEmpty())
        return chosen;
    const QString installed =
        QFileInfo(QStringLiteral("/proc/self/exe"))
            .canonicalFilePath()
            .section(QLatin1Char('/'), 0, -2) +
        QStringLiteral("/../lib/ringvane/modules/" RINGVANE_NUMBERS_MODULE_NAME);
    return QFileInfo::exists(installed) ? installed : QStringLiteral(RINGVANE_NUMBERS_MODULE_BUILT);
}

std::unique_ptr<NumberEngine> loadEngine(const QString &region, const QString &language,
                                         QString *why)
{
    // Loaded once for the process and never unloaded: every PhoneNumbers has its engine there.
    struct Module
    {
        NumberEngineFactory *factory = nullptr;
        QString why;
    };
    static const Module module = [] {
        const QString path = modulePath();
        void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return Module{nullptr, QString::fromLocal8Bit(dlerror())};
        const auto factory =
            reinterpret_cast<NumberEngineFactory *>(dlsym(handle, kNumberEngineEntry));
        if (!factory)
            return Module{nullptr,
                          path + QStringLiteral(": no ") + QLatin1String(kNumberEngineEntry)};
        return Module{factory, {}};
    }();
    if (!module.factory) {
        *why = module.why;
        return std::make_unique<TextOnlyEngine>();
    }
    return std::unique_ptr<NumberEngine>(module.factory(region, language));
}

} // namespace

PhoneNumbers::PhoneNumbers(const QString &region, const QLocale &language)
    : m_region(region.trimmed().toUpper()), m_language(language)
{}

PhoneNumbers::~PhoneNumbers() = default;

const NumberEngine &PhoneNumbers::engine() const
{
    std::call_once(m_engineLoaded, [this] {
        QString why;
        m_engine = loadEngine(m_region, m_language.name(), &why);
        if (!why.isEmpty()) {
            m_textOnly = true;
            static std::once_flag said;
            std::call_once(said, [&why] {
                qWarning("ringvane: telephone numbers are compared as text, without "
                         "libphonenumber: %s",
                         qPrintable(why));
            });
        }
    });
    return *m_engine;
}

bool PhoneNumbers::readsNumbers() const
{
    (void)engine();
    return !m_textOnly;
}

QString PhoneNumbers::regionOf(const QLocale &locale)
{
    if (locale.territory() == QLocale::AnyTerritory)
        return {};
    return QLocale::territoryToCode(locale.territory());
}

QString PhoneNumbers::userRegion()
{
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    const QString chosen = settings.value(QStringLiteral("numbers/region")).toString().trimmed();
    return chosen.isEmpty() ? regionOf(QLocale::system()) : chosen.toUpper();
}

bool PhoneNumbers::matches(const QString &a, const QString &b) const
{
    return engine().matches(a, b);
}

PhoneNumbers::Keys PhoneNumbers::keysOf(const QString &number) const
{
    return engine().keysOf(number);
}

std::string PhoneNumbers::exactKey(const QString &number) const
{
    return engine().exactKey(number);
}

std::string PhoneNumbers::rangeKey(const QString &writtenPrefix) const
{
    return engine().rangeKey(writtenPrefix);
}

PhoneNumbers::Validity PhoneNumbers::validity(const QString &number) const
{
    return engine().validity(number);
}

QString PhoneNumbers::formatted(const QString &number) const
{
    return engine().formatted(number);
}

QString PhoneNumbers::place(const QString &number) const
{
    return engine().place(number);
}
