#include "vcl/grids.h"

#include "gfx/gdi.h"
#include "edges.h"
#include "internal.h"

#include <algorithm>

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::SetColCount(int value)
{
    value = std::max(1, value);
    colCount_ = value;
    colWidths_.resize(static_cast<std::size_t>(value), defaultColWidth_);
    fixedCols_ = std::min(fixedCols_, value - 1 < 0 ? 0 : value - 1);
    col_ = std::clamp(col_, fixedCols_, value - 1);
    leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, HorzScrollState().MaxPos()));
    RangesChanged();
}

void TCustomGrid::SetRowCount(int value)
{
    value = std::max(1, value);
    rowCount_ = value;
    rowHeights_.resize(static_cast<std::size_t>(value), defaultRowHeight_);
    fixedRows_ = std::min(fixedRows_, value - 1 < 0 ? 0 : value - 1);
    row_ = std::clamp(row_, fixedRows_, value - 1);
    topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, VertScrollState().MaxPos()));
    RangesChanged();
}

void TCustomGrid::SetFixedCols(int value)
{
    // At least one scrollable column stays, as the framework requires.
    if (value < 0 || value >= colCount_) throw EInvalidOperation("Fixed column count must be less than column count");
    // The current and first shown columns move to the first scrollable one.
    fixedCols_ = value;
    col_ = value;
    leftCol_ = value;
    RangesChanged();
}

void TCustomGrid::SetFixedRows(int value)
{
    if (value < 0 || value >= rowCount_) throw EInvalidOperation("Fixed row count must be less than row count");
    fixedRows_ = value;
    row_ = value;
    topRow_ = value;
    RangesChanged();
}

void TCustomGrid::SetDefaultColWidth(int value)
{
    defaultColWidth_ = std::max(0, value);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    RangesChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value)
{
    defaultRowHeight_ = std::max(0, value);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    RangesChanged();
}

int TCustomGrid::ColWidths(int col) const
{
    if (col < 0 || col >= colCount_) throw EListError("Grid index out of range");
    return col < static_cast<int>(colWidths_.size()) ? colWidths_[static_cast<std::size_t>(col)] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= colCount_) throw EListError("Grid index out of range");
    colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
    colWidths_[static_cast<std::size_t>(col)] = std::max(0, width);
    RangesChanged();
}

int TCustomGrid::RowHeights(int row) const
{
    if (row < 0 || row >= rowCount_) throw EListError("Grid index out of range");
    return row < static_cast<int>(rowHeights_.size()) ? rowHeights_[static_cast<std::size_t>(row)] : defaultRowHeight_;
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= rowCount_) throw EListError("Grid index out of range");
    rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    rowHeights_[static_cast<std::size_t>(row)] = std::max(0, height);
    RangesChanged();
}

void TCustomGrid::SetGridLineWidth(int value)
{
    gridLineWidth_ = std::max(0, value);
    RangesChanged();
}

void TCustomGrid::SetOptions(TGridOptions value)
{
    options_ = value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor value)
{
    fixedColor_ = value;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle value)
{
    scrollBars_ = value;
    RangesChanged();
}

void TCustomGrid::SetBorderStyle(TFormBorderStyle value)
{
    borderStyle_ = value;
    RangesChanged();
}

void TCustomGrid::SetBorderWidth(int value)
{
    borderWidth_ = std::max(0, value);
    RangesChanged();
}

void TCustomGrid::RangesChanged()
{
    Invalidate();
    ScrollStateChanged();
}

TRect TCustomGrid::InnerRect() const
{
    TRect r = ClientRect();
    const int inset = (borderStyle_ == bsSingle ? 2 : 0) + borderWidth_;
    InflateRect(r, -inset, -inset);
    return r;
}

int TCustomGrid::FixedHeight() const
{
    int h = 0;
    for (int r = 0; r < fixedRows_; ++r) h += RowHeights(r) + gridLineWidth_;
    return h;
}

int TCustomGrid::FixedWidth() const
{
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c) w += ColWidths(c) + gridLineWidth_;
    return w;
}

