#include "vcl/dbctrls.h"

#include "edges.h"
#include "gfx/canvas.h"
#include "vcl/application.h"
#include "vcl/messages.h"

#include <algorithm>

namespace {

// Keys that change an edit's text: printable ones (each byte of a UTF-8
// character included) and Backspace; Enter too where it makes a new line.
bool IsEditingKey(char key, bool multiLine)
{
    const auto c = static_cast<unsigned char>(key);
    return c >= 32 || c == 8 || (multiLine && c == '\r');
}

} // namespace

bool UpdateRecordOnExit(TWinControl& control, TDataLink& link)
{
    try {
        link.UpdateRecord();
        return true;
    } catch (...) {
        if (control.CanFocus()) control.SetFocus();
        if (Application) Application->HandleException(&control);
        return false;
    }
}

// --- every control of one field ---------------------------------------------------
template class TDBFieldControl<TCustomEdit>;
template class TDBFieldControl<TCustomMemo>;
template class TDBFieldControl<TCustomControl>;
template class TDBFieldControl<TCustomListBox>;
template class TDBFieldControl<TCustomComboBox>;

// --- edit and memo ---------------------------------------------------------------
template <class Base>
TDBTextControl<Base>::TDBTextControl(TComponent* AOwner) : TDBFieldControl<Base>(AOwner)
{
    Base::SetReadOnly(true);
}

template <class Base>
void TDBTextControl<Base>::DataChange()
{
    TField* field = this->Field();
    this->SetMaxLength(field && field->DataType() == ftString ? field->Size() : 0);
    this->SetText(field ? field->Text() : std::string());
}

template <class Base>
void TDBTextControl<Base>::EditingChange()
{
    Base::SetReadOnly(!this->DataLink()->Editing());
}

template <class Base>
void TDBTextControl<Base>::UpdateData()
{
    this->Field()->SetText(this->Text());
}

template <class Base>
void TDBTextControl<Base>::Change()
{
    if (!this->showingData_) this->DataLink()->Modified();
    Base::Change();
}

template <class Base>
void TDBTextControl<Base>::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (Key == VK_DELETE || (Key == VK_INSERT && (Shift & ssShift))) this->DataLink()->Edit();
    Base::KeyDown(Key, Shift);
}

template <class Base>
void TDBTextControl<Base>::KeyPress(char& Key)
{
    Base::KeyPress(Key);
    if (Key == 27) {
        this->DataLink()->Reset();
        this->SelectAll();
        Key = 0;
    } else if (IsEditingKey(Key, this->MultiLine()) && !this->DataLink()->Edit()) {
        Key = 0;
    }
}

template <class Base>
void TDBTextControl<Base>::DoExit()
{
    if (!UpdateRecordOnExit(*this, *this->DataLink())) {
        this->SelectAll();
        return;
    }
    Base::DoExit();
}

template <class Base>
void TDBTextControl<Base>::WndProc(TMessage& m)
{
    if (m.Msg == WM_CUT || m.Msg == WM_PASTE) this->DataLink()->Edit();
    TDBFieldControl<Base>::WndProc(m);
}

template class TDBTextControl<TCustomEdit>;
template class TDBTextControl<TCustomMemo>;

// --- picture -----------------------------------------------------------------------
TDBImage::TDBImage(TComponent* AOwner) : TDBFieldControl(AOwner), picture_(std::make_unique<TPicture>())
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(Left(), Top(), 105, 105);
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TDBImage::~TDBImage() { picture_->OnChange = nullptr; }

void TDBImage::SetStretch(bool value)
{
    stretch_ = value;
    Invalidate();
}

void TDBImage::SetCenter(bool value)
{
    center_ = value;
    Invalidate();
}

void TDBImage::SetBorderStyle(TFormBorderStyle value)
{
    borderStyle_ = value;
    Invalidate();
}

