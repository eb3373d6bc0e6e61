#pragma once
// The plain three-dimensional boxes the common controls share: raised faces
// (buttons, thumbs, frames), pressed faces and sunken wells. Internal.
#include "vcl/extctrls.h"

// A two-line raised edge just inside `box`: highlight and dark shadow outside, light and shadow inside.
inline void RaisedEdge(TCanvas& c, TRect box)
{
    Frame3D(&c, box, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(&c, box, cl3DLight, clBtnShadow, 1);
}

inline void RaisedFace(TCanvas& c, const TRect& box)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(box);
    RaisedEdge(c, box);
}

// A button held down: a flat face in a one-line shadow frame.
inline void PressedFace(TCanvas& c, TRect box)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(box);
    Frame3D(&c, box, clBtnShadow, clBtnShadow, 1);
}

// The sunken two-line frame of a classic edit or list along the edge of `r`.
inline void SunkenEdge(TCanvas& c, const TRect& r)
{
    c.Pen()->SetColor(clBtnShadow);
    c.MoveTo(r.Left, r.Bottom - 1);
    c.LineTo(r.Left, r.Top);
    c.LineTo(r.Right, r.Top);
    c.Pen()->SetColor(clBtnHighlight);
    c.MoveTo(r.Left, r.Bottom - 1);
    c.LineTo(r.Right - 1, r.Bottom - 1);
    c.LineTo(r.Right - 1, r.Top - 1);
    c.Pen()->SetColor(cl3DDkShadow);
    c.MoveTo(r.Left + 1, r.Bottom - 2);
    c.LineTo(r.Left + 1, r.Top + 1);
    c.LineTo(r.Right - 1, r.Top + 1);
    c.Pen()->SetColor(cl3DLight);
    c.MoveTo(r.Left + 1, r.Bottom - 2);
    c.LineTo(r.Right - 2, r.Bottom - 2);
    c.LineTo(r.Right - 2, r.Top);
}

inline void SunkenWell(TCanvas& c, TRect box, TColor face)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(face);
    c.FillRect(box);
    Frame3D(&c, box, clBtnShadow, clBtnHighlight, 1);
    Frame3D(&c, box, cl3DDkShadow, cl3DLight, 1);
}

// A small filled triangle pointing along `dir` (0 left, 1 up, 2 right, 3 down),
// centred in `box` and moved by `shift` down and right (a pressed arrow).
inline void ArrowGlyph(TCanvas& c, const TRect& box, int dir, TColor ink, int shift)
{
    const int cx = (box.Left + box.Right) / 2 + shift, cy = (box.Top + box.Bottom) / 2 + shift;
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(ink);
    for (int i = 0; i < 4; ++i) {
        switch (dir) {
        case 0: c.FillRect(Rect(cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1)); break;
        case 2: c.FillRect(Rect(cx + 1 - i, cy - i, cx + 2 - i, cy + i + 1)); break;
        case 1: c.FillRect(Rect(cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i)); break;
        default: c.FillRect(Rect(cx - i, cy + 1 - i, cx + i + 1, cy + 2 - i)); break;
        }
    }
}