int TCustomGrid::VisibleRowCount() const
{
    TRect r = CellsRect();
    int avail = r.Height() - FixedHeight(), n = 0;
    for (int row = topRow_; row < rowCount_; ++row) {
        avail -= RowHeights(row) + gridLineWidth_;
        if (avail < 0) break;
        ++n;
    }
    return n;
}

int TCustomGrid::VisibleColCount() const
{
    TRect r = CellsRect();
    int avail = r.Width() - FixedWidth(), n = 0;
    for (int c = leftCol_; c < colCount_; ++c) {
        avail -= ColWidths(c) + gridLineWidth_;
        if (avail < 0) break;
        ++n;
    }
    return n;
}

TScrollState TCustomGrid::VertStateFor(int height) const
{
    // In rows: the range of the top row, a page being what fits below the fixed rows.
    TScrollState s;
    s.Min = fixedRows_;
    s.Max = rowCount_ - 1;
    int avail = height - FixedHeight(), page = 0;
    for (int row = rowCount_ - 1; row >= fixedRows_; --row) {
        avail -= RowHeights(row) + gridLineWidth_;
        if (avail < 0) break;
        ++page;
    }
    s.Page = std::max(1, page);
    s.Pos = topRow_;
    return s;
}

TScrollState TCustomGrid::HorzStateFor(int width) const
{
    // In columns, the same way: a page is what fits right of the fixed columns.
    TScrollState s;
    s.Min = fixedCols_;
    s.Max = colCount_ - 1;
    int avail = width - FixedWidth(), page = 0;
    for (int col = colCount_ - 1; col >= fixedCols_; --col) {
        avail -= ColWidths(col) + gridLineWidth_;
        if (avail < 0) break;
        ++page;
    }
    s.Page = std::max(1, page);
    s.Pos = leftCol_;
    return s;
}

// A bar shows when its direction is allowed and needed; each bar takes room
// from the other direction, so a second look settles what the first changed.
TCustomGrid::ShownBars TCustomGrid::Bars() const
{
    const TRect r = InnerRect();
    ShownBars b;
    for (int pass = 0; pass < 3; ++pass) {
        ShownBars next;
        next.vertical = HasVertBar(scrollBars_) && VertStateFor(r.Height() - (b.horizontal ? ScrollBarSize : 0)).Needed();
        next.horizontal = HasHorzBar(scrollBars_) && HorzStateFor(r.Width() - (next.vertical ? ScrollBarSize : 0)).Needed();
        if (next.vertical == b.vertical && next.horizontal == b.horizontal) break;
        b = next;
    }
    return b;
}

TScrollState TCustomGrid::VertScrollState() const { return VertStateFor(CellsRect().Height()); }
TScrollState TCustomGrid::HorzScrollState() const { return HorzStateFor(CellsRect().Width()); }

TRect TCustomGrid::ScrollBarRect(TScrollBarKind kind) const
{
    const ShownBars b = Bars();
    TRect r = InnerRect();
    // A right-to-left grid keeps its vertical bar on the left.
    const bool left = UseRightToLeftScrollBar();
    const int vx = left ? r.Left : r.Right - ScrollBarSize;
    if (kind == sbVertical)
        return b.vertical ? Rect(vx, r.Top, vx + ScrollBarSize, r.Bottom - (b.horizontal ? ScrollBarSize : 0)) : TRect{};
    if (b.vertical && left) r.Left += ScrollBarSize;
    else if (b.vertical) r.Right -= ScrollBarSize;
    return b.horizontal ? Rect(r.Left, r.Bottom - ScrollBarSize, r.Right, r.Bottom) : TRect{};
}

