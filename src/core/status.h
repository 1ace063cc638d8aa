#pragma once
// Status and Result<T>: how an operation whose failure is ordinary (a missing file, a locked
// table, a bad expression typed by the user) says that it failed, with a message for a person.
// Errors that carry a code of the fax error table travel as EFaxError (core/fax_errors.h)
// instead; docs/conventions.md says which to use where.

#include <QString>
#include <optional>
#include <utility>

namespace corvane {

class [[nodiscard]] Status {
  public:
    // Success.
    Status() = default;
    static Status Ok() { return Status(); }
    // Failure with a message for a person; an empty message still counts as a failure.
    // `code` keeps the fax error code a flow caught and turned into this message (the port
    // that could not be opened), so that callers who act on it need not parse the text.
    static Status Error(QString message, int code = 0) {
        return Status(std::move(message), true, code);
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return message_; }
    int code() const { return code_; }

  private:
    Status(QString message, bool failed, int code)
        : message_(std::move(message)), failed_(failed), code_(code) {}

    QString message_;
    bool failed_ = false;
    int code_ = 0;
};

// A value, or the Status of why there is none.
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    // `error` must be a failure: a Result without a value is never ok.
    Result(Status error) : status_(error.ok() ? Status::Error(QString()) : std::move(error)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Status& status() const { return status_; }
    const QString& message() const { return status_.message(); }

    // Only on success.
    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    // The value, or `fallback` when there is none (for callers that can go on without it).
    T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }

  private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace corvane
