#include "Script.hpp"

#include "UserInput.hpp"

#include <cstdlib>
#include <initializer_list>
#include <sstream>

TEnvironment ProcessEnvironment()
{
    return [](const std::string& Name) -> std::optional<std::string> {
        const char* Value = std::getenv(Name.c_str());
        if (Value == nullptr)
            return std::nullopt;
        return std::string(Value);
    };
}

namespace {

bool IsNameStart(char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}

bool IsNameChar(char C)
{
    return IsNameStart(C) || (C >= '0' && C <= '9');
}

// Reads ${NAME} starting at Line[Pos] == '$' and returns the variable's value; Pos ends after '}'.
std::string Substitute(const std::string& Line, std::size_t& Pos, const TEnvironment& Environment)
{
    const std::size_t Close = Line.find('}', Pos + 2);
    if (Close == std::string::npos)
        throw EScriptError("unterminated ${ in '" + Line.substr(Pos) + "'");
    const std::string Name = Line.substr(Pos + 2, Close - Pos - 2);
    if (Name.empty() || !IsNameStart(Name.front()))
        throw EScriptError("invalid variable name '${" + Name + "}'");
    for (char C : Name)
        if (!IsNameChar(C))
            throw EScriptError("invalid variable name '${" + Name + "}'");
    std::optional<std::string> Value = Environment(Name);
    if (!Value)
        throw EScriptError("environment variable " + Name + " is not set");
    Pos = Close + 1;
    return *Value;
}

int ToInt(const std::string& Text, const std::string& What)
{
    try {
        return static_cast<int>(StrToInt(Text));
    } catch (const EConvertError&) {
        throw EScriptError(What + " must be a number, not '" + Text + "'");
    }
}

void ExpectCount(const std::vector<std::string>& Args, std::size_t Count, const std::string& Form)
{
    if (Args.size() != Count)
        throw EScriptError("expected '" + Form + "'");
}

// "empty" or two numbers W H, from Args[From]; the expectation text is normalised to "W H".
std::string SizeValue(const std::vector<std::string>& Args, std::size_t From, const std::string& Form)
{
    if (Args.size() == From + 1 && Args[From] == "empty")
        return "empty";
    if (Args.size() != From + 2)
        throw EScriptError("expected '" + Form + "'");
    return std::to_string(ToInt(Args[From], "the width")) + " " +
           std::to_string(ToInt(Args[From + 1], "the height"));
}

std::string OneOf(const std::string& Value, std::initializer_list<const char*> Allowed,
                  const std::string& Form)
{
    for (const char* A : Allowed)
        if (Value == A)
            return Value;
    throw EScriptError("expected '" + Form + "', not '" + Value + "'");
}

// The subjects that take no control: value, result, dialog, messages, errors, modified, setting.
std::optional<TQuery> ParseGlobalQuery(const std::vector<std::string>& A, bool WithExpected)
{
    const std::string& Head = A[0];
    const std::size_t E = WithExpected ? 1 : 0;
    TQuery Q;
    auto Expected = [&](std::size_t Index) {
        if (WithExpected)
            Q.Expected = A[Index];
    };
    if (Head == "value" || Head == "message" || Head == "error") {
        Q.Kind = Head == "value"     ? TSubjectKind::Value
                 : Head == "message" ? TSubjectKind::Message
                                     : TSubjectKind::Error;
        ExpectCount(A, 1 + E, Head + (WithExpected ? " TEXT" : ""));
        Expected(1);
        return Q;
    }
    if (Head == "messages" || Head == "errors" || Head == "modified") {
        Q.Kind = Head == "messages" ? TSubjectKind::Messages
                 : Head == "errors" ? TSubjectKind::Errors
                                    : TSubjectKind::Modified;
        ExpectCount(A, 1 + E, Head + (WithExpected ? " N" : ""));
        if (WithExpected)
            Q.Expected = std::to_string(ToInt(A[1], Head));
        return Q;
    }
    if (Head == "result") {
        Q.Kind = TSubjectKind::Result;
        ExpectCount(A, 1 + E, WithExpected ? "result ok|cancel|cleared" : "result");
        if (WithExpected)
            Q.Expected = OneOf(A[1], {"ok", "cancel", "cleared"}, "result ok|cancel|cleared");
        return Q;
    }
    if (Head == "dialog") {
        if (A.size() >= 2 && A[1] == "caption") {
            Q.Kind = TSubjectKind::DialogCaption;
            ExpectCount(A, 2 + E, WithExpected ? "dialog caption TEXT" : "dialog caption");
            Expected(2);
        } else if (A.size() >= 2 && A[1] == "centred") {
            Q.Kind = TSubjectKind::DialogCentred;
            ExpectCount(A, 2, "dialog centred");
            if (WithExpected)
                Q.Expected = "centred";
        } else {
            Q.Kind = TSubjectKind::Dialog;
            ExpectCount(A, 1 + E, WithExpected ? "dialog open|closed" : "dialog");
            if (WithExpected)
                Q.Expected = OneOf(A[1], {"open", "closed"}, "dialog open|closed");
        }
        return Q;
    }
    if (Head == "setting") {
        Q.Kind = TSubjectKind::Setting;
        ExpectCount(A, 3 + E,
                    WithExpected ? "setting SECTION IDENT VALUE|present|absent" : "setting SECTION IDENT");
        Q.Key = A[1];
        Q.Ident = A[2];
        Expected(3);
        return Q;
    }
    return std::nullopt;
}

struct TControlWord
{
    const char* Word;
    TSubjectKind Kind;
    // The family the word belongs to, for the states.
    const char* Family;
};

constexpr TControlWord ControlWords[] = {
    {"enabled", TSubjectKind::ControlState, "enabled"},
    {"disabled", TSubjectKind::ControlState, "enabled"},
    {"visible", TSubjectKind::ControlState, "visible"},
    {"hidden", TSubjectKind::ControlState, "visible"},
    {"checked", TSubjectKind::ControlState, "checked"},
    {"unchecked", TSubjectKind::ControlState, "checked"},
    {"left", TSubjectKind::ControlBound, "left"},
    {"top", TSubjectKind::ControlBound, "top"},
    {"width", TSubjectKind::ControlBound, "width"},
    {"height", TSubjectKind::ControlBound, "height"},
    {"count", TSubjectKind::Count, "count"},
    {"item", TSubjectKind::Item, "item"},
    {"selected", TSubjectKind::Selected, "selected"},
    {"directory", TSubjectKind::Directory, "directory"},
    {"mask", TSubjectKind::Mask, "mask"},
    {"taborder", TSubjectKind::TabOrder, "taborder"},
    {"picture", TSubjectKind::Picture, "picture"},
    {"stretch", TSubjectKind::Stretch, "stretch"},
    {"glyph", TSubjectKind::Glyph, "glyph"},
    {"image", TSubjectKind::Image, "image"},
};

TQuery ParseControlQuery(const std::vector<std::string>& A, bool WithExpected)
{
    if (A.size() < 2)
        throw EScriptError("unknown subject '" + A[0] + "'");
    const TControlWord* Found = nullptr;
    for (const TControlWord& W : ControlWords)
        if (A[1] == W.Word)
            Found = &W;
    if (Found == nullptr)
        throw EScriptError("unknown subject '" + A[0] + " " + A[1] + "'");
    TQuery Q;
    Q.Kind = Found->Kind;
    Q.Control = A[0];
    Q.Word = Found->Family;
    const std::size_t E = WithExpected ? 1 : 0;
    const std::string Subject = A[0] + " " + A[1];
    switch (Q.Kind) {
    case TSubjectKind::ControlState:
        ExpectCount(A, 2, Subject);
        if (WithExpected)
            Q.Expected = A[1];
        break;
    case TSubjectKind::ControlBound:
    case TSubjectKind::Count:
    case TSubjectKind::TabOrder:
        ExpectCount(A, 2 + E, Subject + (WithExpected ? " N" : ""));
        if (WithExpected)
            Q.Expected = std::to_string(ToInt(A[2], Subject));
        break;
    case TSubjectKind::Item:
        ExpectCount(A, 3 + E, Subject + (WithExpected ? " I TEXT" : " I"));
        Q.Key = std::to_string(ToInt(A[2], "the item index"));
        if (WithExpected)
            Q.Expected = A[3];
        break;
    case TSubjectKind::Selected:
    case TSubjectKind::Directory:
    case TSubjectKind::Mask:
        ExpectCount(A, 2 + E, Subject + (WithExpected ? " TEXT" : ""));
        if (WithExpected)
            Q.Expected = A[2];
        break;
    case TSubjectKind::Picture:
    case TSubjectKind::Glyph:
        if (WithExpected)
            Q.Expected = SizeValue(A, 2, Subject + " empty|W H");
        else
            ExpectCount(A, 2, Subject);
        break;
    case TSubjectKind::Stretch:
        ExpectCount(A, 2 + E, Subject + (WithExpected ? " on|off" : ""));
        if (WithExpected)
            Q.Expected = OneOf(A[2], {"on", "off"}, Subject + " on|off");
        break;
    default:
        ExpectCount(A, 3 + E, Subject + (WithExpected ? " NAME own|none" : " NAME"));
        Q.Key = A[2];
        if (WithExpected)
            Q.Expected = OneOf(A[3], {"own", "none"}, Subject + " NAME own|none");
        break;
    }
    return Q;
}

struct TCommandEntry
{
    const char* Name;
    std::size_t MinArgs;
    std::size_t MaxArgs;
    TCommandPlace Place;
    const char* Form;
};

constexpr TCommandEntry CommandTable[] = {
    {"select", 1, 3, TCommandPlace::Host, "select COMPONENT.PROPERTY [with EDITORCLASS]"},
    {"set", 2, 2, TCommandPlace::Host, "set COMPONENT.PROPERTY FILE|none"},
    {"type", 1, 1, TCommandPlace::Host, "type TEXT"},
    {"edit", 0, 0, TCommandPlace::Host, "edit"},
    {"shot", 1, 1, TCommandPlace::Anywhere, "shot FILE"},
    {"print", 1, 5, TCommandPlace::Anywhere, "print SUBJECT"},
    {"expect", 2, 6, TCommandPlace::Anywhere, "expect SUBJECT VALUE"},
    {"dir", 1, 1, TCommandPlace::Dialog, "dir PATH"},
    {"drive", 1, 1, TCommandPlace::Dialog, "drive PATH"},
    {"click", 1, 2, TCommandPlace::Dialog, "click CONTROL [NAME]"},
    {"dblclick", 1, 2, TCommandPlace::Dialog, "dblclick CONTROL [NAME]"},
    {"history", 1, 1, TCommandPlace::Dialog, "history N"},
    {"dropdown", 1, 1, TCommandPlace::Dialog, "dropdown CONTROL"},
    {"key", 2, 2, TCommandPlace::Dialog, "key CONTROL KEY"},
    {"leave", 1, 1, TCommandPlace::Dialog, "leave CONTROL"},
    {"resize", 2, 2, TCommandPlace::Dialog, "resize W H"},
    {"closebox", 0, 0, TCommandPlace::Dialog, "closebox"},
};

// Checks the arguments that can be checked before the script runs.
void CheckArguments(const std::string& Name, const std::vector<std::string>& Args)
{
    if (Name == "select") {
        if (Args.size() == 3 || (Args.size() == 4 && Args[2] != "with"))
            throw EScriptError("expected 'select COMPONENT.PROPERTY [with EDITORCLASS]'");
    }
    if ((Name == "select" || Name == "set") && Args[1].find('.') == std::string::npos)
        throw EScriptError("expected COMPONENT.PROPERTY, not '" + Args[1] + "'");
    if (Name == "history" && ToInt(Args[1], "the history entry") < 0)
        throw EScriptError("the history entry must not be negative");
    if (Name == "resize" && (ToInt(Args[1], "the width") <= 0 || ToInt(Args[2], "the height") <= 0))
        throw EScriptError("the client size must be positive");
    if (Name == "key" && !ParseKeyName(Args[2]))
        throw EScriptError("unknown key '" + Args[2] + "'");
}

} // namespace

