#include "vcl/dbgrids.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "vcl/messages.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kIndicatorWidth = 12;

bool IsNumber(const TField* f) { return f->DataType() == ftInteger || f->DataType() == ftFloat; }

} // namespace

// The grid's view of its data source: everything that changes rows, columns or cells.
class TDBGrid::GridLink : public TDataLink {
public:
    explicit GridLink(TDBGrid& grid) : grid_(grid) {}

protected:
    void ActiveChanged() override
    {
        grid_.LayoutColumns();
        grid_.Sync();
    }
    void DataSetChanged() override { grid_.Sync(); }
    void DataSetScrolled(int) override { grid_.Sync(); }
    void LayoutChanged() override
    {
        grid_.LayoutColumns();
        grid_.Sync();
    }
    void EditingChanged() override
    {
        if (!Editing()) grid_.HideEditor();
        grid_.Invalidate();
    }
    void RecordChanged(TField* field) override;
    void UpdateData() override { grid_.WriteEditor(); }

private:
    TDBGrid& grid_;
};

// The in-place editor: Enter posts, Escape cancels, row keys go to the grid.
class TDBGrid::Editor : public TCustomEdit {
public:
    explicit Editor(TDBGrid& grid) : TCustomEdit(&grid), grid_(grid)
    {
        SetBorderStyle(bsNone);
        SetParent(&grid);
    }

    void SetTextQuietly(const std::string& text)
    {
        TFlagScope scope(quiet_);
        SetText(text);
    }

    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_GETDLGCODE) {
            TCustomEdit::WndProc(m);
            m.Result |= DLGC_WANTALLKEYS;
            return;
        }
        TCustomEdit::WndProc(m);
    }

protected:
    void Change() override
    {
        if (!quiet_) grid_.editorChanged_ = true;
        TCustomEdit::Change();
    }
    void KeyDown(unsigned short& Key, TShiftState Shift) override
    {
        switch (Key) {
        case VK_RETURN:
            Key = 0;
            grid_.PostEditor();
            return;
        case VK_ESCAPE:
            Key = 0;
            grid_.CancelEditor();
            return;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            grid_.KeyDown(Key, Shift);
            Key = 0;
            return;
        default:
            TCustomEdit::KeyDown(Key, Shift);
        }
    }

private:
    TDBGrid& grid_;
    bool quiet_ = false;
};

void TDBGrid::GridLink::RecordChanged(TField* field)
{
    // A field changed by someone else shows in the editor unless the user is typing there.
    if (grid_.editorShown_ && !grid_.editorChanged_ && field && field == grid_.SelectedField())
        grid_.editor_->SetTextQuietly(field->Text());
    grid_.Invalidate();
}

// ---------------------------------------------------------------------------
TDBGrid::TDBGrid(TComponent* AOwner) : TCustomGrid(AOwner), link_(std::make_unique<GridLink>(*this))
{
    SetOptions((Options() & ~goRangeSelect) | goEditing);
    SetDefaultRowHeight(18);
    SetColCount(2);
    SetRowCount(2);
    SetColWidths(0, kIndicatorWidth);
}

TDBGrid::~TDBGrid() = default;

TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* value) { link_->SetDataSource(value); }

void TDBGrid::SetReadOnly(bool value)
{
    readOnly_ = value;
    link_->SetReadOnly(value);
    if (value) HideEditor();
}

TField* TDBGrid::Columns(int index) const
{
    return index >= 0 && index < ColumnCount() ? columns_[static_cast<std::size_t>(index)] : nullptr;
}

TField* TDBGrid::SelectedField() const { return Columns(Col() - 1); }

int TDBGrid::ActiveRow() const { return link_->ActiveRecord() + 1; }

TCustomEdit* TDBGrid::InplaceEditor() const { return editor_; }

bool TDBGrid::EditorMode() const { return editorShown_; }

