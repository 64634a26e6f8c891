#pragma once

#include "failure/Failure.h"

#include <type_traits>
#include <utility>
#include <variant>

// What a step that can fail gives back when it is not one of the handlers' own objects:
// its value, or the Failure that stopped it. One type for every layer, so a caller never
// has to look up which of several conventions a function follows (docs/errors.md).
template <class T>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    // Only when ok().
    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const T &operator*() const & { return value(); }
    T &operator*() & { return value(); }
    const T *operator->() const { return &value(); }
    T *operator->() { return &value(); }
    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }

    // Only when !ok().
    const Failure &failure() const { return std::get<1>(m_state); }
    // The words to show; empty when ok().
    QString errorString() const { return ok() ? QString() : failure().description(); }

private:
    std::variant<T, Failure> m_state;
};

template <>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_failure(std::move(failure)), m_failed(true) {}

    bool ok() const noexcept { return !m_failed; }
    explicit operator bool() const noexcept { return ok(); }
    const Failure &failure() const { return m_failure; }
    QString errorString() const { return ok() ? QString() : m_failure.description(); }

private:
    Failure m_failure{0, QString()};
    bool m_failed = false;
};

// Runs work that throws Failure (the database, serial and registry objects) and gives its
// outcome as a Result: the bridge from the handlers' objects to everything else.
template <class Work>
auto tryResult(Work &&work) -> Result<decltype(work())>
{
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            return {};
        } else {
            return work();
        }
    } catch (const Failure &failure) {
        return failure;
    }
}