std::vector<std::string> SplitScriptLine(const std::string& Line, const TEnvironment& Environment)
{
    std::vector<std::string> Args;
    std::string Current;
    bool InWord = false;
    std::size_t Pos = 0;
    while (Pos < Line.size()) {
        const char C = Line[Pos];
        if (C == ' ' || C == '\t' || C == '\r') {
            if (InWord)
                Args.push_back(std::move(Current));
            Current.clear();
            InWord = false;
            ++Pos;
        } else if (C == '#') {
            break;
        } else if (C == '"') {
            InWord = true;
            ++Pos;
            for (;;) {
                if (Pos >= Line.size())
                    throw EScriptError("unterminated quote");
                const char Q = Line[Pos];
                if (Q == '"') {
                    ++Pos;
                    break;
                }
                if (Q == '\\' && Pos + 1 < Line.size() && (Line[Pos + 1] == '"' || Line[Pos + 1] == '\\')) {
                    Current += Line[Pos + 1];
                    Pos += 2;
                } else if (Q == '$' && Pos + 1 < Line.size() && Line[Pos + 1] == '{') {
                    Current += Substitute(Line, Pos, Environment);
                } else {
                    Current += Q;
                    ++Pos;
                }
            }
        } else if (C == '$' && Pos + 1 < Line.size() && Line[Pos + 1] == '{') {
            InWord = true;
            Current += Substitute(Line, Pos, Environment);
        } else {
            InWord = true;
            Current += C;
            ++Pos;
        }
    }
    if (InWord)
        Args.push_back(std::move(Current));
    return Args;
}

