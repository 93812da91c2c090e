#pragma once
// Errors and string helpers shared by every unit of the platform.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// Base of every error the platform raises. The message names the file or value and the reason.
class Exception : public std::exception
{
public:
    explicit Exception(std::string Message);
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A file could not be opened or read.
class EFOpenError : public Exception
{
public:
    using Exception::Exception;
};

// A file's contents are not a valid image of the expected kind.
class EInvalidGraphic : public Exception
{
public:
    using Exception::Exception;
};

// An operation that a graphic or picture does not support in its current state.
class EInvalidGraphicOperation : public Exception
{
public:
    using Exception::Exception;
};

// Reading or writing a file failed part way.
class EInOutError : public Exception
{
public:
    using Exception::Exception;
};

// The settings store could not be opened, read or written.
class ERegistryException : public Exception
{
public:
    using Exception::Exception;
};

// A value could not be converted, such as a property text that is not a number.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// Form data could not be read: the message names the file, the line and the name.
class EReadError : public Exception
{
public:
    using Exception::Exception;
};

// Upper-cases the letters a to z; every other byte, including non-ASCII text, stays as it is.
std::string UpperCase(std::string_view S);

// Lower-cases the letters A to Z only.
std::string LowerCase(std::string_view S);

// Compares without regard to the case of the letters a to z.
bool SameText(std::string_view A, std::string_view B);

// Decimal digits, with a leading minus sign for negatives.
std::string IntToStr(std::int64_t Value);

// Parses a decimal integer (optional sign); raises EConvertError naming the text otherwise.
std::int64_t StrToInt(std::string_view S);
