#include "Script.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEnvironment Variables(std::map<std::string, std::string> Values)
{
    return [Values](const std::string& Name) -> std::optional<std::string> {
        auto It = Values.find(Name);
        if (It == Values.end())
            return std::nullopt;
        return It->second;
    };
}

using Args = std::vector<std::string>;

struct SplitCase
{
    const char* Line;
    Args Expected;
};

TEST(HostScriptLine, SplitsQuotesEscapesCommentsAndVariables)
{
    const TEnvironment Env = Variables({{"IMAGES", "/tmp/my images"}, {"EMPTY", ""}});
    const SplitCase Cases[] = {
        {"click btnOK", {"click", "btnOK"}},
        {"  \tclick   btnOK  ", {"click", "btnOK"}},
        {"type \"Press me\"", {"type", "Press me"}},
        {R"(type "a \"b\" \\ c")", {"type", R"(a "b" \ c)"}},
        {R"(type "C:\dir")", {"type", R"(C:\dir)"}},
        {R"(type C:\dir)", {"type", R"(C:\dir)"}},
        {"type \"\"", {"type", ""}},
        {"type ab\"cd ef\"gh", {"type", "abcd efgh"}},
        {"expect value (None) # a comment", {"expect", "value", "(None)"}},
        {"# only a comment", {}},
        {"", {}},
        {"type \"a#b\"", {"type", "a#b"}},
        {"dir ${IMAGES}/bitmaps", {"dir", "/tmp/my images/bitmaps"}},
        {"dir \"${IMAGES}\"", {"dir", "/tmp/my images"}},
        {"type ${EMPTY}", {"type", ""}},
        {"type $HOME $", {"type", "$HOME", "$"}},
        {"click btnOK\r", {"click", "btnOK"}},
    };
    for (const SplitCase& C : Cases)
        EXPECT_EQ(SplitScriptLine(C.Line, Env), C.Expected) << C.Line;
}

struct ErrorCase
{
    const char* Line;
    const char* Message;
};

TEST(HostScriptLine, RejectsWhatCannotBeRead)
{
    const ErrorCase Cases[] = {
        {"type \"abc", "unterminated quote"},
        {"type \"abc\\\"", "unterminated quote"},
        {"dir ${NOPE}/x", "environment variable NOPE is not set"},
        {"dir ${IMAGES", "unterminated ${"},
        {"dir ${}", "invalid variable name"},
        {"dir ${1A}", "invalid variable name"},
        {"dir ${A-B}", "invalid variable name"},
    };
    for (const ErrorCase& C : Cases) {
        try {
            SplitScriptLine(C.Line, Variables({}));
            ADD_FAILURE() << "no error for: " << C.Line;
        } catch (const EScriptError& E) {
            EXPECT_NE(E.Message().find(C.Message), std::string::npos) << C.Line << ": " << E.Message();
        }
    }
}

TEST(HostScriptLine, QuotedArgumentsReadBackUnchanged)
{
    const char* Arguments[] = {"plain", "with space", "\"quoted\"", R"(back\slash)", "${NOT_A_VARIABLE}",
                               "#hash", "",           "$",          "a\"${b}\\"};
    for (const char* A : Arguments)
        EXPECT_EQ(SplitScriptLine("type " + QuoteScriptArgument(A), Variables({})), (Args{"type", A})) << A;
}

TEST(HostScript, ParsesCommandsWithTheirLineNumbersAndPlaces)
{
    const std::vector<TScriptCommand> Commands = ParseScript("# setup\n"
                                                             "select BitBtn1.Glyph with TTolvaneProperty\n"
                                                             "\n"
                                                             "edit\n"
                                                             "  click cbxFile \"a b.bmp\"\n"
                                                             "expect imgView picture 24 24\n",
                                                             "test", Variables({}));
    ASSERT_EQ(Commands.size(), 4u);
    EXPECT_EQ(Commands[0].Line, 2);
    EXPECT_EQ(Commands[0].Place, TCommandPlace::Host);
    EXPECT_EQ(Commands[1].Line, 4);
    EXPECT_EQ(Commands[2].Args, (Args{"click", "cbxFile", "a b.bmp"}));
    EXPECT_EQ(Commands[2].Place, TCommandPlace::Dialog);
    EXPECT_EQ(Commands[2].Text, "  click cbxFile \"a b.bmp\"");
    EXPECT_EQ(Commands[3].Place, TCommandPlace::Anywhere);
    ASSERT_TRUE(Commands[3].Query);
    EXPECT_EQ(Commands[3].Query->Kind, TSubjectKind::Picture);
    EXPECT_EQ(Commands[3].Query->Expected, "24 24");
}

