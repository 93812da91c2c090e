#pragma once
// What the control tests share: a form to put controls on, the errors that reached
// Application->HandleException, and access to the real widgets behind controls.

#include "ControlsImpl.hpp"
#include "Forms.hpp"
#include "GraphicsImage.hpp"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

template <class W = QWidget> W* WidgetOf(const TControl* Control)
{
    return static_cast<W*>(ControlWidget(Control));
}

class ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Application->OnException = [this](TObject* Sender, const std::exception& E) {
            Errors.push_back(E.what());
            ErrorSenders.push_back(Sender);
        };
        Form = std::make_unique<TForm>(nullptr);
        Form->SetName("TestForm");
        Form->SetClientWidth(400);
        Form->SetClientHeight(300);
    }

    void TearDown() override
    {
        Form.reset();
        Application->OnException = nullptr;
        Application->OnMessageShown = nullptr;
    }

public:
    template <class C> C* Make(TWinControl* Parent, const std::string& Name = "")
    {
        auto* Control = new C(Form.get());
        Control->SetName(Name);
        Control->SetParent(Parent);
        return Control;
    }

    // Shows the form as a modeless window and waits until it is active.
    void ShowForm()
    {
        Form->Show();
        QWidget* Window = WidgetOf(Form.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window));
        QApplication::setActiveWindow(Window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window));
    }

    std::unique_ptr<TForm> Form;
    std::vector<std::string> Errors;
    std::vector<TObject*> ErrorSenders;
};

// A double-click as the window system delivers it: press, release, press, double-click, release.
inline void DoubleClick(QWidget* Widget, QPoint Pos = QPoint())
{
    QTest::mousePress(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseRelease(Widget, Qt::LeftButton, {}, Pos);
    QTest::mousePress(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseDClick(Widget, Qt::LeftButton, {}, Pos);
    QTest::mouseRelease(Widget, Qt::LeftButton, {}, Pos);
}

// Runs Steps inside the modal loop of Form->ShowModal, once its window is active, and returns the
// result. A watchdog ends a loop that the steps failed to end with -1.
template <class F> int RunModal(TForm* Form, F Steps)
{
    QTimer::singleShot(0, [Form, Steps] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(ControlWidget(Form)));
        Steps();
    });
    bool TimedOut = false;
    QTimer Watchdog;
    Watchdog.setSingleShot(true);
    QObject::connect(&Watchdog, &QTimer::timeout, [&] {
        TimedOut = true;
        Form->SetModalResult(-1);
    });
    Watchdog.start(5000);
    const int Result = Form->ShowModal();
    EXPECT_FALSE(TimedOut) << "the modal loop did not end";
    return Result;
}