TQuery ParseQuery(const std::vector<std::string>& Args, bool WithExpected)
{
    if (Args.empty())
        throw EScriptError("expected a subject");
    if (std::optional<TQuery> Global = ParseGlobalQuery(Args, WithExpected))
        return *Global;
    return ParseControlQuery(Args, WithExpected);
}

std::string QuerySubjectText(const TQuery& Query)
{
    switch (Query.Kind) {
    case TSubjectKind::Value:
        return "value";
    case TSubjectKind::Result:
        return "result";
    case TSubjectKind::Dialog:
        return "dialog";
    case TSubjectKind::DialogCaption:
        return "dialog caption";
    case TSubjectKind::DialogCentred:
        return "dialog";
    case TSubjectKind::Message:
        return "message";
    case TSubjectKind::Messages:
        return "messages";
    case TSubjectKind::Error:
        return "error";
    case TSubjectKind::Errors:
        return "errors";
    case TSubjectKind::Modified:
        return "modified";
    case TSubjectKind::Setting:
        return "setting " + QuoteScriptArgument(Query.Key) + " " + QuoteScriptArgument(Query.Ident);
    case TSubjectKind::ControlState:
        return Query.Control;
    case TSubjectKind::Item:
        return Query.Control + " item " + Query.Key;
    case TSubjectKind::Image:
        return Query.Control + " image " + QuoteScriptArgument(Query.Key);
    default:
        return Query.Control + " " + Query.Word;
    }
}

