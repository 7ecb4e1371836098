// Results of readers: the value that was read, or a named failure. Readers take bytes and do no
// I/O; the caller decides what the user sees.
#pragma once

#include <string_view>
#include <utility>
#include <variant>

namespace muto {

// Why a file could not be read.
enum class ReadFailure {
    Truncated,   // shorter than its structure says
    BadMagic,    // not this kind of file
    TooLarge,    // declares more than the reader accepts
    Malformed,   // a field holds a value the format does not allow
    Unreadable,  // the file could not be read at all (I/O)
    Overrun,     // a length in the file reaches past its end
    Empty,       // well formed, but holds nothing to use
};

constexpr std::string_view failureName(ReadFailure f) {
    switch (f) {
        case ReadFailure::Truncated:
            return "truncated";
        case ReadFailure::BadMagic:
            return "bad magic";
        case ReadFailure::TooLarge:
            return "too large";
        case ReadFailure::Malformed:
            return "malformed";
        case ReadFailure::Unreadable:
            return "unreadable";
        case ReadFailure::Overrun:
            return "overrun";
        case ReadFailure::Empty:
            return "empty";
    }
    return "unknown";
}

template <class T>
class ReadResult {
public:
    ReadResult(T value) : v_(std::move(value)) {}     // NOLINT: implicit on purpose
    ReadResult(ReadFailure failure) : v_(failure) {}  // NOLINT: implicit on purpose

    bool ok() const { return std::holds_alternative<T>(v_); }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<T>(v_); }
    const T& value() const { return std::get<T>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    ReadFailure failure() const { return std::get<ReadFailure>(v_); }

private:
    std::variant<T, ReadFailure> v_;
};

}  // namespace muto
