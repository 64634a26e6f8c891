#pragma once

#include <QString>

#include <exception>
#include <string>

// Every component here reports failure the way the program's handlers expect it:
// a number (8002, 8005, 3706, ...) with a description. Handlers that run "continue past
// failure" use FailureTrap to skip the failed step and remember the number.
class Failure : public std::exception
{
public:
    Failure(int number, QString description, QString source = {})
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_what(QStringLiteral("%1: %2").arg(number).arg(m_description).toStdString())
    {
    }
    // A failure a data source reported: its SQLSTATE and the driver's native error number
    // (the first diagnostic record's), which tell kinds of failure apart where the number
    // and the words do not.
    Failure(int number, QString description, QString source, QString sqlState, int nativeError)
        : Failure(number, std::move(description), std::move(source))
    {
        m_sqlState = std::move(sqlState);
        m_nativeError = nativeError;
    }

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }
    // Empty and 0 for failures that no data source reported.
    const QString &sqlState() const noexcept { return m_sqlState; }
    int nativeError() const noexcept { return m_nativeError; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
    QString m_sqlState;
    int m_nativeError = 0;
};

namespace ErrorNumber {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPicture = 481;
inline constexpr int ProviderNotFound = 3706; // the data layer itself is missing
inline constexpr int PortOpenNotValid = 8000; // operation not valid while the port is open
inline constexpr int InvalidPortNumber = 8002;
inline constexpr int PortAlreadyOpen = 8005; // held by another program or not permitted
inline constexpr int PortNotOpen = 8012;
inline constexpr int Timeout = 8020;
} // namespace ErrorNumber

// Runs steps in continue-past-failure mode: a step that throws Failure is skipped and
// its number becomes the last error; later successes do not clear it.
class FailureTrap
{
public:
    template <class Step> bool run(Step &&step)
    {
        try {
            step();
            return true;
        } catch (const Failure &f) {
            m_number = f.number();
            m_description = f.description();
            return false;
        }
    }

    int lastNumber() const noexcept { return m_number; }
    const QString &lastDescription() const noexcept { return m_description; }
    void clear()
    {
        m_number = 0;
        m_description.clear();
    }

private:
    int m_number = 0;
    QString m_description;
};