bool QueryHolds(const TQuery& Query, const std::string& Actual)
{
    if (!Query.Expected)
        return true;
    if (Query.Kind == TSubjectKind::Error)
        return Actual.find(*Query.Expected) != std::string::npos;
    if (Query.Kind == TSubjectKind::Setting && (*Query.Expected == "present" || *Query.Expected == "absent"))
        return (Actual == "(absent)") == (*Query.Expected == "absent");
    return Actual == *Query.Expected;
}

std::vector<TScriptCommand> ParseScript(const std::string& Text, const std::string& SourceName,
                                        const TEnvironment& Environment)
{
    std::vector<TScriptCommand> Commands;
    std::istringstream Lines(Text);
    std::string Line;
    int Number = 0;
    while (std::getline(Lines, Line)) {
        ++Number;
        try {
            std::vector<std::string> Args = SplitScriptLine(Line, Environment);
            if (Args.empty())
                continue;
            const TCommandEntry* Entry = nullptr;
            for (const TCommandEntry& S : CommandTable)
                if (Args[0] == S.Name)
                    Entry = &S;
            if (Entry == nullptr)
                throw EScriptError("unknown command '" + Args[0] + "'");
            const std::size_t Count = Args.size() - 1;
            if (Count < Entry->MinArgs || Count > Entry->MaxArgs)
                throw EScriptError(std::string("expected '") + Entry->Form + "'");
            CheckArguments(Args[0], Args);
            TScriptCommand Command;
            Command.Line = Number;
            Command.Text = Line;
            while (!Command.Text.empty() && (Command.Text.back() == '\r' || Command.Text.back() == ' '))
                Command.Text.pop_back();
            Command.Place = Entry->Place;
            if (Args[0] == "expect" || Args[0] == "print")
                Command.Query =
                    ParseQuery(std::vector<std::string>(Args.begin() + 1, Args.end()), Args[0] == "expect");
            Command.Args = std::move(Args);
            Commands.push_back(std::move(Command));
        } catch (const EScriptError& E) {
            throw EScriptError("line " + std::to_string(Number) + " of " + SourceName + ": " + E.Message());
        }
    }
    return Commands;
}

std::string QuoteScriptArgument(const std::string& Argument)
{
    const bool Plain = !Argument.empty() && Argument.find_first_of(" \t\"#\\$") == std::string::npos;
    if (Plain)
        return Argument;
    std::string Quoted = "\"";
    for (char C : Argument) {
        if (C == '"' || C == '\\')
            Quoted += '\\';
        // A '$' followed by '{' would be read as a variable; nothing can escape it, so it is split.
        if (C == '{' && Quoted.size() > 1 && Quoted.back() == '$')
            Quoted += "\"\"";
        Quoted += C;
    }
    return Quoted + "\"";
}
