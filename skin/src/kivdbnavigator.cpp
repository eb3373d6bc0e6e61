#include "skin/kivdbctrls.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"

#include "vcl/application.h"
#include "vcl/messages.h"

#include <algorithm>

namespace {

constexpr int kRepeatPause = 400;  // before the first repeat
constexpr int kRepeatPeriod = 100; // between repeats
constexpr int kMinButton = 8;      // pixels every visible button keeps at least

const char* const kHints[kivNavButtonCount] = {SFirstRecord, SPriorRecord, SNextRecord, SLastRecord, SInsertRecord,
                                               SDeleteRecord, SEditRecord, SPostEdit, SCancelEdit, SRefreshRecord};

bool InEditMode(const TDataSet* ds) { return ds && (ds->State() == dsEdit || ds->State() == dsInsert); }

} // namespace

// --- buttons ----------------------------------------------------------------------------
TkivNavButton::TkivNavButton(TkivDBNavigator& navigator, TkivNavigateBtn index)
    : TkivButton(&navigator), navigator_(navigator), index_(index)
{
    SetTabStop(false);
    SetSpacing(0); // the glyph alone, centred
    // Interval 0 never repeats.
    SetMouseContinuouslyDownInterval(AllowTimer() ? kRepeatPause : 0);
    SetHint(kHints[index]);
    TBitmap strip, glyph;
    LoadBitmapResource("DBNAV_BUTTON", strip);
    SpitBitmap(&strip, &glyph, kivNavButtonCount, index + 1);
    SetGlyph(glyph);
    OnClick = [this](TObject*) { navigator_.BtnClick(index_); };
}

void TkivNavButton::RepeatTick()
{
    SetRepeatPeriod(kRepeatPeriod);
    if (IsMouseDown()) navigator_.BtnClick(index_);
}

// --- the navigator's link -----------------------------------------------------------------
class TkivDBNavigator::NavLink : public TDataLink {
public:
    explicit NavLink(TkivDBNavigator& navigator) : navigator_(navigator) {}

protected:
    void ActiveChanged() override { navigator_.ActiveChanged(); }
    void DataSetChanged() override { navigator_.DataChanged(); }
    void EditingChanged() override { navigator_.EditingChanged(); }

private:
    TkivDBNavigator& navigator_;
};

// --- the navigator --------------------------------------------------------------------------
TkivDBNavigator::TkivDBNavigator(TComponent* AOwner) : TCustomPanel(AOwner), link_(std::make_unique<NavLink>(*this))
{
    SetControlStyle(ControlStyle() & ~csAcceptsControls);
    SetBevelOuter(bvNone);
    SetParentColor(true);
    SetCaption("");
    uiStyle_ = GetKIVFormStyle(AOwner);
    for (int i = 0; i < kivNavButtonCount; ++i) {
        auto* b = new TkivNavButton(*this, static_cast<TkivNavigateBtn>(i));
        b->SetParent(this);
        buttons_[static_cast<std::size_t>(i)] = b;
    }
    SetUIStyle(uiStyle_);
    SetBounds(Left(), Top(), 250, 30);
    ActiveChanged();
}

TkivDBNavigator::~TkivDBNavigator() = default;

TDataSource* TkivDBNavigator::DataSource() const { return link_->DataSource(); }

void TkivDBNavigator::SetDataSource(TDataSource* value)
{
    link_->SetDataSource(value);
    ActiveChanged();
}

void TkivDBNavigator::SetVisibleButtons(unsigned value)
{
    visibleButtons_ = value & AllButtons;
    for (int i = 0; i < kivNavButtonCount; ++i) buttons_[static_cast<std::size_t>(i)]->SetVisible(visibleButtons_ & (1u << i));
    SetSize();
}

void TkivDBNavigator::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivDBNavigator::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 25));
    ContainerApplyUIStyle(this, value, fileTheme_);
    Invalidate();
}

void TkivDBNavigator::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivDBNavigator::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivDBNavigator::CalcMinSize(int& W, int& H) const
{
    const int visible = std::max(1, std::popcount(visibleButtons_));
    W = std::max(W, visible * kMinButton);
    H = std::max(H, kMinButton);
}

void TkivDBNavigator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    CalcMinSize(AWidth, AHeight);
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    SetSize();
}

void TkivDBNavigator::SetSize()
{
    if (!buttons_[0]) return; // still being made
    const int count = std::popcount(visibleButtons_);
    const int w = count ? Width() / count : Width();
    int remainder = count ? Width() % count : 0;
    int x = 0;
    for (int i = 0; i < kivNavButtonCount; ++i) {
        TkivNavButton* b = buttons_[static_cast<std::size_t>(i)];
        if (!(visibleButtons_ & (1u << i))) {
            b->SetBounds(Width() + 1, 0, w, Height());
            continue;
        }
        const int width = w + (remainder > 0 ? 1 : 0);
        if (remainder > 0) --remainder;
        b->SetBounds(x, 0, width, Height());
        x += width;
    }
}

void TkivDBNavigator::SetEnabled(bool value)
{
    TCustomPanel::SetEnabled(value);
    ActiveChanged();
}

void TkivDBNavigator::ActiveChanged()
{
    if (!(Enabled() && link_->Active())) {
        for (TkivNavButton* b : buttons_) b->SetEnabled(false);
        return;
    }
    DataChanged();
    EditingChanged();
}

void TkivDBNavigator::DataChanged()
{
    const TDataSet* ds = link_->DataSet();
    const bool active = Enabled() && link_->Active() && ds;
    const bool up = active && !ds->Bof(), down = active && !ds->Eof();
    buttons_[nbFirst]->SetEnabled(up);
    buttons_[nbPrior]->SetEnabled(up);
    buttons_[nbNext]->SetEnabled(down);
    buttons_[nbLast]->SetEnabled(down);
    buttons_[nbDelete]->SetEnabled(active && ds->CanModify() && !(ds->Bof() && ds->Eof()));
    buttons_[nbRefresh]->SetEnabled(active);
}

void TkivDBNavigator::EditingChanged()
{
    const TDataSet* ds = link_->DataSet();
    const bool canModify = Enabled() && link_->Active() && ds && ds->CanModify();
    const bool editing = InEditMode(ds);
    buttons_[nbInsert]->SetEnabled(canModify);
    buttons_[nbEdit]->SetEnabled(canModify && !editing);
    buttons_[nbPost]->SetEnabled(canModify && editing);
    buttons_[nbCancel]->SetEnabled(canModify && editing);
}

void TkivDBNavigator::BtnClick(TkivNavigateBtn index)
{
    TDataSet* ds = link_->DataSet();
    if (!ds || !link_->Active()) return;
    switch (index) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: ds->Refresh(); break;
    case nbDelete:
        if (!confirmDelete_ ||
            Application->MessageBox(SDeleteRecordQuestion, SConfirmCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
            ds->Delete();
        break;
    }
}

void TkivDBNavigator::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomPanel::KeyDown(Key, Shift);
    const TkivNavigateBtn targets[] = {nbPrior, nbNext, nbFirst, nbLast};
    int which = -1;
    switch (Key) {
    case VK_LEFT:
    case VK_UP: which = 0; break;
    case VK_RIGHT:
    case VK_DOWN: which = 1; break;
    case VK_HOME: which = 2; break;
    case VK_END: which = 3; break;
    default: return;
    }
    if (buttons_[targets[which]]->Enabled()) BtnClick(targets[which]);
    Key = 0;
}

void TkivDBNavigator::WndProc(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_WANTARROWS;
        return;
    }
    TCustomPanel::WndProc(m);
}
