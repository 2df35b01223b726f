// Run-time library exceptions: the base class every layer's error derives from, and Format.
#pragma once

#include <stdexcept>
#include <string>

// printf-style formatting into a std::string ("%s" takes a const char*, "%d" an int).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Base of every error the system raises; carries its message.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

// Text that is not an integer ("'%s' is not a valid integer value").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An allocation that could not be made ("Out of memory").
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// Index outside a list ("List index out of bounds (%d)").
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Raises EListError with the general list message for the given index.
[[noreturn]] void ListIndexError(int index);
