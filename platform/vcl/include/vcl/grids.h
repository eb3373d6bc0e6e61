#pragma once
// Self-drawn grids: rows and columns of cells with fixed rows/columns, column
// widths, a current cell, scrolling and OnDrawCell with the cell's state.
#include "rtl/classes.h"
#include "vcl/forms.h"
#include "vcl/scrollstate.h"

#include <functional>
#include <memory>
#include <vector>

using TGridDrawState = unsigned;
enum : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

using TGridOptions = unsigned;
enum : unsigned {
    goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2, goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5, goRowSizing = 1u << 6, goColSizing = 1u << 7,
    goRowMoving = 1u << 8, goColMoving = 1u << 9, goEditing = 1u << 10, goTabs = 1u << 11,
    goRowSelect = 1u << 12, goAlwaysShowEditor = 1u << 13, goThumbTracking = 1u << 14,
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int ColCount() const { return colCount_; }
    virtual void SetColCount(int value);
    int RowCount() const { return rowCount_; }
    virtual void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    // Pixels between the border and the cells.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);

    // The current cell.
    int Col() const { return col_; }
    void SetCol(int value);
    int Row() const { return row_; }
    void SetRow(int value);
    void FocusCell(int ACol, int ARow);
    // First scrollable row and column shown.
    int TopRow() const { return topRow_; }
    void SetTopRow(int value);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int value);
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // The cell at a client point; false (and -1) outside the cells.
    bool MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    TRect CellRect(int ACol, int ARow) const; // empty when the cell is not shown
    // Scrolling in rows and columns, as the grid's own scroll bars report it.
    TScrollState VertScrollState() const;
    TScrollState HorzScrollState() const;
    TCanvas* Canvas() { return TCustomControl::Canvas(); }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;

    void WndProc(TMessage& Message) override;

protected:
    virtual void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState);
    virtual bool SelectCell(int ACol, int ARow);
    void Paint() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    // The rows, columns, sizes or scroll position changed: the scroll ranges may differ.
    virtual void ScrollStateChanged() {}
    TRect InnerRect() const;
    TRect CellsRect() const;    // inner rect without the scroll bars

private:
    struct ShownBars {
        bool vertical = false;
        bool horizontal = false;
    };
    ShownBars Bars() const;
    TRect ScrollBarRect(TScrollBarKind kind) const;
    TScrollState VertStateFor(int height) const;
    TScrollState HorzStateFor(int width) const;
    int FixedHeight() const;
    int FixedWidth() const;
    void MoveCurrent(int ACol, int ARow);
    void RangesChanged();      // repaint and tell ScrollStateChanged
    int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24, gridLineWidth_ = 1;
    std::vector<int> colWidths_, rowHeights_;
    TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor fixedColor_ = clBtnFace;
    bool defaultDrawing_ = true;
    TScrollStyle scrollBars_ = ssBoth;
    TFormBorderStyle borderStyle_ = bsSingle;
    int borderWidth_ = 0;
    int col_ = 1, row_ = 1, topRow_ = 1, leftCol_ = 1;
    bool selecting_ = false;
    TScrollBarMouse vbar_{sbVertical};
    TScrollBarMouse hbar_{sbHorizontal};
};

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
};

class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    std::string Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const std::string& value);
    TObject* Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* value);
    // One row's cells as a list (a copy), and setting a row from one.
    void GetRowValues(int ARow, TStrings& out) const;
    void SetRowValues(int ARow, const TStrings& values);
    void SetColCount(int value) override;
    void SetRowCount(int value) override;

protected:
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;

private:
    struct Cell {
        std::string text;
        TObject* object = nullptr;
    };
    void Fit();
    std::vector<std::vector<Cell>> cells_; // [row][col]
};
