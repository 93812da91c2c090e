#pragma once
// The object inspector: one row per published property of the selected component, each with the
// editor that the registrations give it. The value column shows the editor's value text; typed
// text goes to SetValue on Enter (not for paReadOnly rows); paValueList rows offer GetValues;
// paDialog rows have an ellipsis button that calls Edit; paSubProperties rows expand into
// GetProperties. After every change the grid reads every value text afresh. An error that an
// editor raises is handed to Application->HandleException.

#include "DsgnIntf.hpp"

#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLineEdit;
class QToolButton;

// The value column of one row: the text, or a list of values, and the ellipsis button.
class TValueCell : public QWidget
{
public:
    TValueCell(TPropertyAttributes Attributes, QWidget* Parent);

    QString Text() const;
    // Shows Value without raising anything.
    void SetText(const QString& Value);
    void SetValues(const QStringList& Values);
    // The line the user types into (a value list's own line), and the ellipsis button or nullptr.
    QLineEdit* Line() const { return FLine; }
    QToolButton* Ellipsis() const { return FEllipsis; }
    bool ReadOnly() const { return FReadOnly; }

    // Enter in the line, or a value chosen from the list.
    std::function<void(const QString& Text)> OnCommit;
    std::function<void()> OnEllipsis;

protected:
    // A read-only value takes the keys typed into it, lest they reach the grid's row search.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QLineEdit* FLine = nullptr;
    QComboBox* FList = nullptr;
    QToolButton* FEllipsis = nullptr;
    bool FReadOnly = false;
};

// A row and the editor it owns.
class TPropertyRow : public QTreeWidgetItem
{
public:
    explicit TPropertyRow(std::unique_ptr<TPropertyEditor> Editor);
    TPropertyEditor& Editor() const { return *FEditor; }
    TValueCell* Cell() const { return FCell; }
    // The row's path below the component: "Glyph", "Font.Name".
    std::string Path() const;

private:
    friend class TPropertyGrid;
    std::unique_ptr<TPropertyEditor> FEditor;
    TValueCell* FCell = nullptr;
    TPropertyAttributes FAttributes;
    bool FChildrenLoaded = false;
    // The object whose properties the children show, to notice when the value is replaced.
    TObject* FChildrenOf = nullptr;
};

class TPropertyGrid : public QTreeWidget
{
public:
    TPropertyGrid(IFormDesigner* Designer, QWidget* Parent);
    ~TPropertyGrid() override;

    // Shows the properties of Component (nullptr: none). Raises EInvalidOperation while an editor's
    // Edit runs, since that editor belongs to the rows.
    void SetComponent(TComponent* Component);
    TComponent* Component() const { return FComponent; }

    // Reads every value text afresh.
    void RefreshValues();

    // The row at Path ("Glyph", "Font.Name") among those shown, or nullptr.
    TPropertyRow* FindRow(const std::string& Path) const;
    TPropertyRow* SelectedRow() const;
    // Gives Row a new editor of class EditorClass for the same property and components.
    void ReplaceEditor(TPropertyRow* Row, const TPropertyEditorClass& EditorClass);

    // The number of Edit calls running (an editor's dialog may be open).
    int EditDepth() const { return FEditDepth; }

private:
    void AddRow(std::unique_ptr<TPropertyEditor> Editor, QTreeWidgetItem* Parent);
    void SetUpRow(TPropertyRow* Row);
    void LoadChildren(TPropertyRow* Row);
    void DropChildren(TPropertyRow* Row);
    void Commit(TPropertyRow* Row, const QString& Text);
    void RunEdit(TPropertyRow* Row);
    void RefreshRow(TPropertyRow* Row);
    TObject* ValueObject(const TPropertyRow* Row) const;

    IFormDesigner* FDesigner;
    TComponent* FComponent = nullptr;
    int FEditDepth = 0;
};
