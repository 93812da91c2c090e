#pragma once
// The host's automation scripts: one command a line, read and checked in full before anything
// runs, so a script that cannot be parsed does nothing at all.

#include "SysUtils.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A script that cannot be parsed or a command that cannot be carried out: exit status 2.
class EScriptError : public Exception
{
public:
    using Exception::Exception;
};

// Looks up an environment variable; nullopt when it is not set.
using TEnvironment = std::function<std::optional<std::string>(const std::string& Name)>;

// The process's own environment.
TEnvironment ProcessEnvironment();

// Splits a line into its arguments. Arguments are separated by spaces and tabs; double quotes hold
// spaces, with \" and \\ inside them (any other backslash stays as it is); '#' outside quotes
// starts a comment; ${NAME} anywhere is replaced by the variable NAME, and its value is never split.
// Raises EScriptError for an unterminated quote, an unset variable or a malformed ${...}.
std::vector<std::string> SplitScriptLine(const std::string& Line, const TEnvironment& Environment);

// What `expect` compares and `print` shows.
enum class TSubjectKind
{
    Value,
    Result,
    Dialog,
    DialogCaption,
    DialogCentred,
    Message,
    Messages,
    Error,
    Errors,
    Modified,
    Setting,
    ControlState, // Word: "enabled", "visible" or "checked"
    ControlBound, // Word: "left", "top", "width" or "height"
    Count,
    Item,
    Selected,
    Directory,
    Mask,
    TabOrder,
    Picture,
    Stretch,
    Glyph,
    Image
};

struct TQuery
{
    TSubjectKind Kind = TSubjectKind::Value;
    std::string Control;
    // The state family or bound of control subjects.
    std::string Word;
    // The item index, the thumbnail's name, or the setting's section.
    std::string Key;
    // The setting's ident.
    std::string Ident;
    // Absent for `print`.
    std::optional<std::string> Expected;
};

// Reads the arguments of `expect` (WithExpected) or `print`; raises EScriptError when they do not
// form a subject (and, for expect, a value of the subject's kind).
TQuery ParseQuery(const std::vector<std::string>& Args, bool WithExpected);

// The subject as the script names it ("btnOK enabled", "imgView picture"), for messages.
std::string QuerySubjectText(const TQuery& Query);

// Whether Actual satisfies the expectation: equal text, or for `error` a substring.
bool QueryHolds(const TQuery& Query, const std::string& Actual);

// Where a command acts: on the host window, on an open dialog, or either.
enum class TCommandPlace
{
    Host,
    Dialog,
    Anywhere
};

struct TScriptCommand
{
    // The line's number in the script, from 1, and its text as written.
    int Line = 0;
    std::string Text;
    // Args[0] is the command.
    std::vector<std::string> Args;
    // For expect and print.
    std::optional<TQuery> Query;
    TCommandPlace Place = TCommandPlace::Host;
};

// Parses a whole script. SourceName names it in messages ("line 4 of demo.script: ...").
std::vector<TScriptCommand> ParseScript(const std::string& Text, const std::string& SourceName,
                                        const TEnvironment& Environment);

// Quotes an argument when it needs it, so that SplitScriptLine reads it back unchanged.
std::string QuoteScriptArgument(const std::string& Argument);
