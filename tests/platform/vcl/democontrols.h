#pragma once
// Small controls standing on the framework core the way the standard and the
// skinned controls will: a push button (windowed, Default/Cancel/ModalResult,
// accelerators), a label (windowless) and a fixture with a headless application.
#include "gfx/canvas.h"
#include "vcl/application.h"
#include "vcl/headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TDemoButton : public TCustomControl {
public:
    explicit TDemoButton(TComponent* AOwner) : TCustomControl(AOwner)
    {
        SetTabStop(true);
        SetBounds(0, 0, 75, 25);
    }
    bool Default = false;
    bool Cancel = false;
    TModalResult ModalResult = mrNone;
    bool Active() const { return active_; }
    int Enters = 0, Leaves = 0;
    TColor Face = clSilver;
    bool Transparent = false;

    void Click() override
    {
        if (ModalResult != mrNone)
            if (TCustomForm* f = ParentForm()) f->SetModalResult(ModalResult);
        TCustomControl::Click();
    }

    void WndProc(TMessage& m) override
    {
        switch (m.Msg) {
        case CM_DIALOGKEY:
            if ((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && Cancel)) {
                if (Enabled() && Showing()) Click();
                m.Result = 1;
                return;
            }
            break;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && CanFocus()) {
                Click();
                m.Result = 1;
                return;
            }
            break;
        case CM_FOCUSCHANGED: {
            auto* sender = reinterpret_cast<TWinControl*>(m.LParam);
            // A focused button takes Enter for itself; otherwise the default one does.
            if (auto* b = dynamic_cast<TDemoButton*>(sender)) active_ = b == this;
            else active_ = Default;
            break;
        }
        case WM_GETDLGCODE:
            m.Result = active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
            return;
        case CM_MOUSEENTER:
            ++Enters;
            break;
        case CM_MOUSELEAVE:
            ++Leaves;
            break;
        }
        TCustomControl::WndProc(m);
    }

protected:
    void Paint() override
    {
        TCanvas* c = Canvas();
        if (Transparent) {
            if (Parent()) Parent()->PaintBackgroundFor(*this, *c);
            c->Brush()->SetColor(Face);
            c->FillRect(Rect(4, 4, Width() - 4, Height() - 4));
        } else {
            c->Brush()->SetColor(Face);
            c->FillRect(ClientRect());
        }
    }

private:
    bool active_ = false;
};

class TDemoLabel : public TGraphicControl {
public:
    explicit TDemoLabel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 40, 20); }
    TColor Ink = clNavy;
    int Paints = 0;
    int Enters = 0, Leaves = 0;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CM_MOUSEENTER) ++Enters;
        if (m.Msg == CM_MOUSELEAVE) ++Leaves;
        TGraphicControl::WndProc(m);
    }

protected:
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(Ink);
        Canvas()->FillRect(ClientRect());
    }
};

// One headless application per test (each test runs in its own process).
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        headless = HeadlessBackend();
        ASSERT_NE(headless, nullptr);
    }
    void TearDown() override { app.reset(); }

    template <class T = TForm>
    T* MakeForm(int w = 200, int h = 120)
    {
        T* f = NewForm<T>(app.get());
        f->SetBounds(10, 10, w, h);
        f->SetColor(clWhite);
        return f;
    }

    std::unique_ptr<TApplication> app;
    THeadlessBackend* headless = nullptr;
};
