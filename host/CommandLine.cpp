#include "CommandLine.hpp"

namespace {

enum class TOption
{
    Package,
    Form,
    Ppi,
    Script,
    Demo,
    ListPackages,
    Help
};

struct TOptionEntry
{
    const char* Name;
    TOption Option;
    bool TakesValue;
};

constexpr TOptionEntry OptionTable[] = {
    {"--package", TOption::Package, true}, {"--form", TOption::Form, true},
    {"--ppi", TOption::Ppi, true},         {"--script", TOption::Script, true},
    {"--demo", TOption::Demo, true},       {"--list-packages", TOption::ListPackages, false},
    {"--help", TOption::Help, false},
};

void SetOnce(std::optional<std::string>& Target, const std::string& Value, const char* Name)
{
    if (Target)
        throw EUsageError(std::string(Name) + " is given twice");
    Target = Value;
}

} // namespace

THostOptions ParseCommandLine(const std::vector<std::string>& Args)
{
    THostOptions Options;
    std::optional<std::string> Form;
    std::optional<std::string> Ppi;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        std::string Arg = Args[I];
        std::optional<std::string> Value;
        if (const std::size_t Equals = Arg.find('=');
            Arg.rfind("--", 0) == 0 && Equals != std::string::npos) {
            Value = Arg.substr(Equals + 1);
            Arg = Arg.substr(0, Equals);
        }
        const TOptionEntry* Entry = nullptr;
        for (const TOptionEntry& S : OptionTable)
            if (Arg == S.Name)
                Entry = &S;
        if (Entry == nullptr)
            throw EUsageError("unknown argument '" + Args[I] + "'");
        if (Entry->TakesValue && !Value) {
            if (I + 1 >= Args.size())
                throw EUsageError(std::string(Entry->Name) + " needs a value");
            Value = Args[++I];
        }
        if (!Entry->TakesValue && Value)
            throw EUsageError(std::string(Entry->Name) + " takes no value");
        switch (Entry->Option) {
        case TOption::Package:
            Options.Packages.push_back(*Value);
            break;
        case TOption::Form:
            SetOnce(Form, *Value, Entry->Name);
            break;
        case TOption::Ppi:
            SetOnce(Ppi, *Value, Entry->Name);
            break;
        case TOption::Script:
            SetOnce(Options.ScriptFile, *Value, Entry->Name);
            break;
        case TOption::Demo:
            SetOnce(Options.DemoDir, *Value, Entry->Name);
            break;
        case TOption::ListPackages:
            Options.ListPackages = true;
            break;
        case TOption::Help:
            Options.Help = true;
            break;
        }
    }
    if (Form) {
        if (Form->empty())
            throw EUsageError("--form needs a file");
        Options.FormFile = *Form;
    }
    if (Ppi) {
        try {
            const std::int64_t N = StrToInt(*Ppi);
            if (N <= 0 || N > 1000)
                throw EConvertError("out of range");
            Options.PixelsPerInch = static_cast<int>(N);
        } catch (const EConvertError&) {
            throw EUsageError("--ppi needs a resolution in pixels per inch from 1 to 1000, not '" + *Ppi +
                              "'");
        }
    }
    const int Modes =
        (Options.ScriptFile ? 1 : 0) + (Options.DemoDir ? 1 : 0) + (Options.ListPackages ? 1 : 0);
    if (Modes > 1)
        throw EUsageError("--script, --demo and --list-packages exclude each other");
    if ((Options.ScriptFile && Options.ScriptFile->empty()) || (Options.DemoDir && Options.DemoDir->empty()))
        throw EUsageError("--script and --demo need a file or folder");
    return Options;
}

const char* UsageText()
{
    return "Usage: tolvane-host [--package FILE]... [--form FILE] [--ppi N] [--script FILE|-] [--demo DIR]\n"
           "                    [--list-packages] [--help]\n"
           "\n"
           "  --package FILE   load this design-time package (repeatable; default: ../lib/libtolvane.so\n"
           "                   beside the executable)\n"
           "  --form FILE      open this designed form instead of the built-in sample form\n"
           "  --ppi N          create forms for a screen of N pixels per inch\n"
           "  --script FILE    run the automation script (-: standard input), print a transcript, exit\n"
           "  --demo DIR       write sample images into DIR/images, walk through a typical edit and write\n"
           "                   a screenshot of each step and the transcript into DIR\n"
           "  --list-packages  print one line per loaded package and exit\n"
           "  --help           print this text\n"
           "\n"
           "Exit status with --script: 0 when every expectation held, 1 at the first that failed, 2 for a\n"
           "usage error or a script that cannot be parsed or carried out.\n";
}
