// tolvane-host: the reference host. It loads design-time packages, opens a designed form with its
// component list and object inspector, and runs automation scripts and the demo.

#include "CommandLine.hpp"
#include "Demo.hpp"
#include "Designer.hpp"
#include "HostWindow.hpp"
#include "Packages.hpp"
#include "Registry.hpp"
#include "ScriptRunner.hpp"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

bool HasDisplay()
{
    for (const char* Name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* Value = std::getenv(Name);
        if (Value != nullptr && *Value != '\0')
            return true;
    }
    return false;
}

std::string ReadScript(const std::string& File)
{
    if (File == "-")
        return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    std::ifstream In(File, std::ios::binary);
    if (!In)
        throw EScriptError("cannot read the script " + File);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

void LoadPackages(TPackageList& Packages, const THostOptions& Options)
{
    const std::vector<std::string> Files =
        Options.Packages.empty() ? std::vector<std::string>{DefaultPackageFile()} : Options.Packages;
    for (const std::string& File : Files) {
        try {
            Packages.Load(File);
        } catch (const EPackageError& E) {
            std::cerr << "tolvane-host: " << E.Message() << std::endl;
            if (!Options.Unattended())
                Application->HandleException(nullptr, E);
        }
    }
}

// Runs Commands in the host window and returns the script's exit status.
int RunScript(QApplication& App, THostWindow& Window, THostDesigner& Designer,
              std::vector<TScriptCommand> Commands, TTranscript& Transcript, const std::string& ShotFolder)
{
    TScriptRunner Runner(Window, Designer, Transcript, ShotFolder);
    Runner.Start(std::move(Commands));
    const int Status = App.exec();
    return Runner.Finished() ? Runner.ExitStatus() : Status;
}

// Prepares the demo folder: a settings store of its own (so the demo changes none of the user's
// settings and starts alike every time), opened on the folder, and the sample images.
std::string PrepareDemo(const std::string& Folder)
{
    const std::filesystem::path Root = std::filesystem::absolute(Folder).lexically_normal();
    std::filesystem::create_directories(Root);
    const std::filesystem::path Settings = Root / ".settings";
    std::filesystem::remove_all(Settings);
    setenv("XDG_CONFIG_HOME", Settings.string().c_str(), 1);
    return Root.string();
}

int Run(int argc, char** argv)
{
    THostOptions Options;
    try {
        Options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& E) {
        std::cerr << "tolvane-host: " << E.Message() << "\n\n" << UsageText();
        return 2;
    }
    if (Options.Help) {
        std::cout << UsageText();
        return 0;
    }
    const bool PlatformChosen = std::getenv("QT_QPA_PLATFORM") != nullptr;
    if (!HasDisplay() && !PlatformChosen) {
        if (!Options.Unattended()) {
            std::cerr << "tolvane-host: there is no display to open the window on (use --script or --demo, "
                         "or set QT_QPA_PLATFORM)"
                      << std::endl;
            return 2;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::string DemoFolder;
    if (Options.DemoDir)
        DemoFolder = PrepareDemo(*Options.DemoDir);

    int QtArgc = 1;
    QApplication App(QtArgc, argv);
    if (Options.Unattended()) {
        // Nobody is there to close a box: errors go to standard error, boxes take their default.
        Application->OnException = [](TObject*, const std::exception& E) {
            std::cerr << "tolvane-host: " << E.what() << std::endl;
        };
        Application->OnMessageShown = [](const TMessageBox& Box) { return Box.DefaultResult; };
    }
    if (Options.PixelsPerInch > 0)
        Screen->SetPixelsPerInch(Options.PixelsPerInch);

    TPackageList Packages;
    LoadPackages(Packages, Options);
    if (Options.ListPackages) {
        for (const TPackage& P : Packages.Packages())
            std::cout << DescribePackage(P) << std::endl;
        return 0;
    }

    std::vector<TScriptCommand> Commands;
    std::string ImagesFolder;
    try {
        if (Options.ScriptFile)
            Commands =
                ParseScript(ReadScript(*Options.ScriptFile), *Options.ScriptFile, ProcessEnvironment());
        if (Options.DemoDir) {
            ImagesFolder = (std::filesystem::path(DemoFolder) / "images").string();
            WriteDemoImages(ImagesFolder);
            TRegIniFile("\\Software\\Orvanda\\Components\\Tolvane")
                .WriteString("Directory History", "Last Directory", DemoFolder);
            Commands = ParseScript(DemoScript(ImagesFolder), "the demo script", ProcessEnvironment());
        }
    } catch (const Exception& E) {
        std::cerr << "tolvane-host: " << E.Message() << std::endl;
        return 2;
    }

    std::unique_ptr<TForm> Form;
    try {
        Form = OpenDesignedForm(Options.FormFile);
    } catch (const Exception& E) {
        std::cerr << "tolvane-host: cannot open the form: " << E.Message() << std::endl;
        return 2;
    }
    THostDesigner Designer;
    THostWindow Window(std::move(Form), Designer);
    Window.show();

    if (Options.ScriptFile) {
        TTranscript Transcript;
        Transcript.AddStream(std::cout);
        return RunScript(App, Window, Designer, std::move(Commands), Transcript, "");
    }
    if (Options.DemoDir) {
        std::ofstream Log(std::filesystem::path(DemoFolder) / "transcript.txt", std::ios::trunc);
        TTranscript Transcript;
        Transcript.AddStream(std::cout);
        Transcript.AddStream(Log);
        const int Status = RunScript(App, Window, Designer, std::move(Commands), Transcript, DemoFolder);
        std::cout << "Demo " << (Status == 0 ? "finished" : "failed") << ": the screenshots are "
                  << DemoFolder << "/*.png, the images " << ImagesFolder << ", the transcript " << DemoFolder
                  << "/transcript.txt" << std::endl;
        return Status;
    }
    return App.exec();
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& E) {
        std::cerr << "tolvane-host: " << E.what() << std::endl;
        return 2;
    }
}
