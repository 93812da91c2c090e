#include "HostWindow.hpp"

#include "ControlsImpl.hpp"
#include "FormFrame.hpp"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

// The design surface: a dotted background with the designed form on it, its frame drawn where the
// form's frame model puts it. The platform places the form's client area inside that frame.
class TDesignSurface : public QWidget
{
public:
    TDesignSurface(TForm& Form, QWidget* Parent) : QWidget(Parent), FForm(Form)
    {
        QWidget* Window = ControlWidget(&Form);
        Window->setParent(this, Qt::Widget);
        Window->installEventFilter(this);
        Form.Show();
        FollowForm();
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Resize || Event->type() == QEvent::Move ||
            Event->type() == QEvent::WindowTitleChange)
            FollowForm();
        return QWidget::eventFilter(Watched, Event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter Painter(this);
        Painter.fillRect(rect(), QColor(128, 128, 128));
        Painter.setPen(QColor(160, 160, 160));
        for (int Y = 4; Y < height(); Y += 8)
            for (int X = 4; X < width(); X += 8)
                Painter.drawPoint(X, Y);
        PaintFormFrame(Painter, QRect(FForm.Left(), FForm.Top(), FForm.Width(), FForm.Height()),
                       ToQString(FForm.Caption()));
    }

private:
    // Sizes the surface to hold the form with a margin, and repaints the frame.
    void FollowForm()
    {
        constexpr int Margin = 12;
        const QSize Size(std::max(0, FForm.Left()) + FForm.Width() + Margin,
                         std::max(0, FForm.Top()) + FForm.Height() + Margin);
        setMinimumSize(Size);
        update();
    }

    TForm& FForm;
};

THostWindow::THostWindow(std::unique_ptr<TForm> Form, THostDesigner& Designer) : FForm(std::move(Form))
{
    setWindowTitle(QStringLiteral("Tolvane host - %1").arg(ToQString(FForm->Name())));
    auto* Splitter = new QSplitter(this);
    auto* Inspector = new QWidget(Splitter);
    auto* Column = new QVBoxLayout(Inspector);
    Column->setContentsMargins(6, 6, 6, 6);
    Column->addWidget(new QLabel(QStringLiteral("Components"), Inspector));
    FComponents = new QListWidget(Inspector);
    FComponents->setMaximumHeight(110);
    Column->addWidget(FComponents);
    Column->addWidget(new QLabel(QStringLiteral("Properties"), Inspector));
    FGrid = new TPropertyGrid(&Designer, Inspector);
    Column->addWidget(FGrid, 1);
    auto* Scroller = new QScrollArea(Splitter);
    FSurface = new TDesignSurface(*FForm, Scroller);
    Scroller->setWidget(FSurface);
    Scroller->setWidgetResizable(true);
    Splitter->addWidget(Inspector);
    Splitter->addWidget(Scroller);
    Splitter->setSizes({330, 470});
    setCentralWidget(Splitter);
    resize(820, 560);

    for (int Row = 0; Row < FForm->ComponentCount() + 1; ++Row) {
        const TComponent* C = ComponentAt(Row);
        FComponents->addItem(ToQString(C->Name() + ": " + C->ClassName()));
    }
    connect(FComponents, &QListWidget::currentRowChanged, this, [this](int Row) { ShowComponent(Row); });
    // A click on the component shown already inspects it afresh, with the editors it gets by default.
    connect(FComponents, &QListWidget::itemClicked, this, [this](QListWidgetItem* Item) {
        if (ComponentAt(FComponents->row(Item)) == FGrid->Component())
            ShowComponent(FComponents->row(Item));
    });
    FComponents->setCurrentRow(0);
}

THostWindow::~THostWindow()
{
    // The editors refer to the form's components, and the form's window lies on the surface.
    FGrid->SetComponent(nullptr);
    FForm.reset();
}

TComponent* THostWindow::ComponentAt(int Row) const
{
    if (Row < 0 || Row > FForm->ComponentCount())
        return nullptr;
    return Row == 0 ? FForm.get() : FForm->Components(Row - 1);
}

int THostWindow::RowOf(const TComponent* Component) const
{
    for (int Row = 0; Row <= FForm->ComponentCount(); ++Row)
        if (ComponentAt(Row) == Component)
            return Row;
    return -1;
}

TComponent* THostWindow::FindDesigned(const std::string& Name) const
{
    if (SameText(Name, FForm->Name()))
        return FForm.get();
    return FForm->FindComponent(Name);
}

void THostWindow::ShowComponent(int Row)
{
    Dispatch(nullptr, [this, Row] { FGrid->SetComponent(ComponentAt(Row)); });
}