TRect TCustomGrid::CellsRect() const
{
    const ShownBars b = Bars();
    TRect r = InnerRect();
    if (b.vertical) {
        if (UseRightToLeftScrollBar()) r.Left = std::min(r.Right, r.Left + ScrollBarSize);
        else r.Right = std::max(r.Left, r.Right - ScrollBarSize);
    }
    if (b.horizontal) r.Bottom = std::max(r.Top, r.Bottom - ScrollBarSize);
    return r;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= colCount_ || ARow < 0 || ARow >= rowCount_) return {};
    if ((ACol >= fixedCols_ && ACol < leftCol_) || (ARow >= fixedRows_ && ARow < topRow_)) return {};
    TRect area = CellsRect();
    int x = area.Left, y = area.Top;
    for (int c = 0; c < ACol; ++c)
        if (c < fixedCols_ || c >= leftCol_) x += ColWidths(c) + gridLineWidth_;
    for (int r = 0; r < ARow; ++r)
        if (r < fixedRows_ || r >= topRow_) y += RowHeights(r) + gridLineWidth_;
    TRect cell = Rect(x, y, x + ColWidths(ACol), y + RowHeights(ARow));
    if (cell.Left >= area.Right || cell.Top >= area.Bottom) return {};
    return cell;
}

bool TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    ACol = ARow = -1;
    TRect area = CellsRect();
    if (!PtInRect(area, Point(X, Y))) return false;
    int x = area.Left;
    for (int c = 0; c < colCount_ && x < area.Right; ++c) {
        if (c >= fixedCols_ && c < leftCol_) continue;
        int w = ColWidths(c) + gridLineWidth_;
        if (X < x + w) {
            ACol = c;
            break;
        }
        x += w;
    }
    int y = area.Top;
    for (int r = 0; r < rowCount_ && y < area.Bottom; ++r) {
        if (r >= fixedRows_ && r < topRow_) continue;
        int h = RowHeights(r) + gridLineWidth_;
        if (Y < y + h) {
            ARow = r;
            break;
        }
        y += h;
    }
    if (ACol < 0 || ARow < 0) {
        ACol = ARow = -1;
        return false;
    }
    return true;
}

