// Window animation for the skinned library: what our backends can do with a
// form (move it, clip it, fade it) stands in for the system's animated show.
#include "skin/kivpublic.h"

#include "rtl/clock.h"
#include "vcl/backend.h"
#include "vcl/forms.h"

#include <algorithm>
#include <optional>

namespace {

// The part of a W x H window shown at `shown` (0..1) of the way in, and where
// the window stands meanwhile. The direction flags name where the picture
// moves: a slide carries it in from the opposite edge, a roll uncovers it
// from that edge. A window going away runs its way in backwards, the other way round.
struct Frame {
    TRect visible; // client coordinates
    TPoint offset; // from the window's own position
};

Frame FrameAt(std::uint32_t flags, int W, int H, double shown)
{
    const int w = static_cast<int>(W * shown + 0.5), h = static_cast<int>(H * shown + 0.5);
    if (flags & AW_CENTER) return {Bounds((W - w) / 2, (H - h) / 2, w, h), {}};
    const bool slide = flags & AW_SLIDE;
    Frame f{Rect(0, 0, W, H), {}};
    if (flags & AW_HOR_POSITIVE) { // rightwards
        if (slide) f.visible.Left = W - w, f.offset.X = -(W - w);
        else f.visible.Right = w;
    } else if (flags & AW_HOR_NEGATIVE) { // leftwards
        if (slide) f.visible.Right = w, f.offset.X = W - w;
        else f.visible.Left = W - w;
    }
    if (flags & AW_VER_POSITIVE) { // downwards
        if (slide) f.visible.Top = H - h, f.offset.Y = -(H - h);
        else f.visible.Bottom = h;
    } else if (flags & AW_VER_NEGATIVE) { // upwards
        if (slide) f.visible.Bottom = h, f.offset.Y = H - h;
        else f.visible.Top = H - h;
    }
    return f;
}

// Going away downwards is the way in upwards, backwards (and so on).
std::uint32_t Reversed(std::uint32_t flags)
{
    std::uint32_t r = flags & ~(AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE | AW_VER_NEGATIVE);
    if (flags & AW_HOR_POSITIVE) r |= AW_HOR_NEGATIVE;
    else if (flags & AW_HOR_NEGATIVE) r |= AW_HOR_POSITIVE;
    if (flags & AW_VER_POSITIVE) r |= AW_VER_NEGATIVE;
    else if (flags & AW_VER_NEGATIVE) r |= AW_VER_POSITIVE;
    return r;
}

// Puts the form back as it was when the animation ends, even through an exception.
class FormState {
public:
    explicit FormState(TCustomForm& form)
        : form_(form), bounds_(form.BoundsRect()), region_(form.WindowRegion()), alphaBlend_(form.AlphaBlend()),
          alpha_(form.AlphaBlendValue())
    {
    }
    ~FormState()
    {
        form_.SetBounds(bounds_.Left, bounds_.Top, bounds_.Width(), bounds_.Height());
        form_.SetWindowRegion(region_);
        form_.SetAlphaBlendValue(alpha_);
        form_.SetAlphaBlend(alphaBlend_);
    }
    const TRect& Bounds() const { return bounds_; }
    const std::optional<TRegion>& Region() const { return region_; }
    FormState(const FormState&) = delete;
    FormState& operator=(const FormState&) = delete;

private:
    TCustomForm& form_;
    TRect bounds_;
    std::optional<TRegion> region_;
    bool alphaBlend_;
    int alpha_;
};

void ShowFrame(TCustomForm& form, const FormState& saved, std::uint32_t flags, double shown)
{
    const TRect& b = saved.Bounds();
    if (flags & AW_BLEND) {
        form.SetAlphaBlend(true);
        form.SetAlphaBlendValue(static_cast<int>(255 * shown + 0.5));
    } else {
        const Frame f = FrameAt(flags, b.Width(), b.Height(), shown);
        TRegion clip(f.visible);
        if (saved.Region()) clip = clip.Intersect(*saved.Region());
        form.SetWindowRegion(clip);
        form.SetBounds(b.Left + f.offset.X, b.Top + f.offset.Y, b.Width(), b.Height());
    }
    form.Update();
    CurrentBackend().ProcessNativeEvents();
}

// Shows the form, leaving the activation (and the keyboard) where it is unless asked for.
void ShowForm(TCustomForm& form, bool activate)
{
    if (activate) {
        form.Show();
        return;
    }
    TCustomForm* active = Screen->ActiveForm();
    form.SetVisible(true);
    if (active && active != &form && active->Visible()) {
        active->InputActivate(true);
        CurrentBackend().ActivateWindow(*active);
    }
}

} // namespace

bool KIVAnimateWindow(HWND window, std::uint32_t time, std::uint32_t flags)
{
    TWinControl* control = FindControl(window);
    if (!control) return false;
    const bool hide = flags & AW_HIDE;
    if (control->Visible() != hide) return false; // nothing to show, or to hide

    auto* form = dynamic_cast<TCustomForm*>(control);
    const bool animated = form && time > 0 &&
                          (flags & (AW_BLEND | AW_CENTER | AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE |
                                    AW_VER_NEGATIVE));
    if (!animated) {
        if (hide) control->Hide();
        else if (form) ShowForm(*form, flags & AW_ACTIVATE);
        else control->SetVisible(true);
        return true;
    }

    if (hide) flags = Reversed(flags);
    const int steps = std::max(1, static_cast<int>(time) / kivAnimateStepMs);
    const std::uint32_t stepMs = time / static_cast<std::uint32_t>(steps);
    {
        FormState saved(*form);
        if (!hide) {
            ShowFrame(*form, saved, flags, 0.0);
            ShowForm(*form, flags & AW_ACTIVATE);
        }
        for (int k = 1; k <= steps; ++k) {
            const double done = static_cast<double>(k) / steps;
            ShowFrame(*form, saved, flags, hide ? 1.0 - done : done);
            CurrentClock().SleepMs(stepMs);
        }
        if (hide) form->Hide();
    }
    form->Update();
    return true;
}