void TDBImage::DataChange()
{
    TField* field = Field();
    const std::string bytes = field ? field->AsString() : std::string();
    // The first bytes tell the kind: "BM" a bitmap, FF D8 a JPEG picture.
    const char* kind = nullptr;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') kind = "bmp";
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8)
        kind = "jpg";
    std::unique_ptr<TGraphic> graphic = kind ? TPicture::CreateGraphic(kind) : nullptr;
    if (graphic) {
        try {
            TMemoryStream stream;
            stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            stream.SetPosition(0);
            graphic->LoadFromStream(stream);
        } catch (const Exception&) {
            graphic.reset(); // damaged bytes: no picture rather than a failing record
        }
    }
    picture_->SetGraphic(graphic.get());
    Invalidate();
}

void TDBImage::PictureChanged()
{
    Invalidate();
    if (showingData_) return;
    // A picture assigned from code is stored when the link may edit; otherwise the field's comes back.
    if (DataLink()->Edit()) DataLink()->Modified();
    else DataLink()->Reset();
}

void TDBImage::UpdateData()
{
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty()) {
        Field()->Clear();
        return;
    }
    TMemoryStream stream;
    graphic->SaveToStream(stream);
    Field()->SetAsString(std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size())));
}

void TDBImage::KeyPress(char& Key)
{
    TDBFieldControl::KeyPress(Key);
    if (Key == 27) {
        DataLink()->Reset();
        Key = 0;
    }
}

TRect TDBImage::InnerRect() const
{
    TRect r = ClientRect();
    if (borderStyle_ == bsSingle) InflateRect(r, -2, -2);
    return r;
}

TRect TDBImage::PictureRect() const
{
    const TRect inner = InnerRect();
    const int w = picture_->Width(), h = picture_->Height();
    if (w <= 0 || h <= 0) return {};
    if (stretch_) return inner;
    if (!center_) return Bounds(inner.Left, inner.Top, w, h);
    return Bounds(inner.Left + (inner.Width() - w) / 2, inner.Top + (inner.Height() - h) / 2, w, h);
}

void TDBImage::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    if (TGraphic* graphic = picture_->Graphic(); graphic && !graphic->Empty()) {
        c.SaveDC();
        c.IntersectClipRect(InnerRect());
        if (stretch_) c.StretchDraw(PictureRect(), *graphic);
        else c.Draw(PictureRect().Left, PictureRect().Top, *graphic);
        c.RestoreDC(-1);
    }
    if (borderStyle_ == bsSingle) SunkenEdge(c, ClientRect());
    if (Focused()) {
        TRect focus = InnerRect();
        c.DrawFocusRect(focus);
    }
}

// --- lists and combo boxes ----------------------------------------------------------
template <class Base>
void TDBChoiceControl<Base>::KeyPress(char& Key)
{
    TDBFieldControl<Base>::KeyPress(Key);
    if (Key == 27) {
        this->DataLink()->Reset();
        Key = 0;
    }
}

template <class Base>
void TDBChoiceControl<Base>::UserChose()
{
    if (this->showingData_) return;
    const int chosen = this->ItemIndex();
    if (!this->DataLink()->Edit()) {
        this->DataLink()->Reset();
        return;
    }
    // Editing an empty set appends a record, which shows its empty value: the choice stands.
    if (this->ItemIndex() != chosen) this->ShowingData([&] { this->SetItemIndex(chosen); });
    this->DataLink()->Modified();
}

template class TDBChoiceControl<TCustomListBox>;
template class TDBChoiceControl<TCustomComboBox>;

void TDBListBox::DataChange()
{
    SetItemIndex(Field() ? Items()->IndexOf(Field()->Text()) : -1);
}

void TDBListBox::UpdateData()
{
    Field()->SetText(ItemIndex() >= 0 ? Items()->Get(ItemIndex()) : std::string());
}

void TDBListBox::Click()
{
    UserChose();
    TDBChoiceControl::Click();
}

void TDBComboBox::DataChange()
{
    SetText(Field() ? Field()->Text() : std::string());
}

void TDBComboBox::UpdateData() { Field()->SetText(Text()); }

void TDBComboBox::Change()
{
    if (!showingData_) {
        // The typed text survives an edit that appends a record.
        const std::string text = Text();
        if (DataLink()->Edit()) {
            if (Text() != text) ShowingData([&] { SetText(text); });
            DataLink()->Modified();
        } else {
            DataLink()->Reset();
        }
    }
    TDBChoiceControl::Change();
}