void TCustomGrid::SetTopRow(int value)
{
    value = std::clamp(value, fixedRows_, std::max(fixedRows_, VertScrollState().MaxPos()));
    if (value == topRow_) return;
    topRow_ = value;
    RangesChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::SetLeftCol(int value)
{
    value = std::clamp(value, fixedCols_, std::max(fixedCols_, HorzScrollState().MaxPos()));
    if (value == leftCol_) return;
    leftCol_ = value;
    RangesChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

bool TCustomGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TCustomGrid::MoveCurrent(int ACol, int ARow)
{
    ACol = std::clamp(ACol, fixedCols_, colCount_ - 1);
    ARow = std::clamp(ARow, fixedRows_, rowCount_ - 1);
    if (ACol == col_ && ARow == row_) return;
    if (!SelectCell(ACol, ARow)) return;
    col_ = ACol;
    row_ = ARow;
    // Keep the current row in view.
    if (row_ < topRow_) SetTopRow(row_);
    else if (row_ >= topRow_ + std::max(1, VisibleRowCount())) SetTopRow(row_ - std::max(1, VisibleRowCount()) + 1);
    if (col_ < leftCol_) SetLeftCol(col_);
    else if (col_ >= leftCol_ + std::max(1, VisibleColCount())) SetLeftCol(col_ - std::max(1, VisibleColCount()) + 1);
    Invalidate();
}

void TCustomGrid::SetCol(int value) { MoveCurrent(value, row_); }
void TCustomGrid::SetRow(int value) { MoveCurrent(col_, value); }
void TCustomGrid::FocusCell(int ACol, int ARow) { MoveCurrent(ACol, ARow); }

void TCustomGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TCustomGrid::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    if (borderStyle_ == bsSingle) SunkenEdge(c, ClientRect());
    TRect area = CellsRect();
    bool focused = Focused();
    SavedDC dc(c);
    c.IntersectClipRect(area);
    for (int row = 0; row < rowCount_; ++row) {
        if (row >= fixedRows_ && row < topRow_) continue;
        for (int col = 0; col < colCount_; ++col) {
            TRect r = CellRect(col, row);
            if (r.IsEmpty()) continue;
            bool fixed = col < fixedCols_ || row < fixedRows_;
            TGridDrawState st = fixed ? TGridDrawState(gdFixed) : 0u;
            bool current = row == row_ && (col == col_ || (options_ & goRowSelect));
            if (!fixed && current) {
                st |= gdSelected;
                if (focused && col == col_) st |= gdFocused;
            }
            // Grid lines sit right of and below each cell.
            bool lines = fixed ? true : true;
            if (gridLineWidth_ > 0 && lines) {
                bool vert = (options_ & (fixed ? goFixedVertLine : goVertLine)) != 0;
                bool horz = (options_ & (fixed ? goFixedHorzLine : goHorzLine)) != 0;
                c.Brush()->SetStyle(bsSolid);
                c.Brush()->SetColor(fixed ? clBtnShadow : clSilver);
                if (vert) c.FillRect(Rect(r.Right, r.Top, r.Right + gridLineWidth_, r.Bottom + gridLineWidth_));
                if (horz) c.FillRect(Rect(r.Left, r.Bottom, r.Right + gridLineWidth_, r.Bottom + gridLineWidth_));
            }
            SavedDC cdc(c);
            c.IntersectClipRect(r);
            c.SetFont(*Font());
            c.Brush()->SetStyle(bsSolid);
            if (defaultDrawing_) {
                bool highlight = (st & gdSelected) && (!(st & gdFocused) || (options_ & goDrawFocusSelected) ||
                                                       (options_ & goRowSelect));
                c.Brush()->SetColor(fixed ? fixedColor_ : highlight ? clHighlight : Color());
                c.Font()->SetColor(highlight ? clHighlightText : Font()->Color());
                c.FillRect(r);
                if (fixed) {
                    // Raised look of a fixed cell.
                    c.Pen()->SetColor(clBtnHighlight);
                    c.MoveTo(r.Left, r.Bottom - 1);
                    c.LineTo(r.Left, r.Top);
                    c.LineTo(r.Right, r.Top);
                }
            } else {
                c.Brush()->SetColor(fixed ? fixedColor_ : Color());
            }
            DrawCell(col, row, r, st);
            if (defaultDrawing_ && (st & gdFocused) && !(options_ & goRowSelect)) c.DrawFocusRect(r);
        }
    }
    c.RestoreDC(-1);
    c.SaveDC();
    if (focused && (options_ & goRowSelect) && defaultDrawing_) {
        TRect first = CellRect(std::max(fixedCols_, leftCol_), row_);
        if (!first.IsEmpty()) c.DrawFocusRect(Rect(first.Left, first.Top, area.Right, first.Bottom));
    }
    DrawScrollBars(c, ScrollBarRect(sbVertical), VertScrollState(), ScrollBarRect(sbHorizontal), HorzScrollState(),
                   Enabled());
}

void TCustomGrid::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    int page = std::max(1, VisibleRowCount());
    switch (Key) {
    case VK_UP: MoveCurrent(col_, row_ - 1); break;
    case VK_DOWN: MoveCurrent(col_, row_ + 1); break;
    case VK_LEFT: if (!(options_ & goRowSelect)) MoveCurrent(col_ - 1, row_); break;
    case VK_RIGHT: if (!(options_ & goRowSelect)) MoveCurrent(col_ + 1, row_); break;
    case VK_PRIOR: MoveCurrent(col_, row_ - page); break;
    case VK_NEXT: MoveCurrent(col_, row_ + page); break;
    case VK_HOME: MoveCurrent((Shift & ssCtrl) ? col_ : fixedCols_, (Shift & ssCtrl) ? fixedRows_ : row_); break;
    case VK_END: MoveCurrent((Shift & ssCtrl) ? col_ : colCount_ - 1, (Shift & ssCtrl) ? rowCount_ - 1 : row_); break;
    default: break;
    }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus() && !Focused()) SetFocus();
    int code;
    for (TScrollBarMouse* bar : {&vbar_, &hbar_}) {
        const bool v = bar->Kind() == sbVertical;
        if (Button == mbLeft &&
            bar->Press(ScrollBarRect(bar->Kind()), v ? VertScrollState() : HorzScrollState(), Point(X, Y), code)) {
            if (code != SB_ENDSCROLL) Perform(v ? WM_VSCROLL : WM_HSCROLL, code, 0);
            return;
        }
    }
    if (Button == mbLeft) {
        int c, r;
        if (MouseToCell(X, Y, c, r) && c >= fixedCols_ && r >= fixedRows_) {
            MoveCurrent(c, r);
            selecting_ = true;
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (vbar_.Dragging()) {
        SetTopRow(vbar_.DragPos(ScrollBarRect(sbVertical), VertScrollState(), Point(X, Y)));
        return;
    }
    if (hbar_.Dragging()) {
        SetLeftCol(hbar_.DragPos(ScrollBarRect(sbHorizontal), HorzScrollState(), Point(X, Y)));
        return;
    }
    if (selecting_ && (Shift & ssLeft)) {
        int c, r;
        if (MouseToCell(X, Y, c, r) && c >= fixedCols_ && r >= fixedRows_) MoveCurrent(c, r);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        selecting_ = false;
        // Both bars let go of the mouse, not only the first that held it.
        const bool vertical = vbar_.Release(), horizontal = hbar_.Release();
        if (vertical || horizontal) return;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    MoveCurrent(col_, row_ + (WheelDelta > 0 ? -1 : 1));
    return true;
}

void TCustomGrid::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_GETSCROLLBAR:
        if (m.WParam == SB_VERT) AnswerScrollBarQuery(m, ScrollBarRect(sbVertical), VertScrollState());
        else AnswerScrollBarQuery(m, ScrollBarRect(sbHorizontal), HorzScrollState());
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | ((options_ & goTabs) ? DLGC_WANTTAB : 0);
        return;
    case WM_VSCROLL:
        SetTopRow(ApplyScrollMessage(VertScrollState(), m.WParam));
        return;
    case WM_HSCROLL:
        SetLeftCol(ApplyScrollMessage(HorzScrollState(), m.WParam));
        return;
    case WM_SIZE:
        TCustomControl::WndProc(m);
        ScrollStateChanged();
        return;
    }
    TCustomControl::WndProc(m);
}

