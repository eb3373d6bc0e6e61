#pragma once
// The demo form shown by both backends: windowless and windowed children, a
// caption drawn with a real font, a timer, and a shaped borderless frame.
#include "democontrols.h"
#include "vcl/timer.h"

class TDemoText : public TGraphicControl {
public:
    explicit TDemoText(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 120, 20); }

protected:
    void Paint() override
    {
        TCanvas* c = Canvas();
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clBlack);
        c->TextOut(2, 2, Caption());
    }
};

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent* AOwner) : TForm(AOwner)
    {
        BeginLoading();
        SetBorderStyle(bsNone);
        SetCaption("Keldara demo");
        SetBounds(100, 100, 240, 160);
        SetColor(clWhite);
        Font()->SetName("Arial");
        Font()->SetSize(10);
        panel = new TDemoLabel(this);
        panel->SetParent(this);
        panel->SetBounds(0, 0, 240, 30);
        panel->Ink = clNavy;
        title = new TDemoText(this);
        title->SetParent(this);
        title->SetBounds(10, 40, 200, 20);
        title->SetCaption("Hello from the back buffer");
        ok = new TDemoButton(this);
        ok->SetParent(this);
        ok->SetBounds(40, 100, 70, 30);
        ok->Face = clLime;
        ok->Default = true;
        ok->ModalResult = mrOk;
        cancel = new TDemoButton(this);
        cancel->SetParent(this);
        cancel->SetBounds(130, 100, 70, 30);
        cancel->Face = clRed;
        cancel->Cancel = true;
        cancel->ModalResult = mrCancel;
        glass = new TDemoButton(this);
        glass->SetParent(this);
        glass->SetBounds(200, 10, 30, 30); // straddles the navy band: shows it through its margin
        glass->Transparent = true;
        glass->Face = clYellow;
        timer = new TTimer(this);
        timer->SetInterval(0);
        // A cut-off corner at the bottom right makes the shape visible.
        SetWindowRegion(TRegion::FromRects({Rect(0, 0, 240, 140), Rect(0, 140, 200, 160)}));
        EndLoading();
    }
    TDemoLabel* panel;
    TDemoText* title;
    TDemoButton* ok;
    TDemoButton* cancel;
    TDemoButton* glass;
    TTimer* timer;
};
