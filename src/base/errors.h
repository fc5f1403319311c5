// Exception classes shared by every layer.  Messages are CP932 byte strings.
#pragma once

#include <stdexcept>
#include <string>

namespace hoxa {

// Root of every error the program raises itself.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A number held as text could not be converted ("'%s' is not a valid integer value").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file could not be opened, read or written ("File not found", ...).
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// A settings file could not be written ("%s に書き込めません").
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// The operating system refused a call; the message is the system's error text.
class EOSError : public Exception {
public:
    using Exception::Exception;
};

// An internal consistency check failed.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

// Builds the text of EAssertionFailed: "Assertion failure (unit, line n)".
std::string AssertionMessage(const char* unit, int line);

}  // namespace hoxa

#define HOXA_ASSERT(cond, unit)                                              \
    do {                                                                     \
        if (!(cond)) throw ::hoxa::EAssertionFailed(::hoxa::AssertionMessage(unit, __LINE__)); \
    } while (0)