TEST(HostScript, RejectsLinesThatCannotBeParsedNamingTheLine)
{
    const ErrorCase Cases[] = {
        {"clik btnOK", "unknown command 'clik'"},
        {"edit now", "expected 'edit'"},
        {"select BitBtn1", "expected COMPONENT.PROPERTY"},
        {"select BitBtn1.Glyph using TTolvaneProperty",
         "expected 'select COMPONENT.PROPERTY [with EDITORCLASS]'"},
        {"select BitBtn1.Glyph with", "expected 'select COMPONENT.PROPERTY [with EDITORCLASS]'"},
        {"set BitBtn1.Glyph", "expected 'set COMPONENT.PROPERTY FILE|none'"},
        {"history -1", "must not be negative"},
        {"history top", "the history entry must be a number"},
        {"resize 0 100", "must be positive"},
        {"key cbxFile Hyper", "unknown key 'Hyper'"},
        {"expect value a b", "expected 'value TEXT'"},
        {"expect btnOK", "expected 'expect SUBJECT VALUE'"},
        {"expect result maybe", "expected 'result ok|cancel|cleared', not 'maybe'"},
        {"expect dialog ajar", "expected 'dialog open|closed'"},
        {"expect cbxFile count many", "must be a number"},
        {"expect imgView picture 24", "expected 'imgView picture empty|W H'"},
        {"expect imgView stretch maybe", "expected 'imgView stretch on|off'"},
        {"expect lsvImages image a.bmp mine", "expected 'lsvImages image NAME own|none'"},
        {"expect btnOK shiny", "unknown subject 'btnOK shiny'"},
        {"print btnOK", "unknown subject 'btnOK'"},
        {"print btnOK enabled extra", "expected 'btnOK enabled'"},
    };
    for (const ErrorCase& C : Cases) {
        try {
            ParseScript(std::string("\n") + C.Line, "s", Variables({}));
            ADD_FAILURE() << "no error for: " << C.Line;
        } catch (const EScriptError& E) {
            EXPECT_NE(E.Message().find(C.Message), std::string::npos) << C.Line << ": " << E.Message();
            EXPECT_EQ(E.Message().rfind("line 2 of s: ", 0), 0u) << E.Message();
        }
    }
}

struct QueryCase
{
    Args Arguments;
    bool WithExpected;
    TSubjectKind Kind;
    const char* Control;
    const char* Word;
    const char* Expected; // nullptr: none
    const char* Subject;
};

TEST(HostScriptQuery, ReadsEachSubjectAndItsValue)
{
    const QueryCase Cases[] = {
        {{"value", "(TBitMap)"}, true, TSubjectKind::Value, "", "", "(TBitMap)", "value"},
        {{"value"}, false, TSubjectKind::Value, "", "", nullptr, "value"},
        {{"result", "cleared"}, true, TSubjectKind::Result, "", "", "cleared", "result"},
        {{"dialog", "open"}, true, TSubjectKind::Dialog, "", "", "open", "dialog"},
        {{"dialog", "caption", "Tolvane V0.93 Beta"},
         true,
         TSubjectKind::DialogCaption,
         "",
         "",
         "Tolvane V0.93 Beta",
         "dialog caption"},
        {{"dialog", "centred"}, true, TSubjectKind::DialogCentred, "", "", "centred", "dialog"},
        {{"errors", "007"}, true, TSubjectKind::Errors, "", "", "7", "errors"},
        {{"btnOK", "disabled"}, true, TSubjectKind::ControlState, "btnOK", "enabled", "disabled", "btnOK"},
        {{"btnOK", "disabled"}, false, TSubjectKind::ControlState, "btnOK", "enabled", nullptr, "btnOK"},
        {{"chbEnableDisable", "unchecked"},
         true,
         TSubjectKind::ControlState,
         "chbEnableDisable",
         "checked",
         "unchecked",
         "chbEnableDisable"},
        {{"cbxHistory", "width", "631"},
         true,
         TSubjectKind::ControlBound,
         "cbxHistory",
         "width",
         "631",
         "cbxHistory width"},
        {{"cbxFile", "item", "2", "a.bmp"},
         true,
         TSubjectKind::Item,
         "cbxFile",
         "item",
         "a.bmp",
         "cbxFile item 2"},
        {{"imgView", "picture", "empty"},
         true,
         TSubjectKind::Picture,
         "imgView",
         "picture",
         "empty",
         "imgView picture"},
        {{"btnTest", "glyph", "16", "15"},
         true,
         TSubjectKind::Glyph,
         "btnTest",
         "glyph",
         "16 15",
         "btnTest glyph"},
        {{"lsvImages", "image", "a b.bmp", "own"},
         true,
         TSubjectKind::Image,
         "lsvImages",
         "image",
         "own",
         "lsvImages image \"a b.bmp\""},
        {{"setting", "Window Position", "Width", "present"},
         true,
         TSubjectKind::Setting,
         "",
         "",
         "present",
         "setting \"Window Position\" Width"},
    };
    for (const QueryCase& C : Cases) {
        const TQuery Q = ParseQuery(C.Arguments, C.WithExpected);
        EXPECT_EQ(Q.Kind, C.Kind) << C.Subject;
        EXPECT_EQ(Q.Control, C.Control) << C.Subject;
        EXPECT_EQ(Q.Word, C.Word) << C.Subject;
        EXPECT_EQ(Q.Expected.has_value(), C.Expected != nullptr) << C.Subject;
        if (C.Expected != nullptr && Q.Expected) {
            EXPECT_EQ(*Q.Expected, C.Expected) << C.Subject;
        }
        EXPECT_EQ(QuerySubjectText(Q), C.Subject);
    }
}

TEST(HostScriptQuery, ErrorsMatchBySubstringSettingsByPresence)
{
    EXPECT_TRUE(
        QueryHolds(ParseQuery({"error", "corrupt.bmp"}, true), "Invalid bitmap /x/corrupt.bmp: truncated"));
    EXPECT_FALSE(QueryHolds(ParseQuery({"message", "Unknown"}, true), "Unknown: c.emf"));
    EXPECT_TRUE(QueryHolds(ParseQuery({"setting", "S", "I", "present"}, true), "0"));
    EXPECT_FALSE(QueryHolds(ParseQuery({"setting", "S", "I", "present"}, true), "(absent)"));
    EXPECT_TRUE(QueryHolds(ParseQuery({"setting", "S", "I", "absent"}, true), "(absent)"));
    EXPECT_TRUE(QueryHolds(ParseQuery({"setting", "S", "I", "C:\\x"}, true), "C:\\x"));
}

} // namespace
