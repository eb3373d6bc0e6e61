#pragma once
// The client area of an MDI frame form: it holds the frame's child forms as
// child windows, draws their frames, lets them be dragged and sized, keeps the
// active one, and answers the WM_MDI* messages (which skins hook through its
// WindowProc).
#include "vcl/forms.h"

#include <vector>

class TMDIClient : public TWinControl {
public:
    explicit TMDIClient(TCustomForm* frame);

    TCustomForm* Frame() const { return frame_; }
    // Every child not being destroyed, the top of the z-order first.
    std::vector<TCustomForm*> Children() const;
    TCustomForm* Active() const { return active_; }

    // What the child forms tell their client.
    void ChildShown(TCustomForm* child);
    void ChildHidden(TCustomForm* child);
    void ChildGone(TCustomForm* child);
    void Minimize(TCustomForm* child);
    // Drags a child's frame with the pointer (edges 0: moves it) until the button is released.
    void BeginTrack(TCustomForm* child, unsigned edges, TPoint screen);
    void RefreshMenu() { Perform(WM_MDIREFRESHMENU, 0, 0); }

    void WndProc(TMessage& Message) override;

    // A minimized child is a strip this wide and high at the bottom of the client.
    static constexpr int kIconWidth = 160;
    static constexpr int kIconHeight = 25;

protected:
    void PaintSelf(TCanvas& canvas) override;

private:
    void Activate(TCustomForm* child);
    void Maximize(TCustomForm* child);
    void Restore(TCustomForm* child);
    void FitMaximized(TCustomForm* child);
    void ArrangeIcons();
    void Cascade();
    void Tile(bool horizontal);
    // The child to activate when `leaving` goes: the top visible one besides it.
    TCustomForm* NextActive(const TCustomForm* leaving) const;
    void Track(TPoint screen);

    TCustomForm* frame_;
    TCustomForm* active_ = nullptr;
    std::vector<TCustomForm*> icons_; // minimized children, in their slots' order
    struct Tracking {
        TCustomForm* child = nullptr;
        unsigned edges = 0;
        TPoint start;
        TRect rect;
    } track_;
};
