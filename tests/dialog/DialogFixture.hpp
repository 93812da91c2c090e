#pragma once
// What the dialog tests share: real image files in a temporary folder, a fresh settings folder, the
// sample component, the errors and message boxes that reached the platform, and the user's actions
// on the real widgets of the open dialog.

#include "ControlsImpl.hpp"
#include "Dialogs.hpp"
#include "ImageFiles.hpp"
#include "SampleComponents.hpp"
#include "TempDir.hpp"
#include "TolvaneProperty.hpp"
#include "frmTolvane.hpp"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

template <class W = QWidget> W* WidgetOf(const TControl* Control)
{
    return static_cast<W*>(ControlWidget(Control));
}

class TCountingDesigner : public IFormDesigner
{
public:
    void Modified() override { ++Count; }
    int Count = 0;
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The design resolution: every size is the designed one.
        Screen->SetPixelsPerInch(120);
        setenv("XDG_CONFIG_HOME", Config.Path().c_str(), 1);
        Application->OnException = [this](TObject*, const std::exception& E) { Errors.push_back(E.what()); };
        Application->OnMessageShown = [this](const TMessageBox& Box) {
            Messages.push_back(Box.Text);
            return Box.DefaultResult;
        };
        Images.Write("a.bmp", BmpFile(SolidImage(8, 6, 0xFF0000FF)));
        Images.Write("b.bmp", BmpFile(PatternImage(16, 16)));
        Images.Write("c.ico", IcoFile({{PatternImage(32, 32)}}));
        Images.Write("bad.bmp", "BM this is no bitmap");
        Images.MakeDir("sub");
        Images.Write("sub/d.bmp", BmpFile(PatternImage(4, 4)));
    }

    void TearDown() override
    {
        Application->OnException = nullptr;
        Application->OnMessageShown = nullptr;
        unsetenv("XDG_CONFIG_HOME");
    }

    std::unique_ptr<TTolvaneProperty> Editor(const char* Property, std::vector<TPersistent*> Components = {})
    {
        if (Components.empty())
            Components = {&Sample};
        return std::make_unique<TTolvaneProperty>(&Designer, Components,
                                                  GetPropInfo(TSampleComponent::TypeInfo(), Property));
    }

    // Runs the editor's Edit with Steps acting on the dialog inside its modal loop. A watchdog
    // cancels a dialog that the steps left open.
    void RunEdit(TTolvaneProperty& E, const std::function<void(TfrmTolvane&)>& Steps)
    {
        bool Ran = false;
        QTimer::singleShot(0, [&] {
            Ran = true;
            ASSERT_NE(frmTolvane, nullptr);
            Steps(*frmTolvane);
        });
        QTimer Watchdog;
        Watchdog.setSingleShot(true);
        QObject::connect(&Watchdog, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the dialog was left open";
            if (frmTolvane)
                frmTolvane->SetModalResult(mrCancel);
        });
        Watchdog.start(10000);
        E.Edit();
        EXPECT_TRUE(Ran);
        EXPECT_EQ(frmTolvane, nullptr);
    }

    static void Click(const TControl* Control)
    {
        QWidget* W = WidgetOf(Control);
        QTest::mouseClick(W, Qt::LeftButton, {}, W->rect().center());
    }

    static QPoint ItemCentre(QListWidget* List, const std::string& Name)
    {
        const QList<QListWidgetItem*> Found = List->findItems(QString::fromStdString(Name), Qt::MatchExactly);
        if (Found.isEmpty()) {
            ADD_FAILURE() << "no entry " << Name;
            return {};
        }
        List->scrollToItem(Found.front());
        return List->visualItemRect(Found.front()).center();
    }

    static void ClickFile(TfrmTolvane& F, const std::string& Name)
    {
        auto* List = WidgetOf<QListWidget>(F.cbxFile);
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, ItemCentre(List, Name));
    }

    static void DblClickFile(TfrmTolvane& F, const std::string& Name)
    {
        auto* List = WidgetOf<QListWidget>(F.cbxFile);
        const QPoint At = ItemCentre(List, Name);
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, At);
        QTest::mouseDClick(List->viewport(), Qt::LeftButton, {}, At);
    }

    // Focuses the control and presses K; accelerators need the dialog to be the active window.
    static void Key(const TControl* Control, Qt::Key K, Qt::KeyboardModifiers Modifiers = {})
    {
        QWidget* W = WidgetOf(Control);
        QApplication::setActiveWindow(W->window());
        W->setFocus();
        QTest::keyClick(W, K, Modifiers);
    }

    // Moves the dialog's directory list to Dir, as the user double-clicking there would.
    static void Enter(TfrmTolvane& F, const std::string& Dir) { F.cbxDir->SetDirectory(Dir); }

    TempDir Config;
    TempDir Images;
    TSampleComponent Sample{nullptr};
    TCountingDesigner Designer;
    std::vector<std::string> Errors;
    std::vector<std::string> Messages;
};
