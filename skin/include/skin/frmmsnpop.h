#pragma once
// The pop-up notice: a small always-on-top window with a title and a text
// that slides up at the bottom-right corner of the work area, stays ShowTime
// milliseconds and slides down again. Its close box (or, with ClickClose, a
// click anywhere) closes it at once.
#include "gfx/bitmap.h"
#include "vcl/forms.h"

#include <cstdint>

class TLabel;
class TTimer;

class TfrmMSNPopForm : public TForm {
public:
    explicit TfrmMSNPopForm(TComponent* AOwner);
    ~TfrmMSNPopForm() override;

    // Slides the notice in without taking the focus and starts counting ShowTime.
    void Popup();

    TLabel* lbl_title = nullptr;
    TLabel* lbl_text = nullptr;
    TTimer* Timer1 = nullptr;

    // A click on the title.
    TNotifyEvent OnTitleClick;

    std::uint32_t AnimateTime = 400; // milliseconds of each slide
    std::uint32_t ShowTime = 2000;   // milliseconds from the end of the slide in to the close
    bool ClickClose = false;

    // The close box drawn on the background picture.
    static constexpr TRect CloseBox() { return {162, 6, 176, 20}; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoClose(TCloseAction& Action) override;

private:
    void Timer1Timer(TObject* Sender);
    // Presses on the labels count as presses on the window below them.
    void LabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    TBitmap background_;
    std::uint32_t startTick_ = 0;
    bool closedByButton_ = false;
};
