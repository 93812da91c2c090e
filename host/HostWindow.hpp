#pragma once
// The host's window: the designed form on a design surface, the list of its components, and the
// object inspector for the component chosen in the list.

#include "Designer.hpp"
#include "PropertyGrid.hpp"

#include <QMainWindow>

#include <memory>
#include <string>

class QListWidget;
class TDesignSurface;

class THostWindow : public QMainWindow
{
public:
    // Takes the designed form and shows it, with its real controls, on the design surface.
    THostWindow(std::unique_ptr<TForm> Form, THostDesigner& Designer);
    ~THostWindow() override;

    TForm& Form() const { return *FForm; }
    TPropertyGrid& Grid() const { return *FGrid; }
    QListWidget& ComponentList() const { return *FComponents; }
    // The designed form or one of its components, by name (letter case ignored), or nullptr.
    TComponent* FindDesigned(const std::string& Name) const;
    // The component listed in row Row of the component list.
    TComponent* ComponentAt(int Row) const;
    int RowOf(const TComponent* Component) const;

private:
    void ShowComponent(int Row);

    std::unique_ptr<TForm> FForm;
    TPropertyGrid* FGrid;
    QListWidget* FComponents;
    TDesignSurface* FSurface;
};