void TDBGrid::LayoutColumns()
{
    columns_.clear();
    TDataSet* ds = link_->DataSet();
    if (link_->Active() && ds)
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i)->Visible()) columns_.push_back(ds->Fields(i));
    TFlagScope scope(syncing_);
    SetColCount(1 + std::max(1, ColumnCount()));
    // Columns as wide as their display width in digits, and their title.
    TBitmap scratch(1, 1);
    TCanvas& c = *scratch.Canvas();
    c.SetFont(*Font());
    const int digit = std::max(1, c.TextWidth("0"));
    for (int i = 0; i < ColumnCount(); ++i) {
        const TField* f = columns_[static_cast<std::size_t>(i)];
        const int width = std::max(f->DisplayWidth() * digit, c.TextWidth(f->DisplayLabel())) + 6;
        SetColWidths(i + 1, std::clamp(width, 24, 320));
    }
    SetColWidths(0, kIndicatorWidth);
}

void TDBGrid::Sync()
{
    TFlagScope scope(syncing_);
    TDataSet* ds = link_->DataSet();
    if (!link_->Active() || !ds) {
        HideEditor();
        SetRowCount(2);
        Invalidate();
        return;
    }
    // Every record is a row: the link's window spans the whole set.
    link_->SetBufferCount(std::max(1, ds->RecordCount()));
    SetRowCount(1 + std::max(1, link_->RecordCount()));
    SetRow(ActiveRow());
    PlaceEditor();
    Invalidate();
}

bool TDBGrid::SelectCell(int ACol, int ARow)
{
    if (syncing_ || !link_->Active()) return TCustomGrid::SelectCell(ACol, ARow);
    if (ACol != Col()) {
        // Another column: what was typed goes into the field, the record stays in edit mode.
        WriteEditor();
        HideEditor();
    }
    if (ARow != Row()) {
        // Moving posts a changed record first; a value the field refuses stops the move.
        link_->DataSet()->MoveBy(ARow - ActiveRow());
        if (ARow != ActiveRow()) return false;
    }
    return TCustomGrid::SelectCell(ACol, ARow);
}

void TDBGrid::SetEditorMode(bool value)
{
    if (!value) {
        HideEditor();
        return;
    }
    if (editorShown_ || !(Options() & goEditing) || readOnly_ || !link_->Active()) return;
    TField* field = SelectedField();
    if (!field || field->DataType() == ftBlob || !field->CanModify()) return;
    if (!link_->Edit()) return; // the source's AutoEdit decides
    field = SelectedField();    // editing an empty set appended a record and synced again
    if (!field) return;
    if (!editor_) editor_ = new Editor(*this);
    editorShown_ = true;
    editorChanged_ = false;
    editor_->SetTextQuietly(field->Text());
    PlaceEditor();
    editor_->Show();
    if (editor_->CanFocus()) editor_->SetFocus();
    editor_->SelectAll();
}

void TDBGrid::PlaceEditor()
{
    if (!editorShown_) return;
    TRect r = CellRect(Col(), Row());
    if (r.IsEmpty()) {
        editor_->SetBounds(-100, -100, 1, 1); // scrolled out of view: kept, but not shown over other cells
        return;
    }
    editor_->SetBounds(r.Left + 1, r.Top + 1, r.Width() - 1, r.Height() - 1);
}

void TDBGrid::HideEditor()
{
    if (!editorShown_) return;
    editorShown_ = false;
    if (editor_->Focused() && CanFocus()) SetFocus();
    editor_->Hide();
    Invalidate();
}

void TDBGrid::WriteEditor()
{
    if (!editorShown_ || !editorChanged_) return;
    TField* field = SelectedField();
    if (!field) return;
    field->SetText(editor_->Text()); // a refused value leaves the editor as it is
    editorChanged_ = false;
}

void TDBGrid::PostEditor()
{
    TDataSet* ds = link_->DataSet();
    if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) ds->Post();
    HideEditor();
}

void TDBGrid::CancelEditor()
{
    HideEditor();
    editorChanged_ = false;
    if (TDataSet* ds = link_->DataSet(); ds && (ds->State() == dsEdit || ds->State() == dsInsert)) ds->Cancel();
}

