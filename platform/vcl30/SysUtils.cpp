#include "SysUtils.hpp"

#include <charconv>

Exception::Exception(std::string Message) : FMessage(std::move(Message))
{
}

std::string UpperCase(std::string_view S)
{
    std::string Result(S);
    for (char& C : Result)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Result;
}

std::string LowerCase(std::string_view S)
{
    std::string Result(S);
    for (char& C : Result)
        if (C >= 'A' && C <= 'Z')
            C = static_cast<char>(C - 'A' + 'a');
    return Result;
}

bool SameText(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && UpperCase(A) == UpperCase(B);
}

std::string IntToStr(std::int64_t Value)
{
    return std::to_string(Value);
}

std::int64_t StrToInt(std::string_view S)
{
    std::string_view Digits = S;
    if (!Digits.empty() && Digits.front() == '+')
        Digits.remove_prefix(1);
    std::int64_t Value = 0;
    const char* End = Digits.data() + Digits.size();
    auto [Ptr, Error] = std::from_chars(Digits.data(), End, Value);
    if (Digits.empty() || Error != std::errc() || Ptr != End)
        throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
    return Value;
}
