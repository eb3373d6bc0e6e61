#pragma once
// The data-aware grid: a column per visible field under a title row, a row
// per record, and an indicator column marking the current record (an arrow
// while browsing, a caret bar while editing, a star while inserting).
// Choosing another row moves the dataset there. With goEditing a cell is
// edited in place (F2, Enter, a double click or typing): Enter posts the
// record, Escape cancels the edit, leaving the row posts it.
#include "data/datasource.h"
#include "vcl/grids.h"
#include "vcl/stdctrls_edit.h"

#include <memory>
#include <vector>

class TDBGrid : public TCustomGrid {
public:
    explicit TDBGrid(TComponent* AOwner);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    // A read-only grid never edits.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);

    // The columns' fields, in field order (the visible fields of the open dataset).
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TField* Columns(int index) const;
    // The field of the current column, nullptr without one.
    TField* SelectedField() const;
    // The grid row (from 1) showing the current record.
    int ActiveRow() const;

    // The in-place editor, nullptr until first shown.
    TCustomEdit* InplaceEditor() const;
    bool EditorMode() const;
    // True asks for edit mode and shows the editor on the current cell;
    // false hides it (its text stays pending until the post or cancel).
    void SetEditorMode(bool value);

    void WndProc(TMessage& Message) override;

protected:
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void DblClick() override;
    void ScrollStateChanged() override;

private:
    class GridLink;
    class Editor;
    friend class GridLink;
    friend class Editor;

    // Columns, rows and the current row from the link.
    void Sync();
    void LayoutColumns();
    void PlaceEditor();
    void HideEditor();
    // The editor's text reaches the field (when the user changed it).
    void WriteEditor();
    void PostEditor();
    void CancelEditor();
    void DrawIndicator(const TRect& r);

    std::unique_ptr<GridLink> link_;
    std::vector<TField*> columns_;
    Editor* editor_ = nullptr;
    bool editorShown_ = false;
    bool editorChanged_ = false;
    bool readOnly_ = false;
    bool syncing_ = false;
};
