#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace quillon::model {

// Why something failed: the text the user is shown, and the system's error number when the
// failure came from the system (0 when unknown or not a system error).
struct Failure {
    QString message;
    int errorNumber = 0;
};

// A value, or the failure that stopped it. The one way the core returns something that can
// fail, so that every caller reads the reason the same way and none can read a value that was
// never made (value() on a failure is a programming error, asserted in debug builds).
template <typename T>
class Outcome {
public:
    Outcome(T value) : state_(std::in_place_index<0>, std::move(value)) { }
    Outcome(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) { }

    static Outcome failed(QString message, int errorNumber = 0)
    {
        return Outcome(Failure {std::move(message), errorNumber});
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() &
    {
        Q_ASSERT(ok());
        return std::get<0>(state_);
    }
    const T& value() const&
    {
        Q_ASSERT(ok());
        return std::get<0>(state_);
    }
    T&& value() &&
    {
        Q_ASSERT(ok());
        return std::get<0>(std::move(state_));
    }
    // The value, or the fallback when it failed: for a caller to whom a failure means nothing
    // to work on (a file that cannot be read has no lines).
    T valueOr(T fallback) const& { return ok() ? std::get<0>(state_) : std::move(fallback); }
    T valueOr(T fallback) && { return ok() ? std::get<0>(std::move(state_)) : std::move(fallback); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // The failure's text; empty when the outcome holds a value.
    QString error() const { return ok() ? QString() : std::get<1>(state_).message; }
    int errorNumber() const { return ok() ? 0 : std::get<1>(state_).errorNumber; }
    Failure failure() const { return ok() ? Failure {} : std::get<1>(state_); }

private:
    std::variant<T, Failure> state_;
};

// Success with nothing to return, or the failure.
template <>
class Outcome<void> {
public:
    Outcome() = default;
    Outcome(Failure failure) : failure_(std::move(failure)), ok_(false) { }

    static Outcome failed(QString message, int errorNumber = 0)
    {
        return Outcome(Failure {std::move(message), errorNumber});
    }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    QString error() const { return failure_.message; }
    int errorNumber() const { return failure_.errorNumber; }
    const Failure& failure() const { return failure_; }

private:
    Failure failure_;
    bool ok_ = true;
};

} // namespace quillon::model
