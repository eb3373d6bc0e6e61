#pragma once
// The start-up splash: a borderless picture window on top that fades in while
// the program's windows are made and fades out before the message loop starts.
#include "vcl/forms.h"

#include <cstdint>

class TImage;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;

    TImage* Image1 = nullptr;     // 488 x 241, fills the client area
    bool FadeIn = true;           // the next Fade goes up
    std::int32_t Alpha = 0;
};

// One fade of the splash: up in steps of 10 to 255 while FadeIn, else down in
// steps of 10 to 0; each step sets the alpha, sleeps 20 ms on the current
// clock and handles pending messages. Leaves FadeIn false.
void Fade(TForm1& splash);