// --- string grid ------------------------------------------------------------------
TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { Fit(); }
TStringGrid::~TStringGrid() = default;

void TStringGrid::Fit()
{
    cells_.resize(static_cast<std::size_t>(RowCount()));
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(ColCount()));
}

void TStringGrid::SetColCount(int value)
{
    TDrawGrid::SetColCount(value);
    Fit();
}

void TStringGrid::SetRowCount(int value)
{
    TDrawGrid::SetRowCount(value);
    Fit();
}

std::string TStringGrid::Cells(int ACol, int ARow) const
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return {};
    return cells_[static_cast<std::size_t>(ARow)][static_cast<std::size_t>(ACol)].text;
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& value)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) throw EListError("Grid index out of range");
    cells_[static_cast<std::size_t>(ARow)][static_cast<std::size_t>(ACol)].text = value;
    Invalidate();
}

TObject* TStringGrid::Objects(int ACol, int ARow) const
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return nullptr;
    return cells_[static_cast<std::size_t>(ARow)][static_cast<std::size_t>(ACol)].object;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* value)
{
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) throw EListError("Grid index out of range");
    cells_[static_cast<std::size_t>(ARow)][static_cast<std::size_t>(ACol)].object = value;
}

void TStringGrid::GetRowValues(int ARow, TStrings& out) const
{
    out.Clear();
    for (int c = 0; c < ColCount(); ++c) out.Add(Cells(c, ARow));
}

void TStringGrid::SetRowValues(int ARow, const TStrings& values)
{
    for (int c = 0; c < ColCount() && c < values.Count(); ++c) SetCells(c, ARow, values.Get(c));
}

void TStringGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    if (DefaultDrawing()) {
        TCanvas& c = *Canvas();
        c.Brush()->SetStyle(bsClear);
        c.TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
        c.Brush()->SetStyle(bsSolid);
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}