void TDBGrid::KeyDown(unsigned short& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_F2:
    case VK_RETURN:
        SetEditorMode(true);
        Key = 0;
        return;
    case VK_ESCAPE:
        CancelEditor();
        Key = 0;
        return;
    default:
        TCustomGrid::KeyDown(Key, Shift);
    }
}

void TDBGrid::KeyPress(char& Key)
{
    TCustomGrid::KeyPress(Key);
    const auto c = static_cast<unsigned char>(Key);
    if (c < 32 || c == 127) return;
    // Typing starts editing: the key replaces the cell's text.
    SetEditorMode(true);
    if (EditorMode()) {
        editor_->SetText("");
        editor_->Perform(WM_CHAR, c, 0);
    }
    Key = 0;
}

void TDBGrid::DblClick()
{
    TCustomGrid::DblClick();
    SetEditorMode(true);
}

void TDBGrid::ScrollStateChanged()
{
    TCustomGrid::ScrollStateChanged();
    PlaceEditor();
}

void TDBGrid::DrawIndicator(const TRect& r)
{
    TCanvas& c = *Canvas();
    const TColor colour = c.Font()->Color();
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    c.Pen()->SetStyle(psSolid);
    c.Pen()->SetWidth(1);
    c.Pen()->SetColor(colour);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(colour);
    const TDataSetState state = link_->DataSet() ? link_->DataSet()->State() : dsInactive;
    if (state == dsEdit) {
        // A caret bar with serifs.
        c.MoveTo(cx, cy - 5);
        c.LineTo(cx, cy + 6);
        c.MoveTo(cx - 2, cy - 5);
        c.LineTo(cx + 3, cy - 5);
        c.MoveTo(cx - 2, cy + 5);
        c.LineTo(cx + 3, cy + 5);
    } else if (state == dsInsert) {
        // A star of three strokes.
        c.MoveTo(cx - 3, cy);
        c.LineTo(cx + 4, cy);
        c.MoveTo(cx - 2, cy - 3);
        c.LineTo(cx + 3, cy + 4);
        c.MoveTo(cx - 2, cy + 3);
        c.LineTo(cx + 3, cy - 4);
    } else {
        const std::array<TPoint, 3> arrow{Point(cx - 2, cy - 4), Point(cx + 2, cy), Point(cx - 2, cy + 4)};
        c.Polygon(arrow);
    }
}

void TDBGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    TCanvas& c = *Canvas();
    if (DefaultDrawing() && link_->Active()) {
        std::string text;
        bool right = false;
        if (ARow == 0 && ACol > 0) {
            if (const TField* f = Columns(ACol - 1)) text = f->DisplayLabel();
        } else if (ACol == 0 && ARow > 0) {
            if (ARow == ActiveRow()) DrawIndicator(ARect);
        } else if (ARow > 0 && ARow - 1 < link_->RecordCount()) {
            if (const TField* f = Columns(ACol - 1)) {
                // The row's record is read through the link's window, the cursor stays.
                const int current = link_->ActiveRecord();
                link_->SetActiveRecord(ARow - 1);
                text = f->DisplayText();
                link_->SetActiveRecord(current);
                right = IsNumber(f);
            }
        }
        if (!text.empty()) {
            c.Brush()->SetStyle(bsClear);
            const int x = right ? ARect.Right - 3 - c.TextWidth(text) : ARect.Left + 2;
            c.TextRect(ARect, x, ARect.Top + 2, text);
            c.Brush()->SetStyle(bsSolid);
        }
    }
    TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

void TDBGrid::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        TCustomGrid::WndProc(m);
        m.Result |= DLGC_WANTCHARS;
        return;
    case CM_WANTSPECIALKEY:
        // Escape cancels the record's edit before it may close a dialog.
        if (m.WParam == VK_ESCAPE && link_->Editing()) {
            m.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TCustomGrid::WndProc(m);
}
