#pragma once
// Runs an automation script through the host's real widgets. Each command is one step of the event
// loop. `edit` presses the ellipsis button, whose Edit shows its dialog modally: the steps that
// follow run inside the dialog's modal loop, until the dialog closes; the first step after that
// waits until Edit has returned. The runner watches the form windows being shown and hidden to
// know which dialog is open and how the last one ended.
//
// While it runs, message boxes are answered with their default button at once and recorded, and
// errors reported through Application->HandleException are recorded instead of shown.

#include "HostWindow.hpp"
#include "Script.hpp"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

class TComboBox;
class TControl;

// The transcript: every line goes to each of its streams at once.
class TTranscript
{
public:
    void AddStream(std::ostream& Stream) { FStreams.push_back(&Stream); }
    void Line(const std::string& Text);

private:
    std::vector<std::ostream*> FStreams;
};

class TScriptRunner : public QObject
{
public:
    // Shots with a relative path are written under ShotFolder.
    TScriptRunner(THostWindow& Window, THostDesigner& Designer, TTranscript& Transcript,
                  std::string ShotFolder);
    ~TScriptRunner() override;

    // Schedules the first step. When the script ends, or at its first failure, the runner quits the
    // application's event loops with the exit status: 0, 1 (an expectation failed) or 2 (a command
    // could not be carried out).
    void Start(std::vector<TScriptCommand> Commands);
    bool Finished() const { return FFinished; }
    int ExitStatus() const { return FExitStatus; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TOpenDialog
    {
        TForm* Form;
        QPointer<QWidget> Window;
    };

    void ScheduleStep(int DelayMs = 0);
    void Step();
    void Finish(int Status, const std::string& Message);
    void Execute(const TScriptCommand& Command);
    bool DialogTakesInput() const;
    TForm* OpenDialog() const;

    // Host commands.
    void Select(const std::vector<std::string>& Args);
    void SetProperty(const std::string& Path, const std::string& Source);
    void Type(const std::string& Text);
    void Edit();
    void Shot(const std::string& File);
    void Expect(const TScriptCommand& Command);
    void Print(const TQuery& Query);

    // Dialog commands.
    void MoveToDirectory(const std::string& Path);
    void ChooseDrive(const std::string& Root);
    void Click(const std::vector<std::string>& Args, bool Double);
    void ChooseHistory(int Index);
    void DropDown(const std::string& Name);
    void Key(const std::string& Name, const std::string& KeyName);
    void Leave(const std::string& Name);
    void Resize(int Width, int Height);
    void CloseBox();

    void ChooseComboEntry(TComboBox* Box, int Index);
    void ClickListEntry(TControl* List, const std::string& Name, bool Double);
    // The control Name: in the open dialog, else on the designed form.
    TComponent* FindComponentNamed(const std::string& Name) const;
    TControl* FindControl(const std::string& Name) const;
    TPropertyRow* SelectedRow() const;
    std::string Actual(const TQuery& Query) const;

    THostWindow& FWindow;
    THostDesigner& FDesigner;
    TTranscript& FTranscript;
    std::string FShotFolder;
    std::vector<TScriptCommand> FCommands;
    std::size_t FNext = 0;
    const TScriptCommand* FCurrent = nullptr;
    bool FStepScheduled = false;
    bool FFinished = false;
    int FExitStatus = 0;
    // Set while `edit` presses the ellipsis button: the dialog's appearance schedules the next step.
    bool FAwaitingDialog = false;
    // When the script began waiting for Edit to return.
    std::chrono::steady_clock::time_point FWaitingSince;
    bool FWaiting = false;
    std::vector<TOpenDialog> FDialogs;
    std::string FLastResult = "none";
    std::deque<std::string> FMessages;
    std::deque<std::string> FErrors;
    TExceptionEvent FOldOnException;
    TMessageShownEvent FOldOnMessageShown;
};
