#pragma once
// A headless application on a manual clock, and a white form to put skinned controls on.
#include "gfx/bitmap.h"
#include "rtl/clock.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"

#include <gtest/gtest.h>

#include <memory>

class KivControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scope = std::make_unique<ScopedClock>(clock);
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        headless = HeadlessBackend();
        form = NewForm<TForm>(app.get());
        form->SetBounds(10, 10, 320, 200);
        form->SetColor(clWhite);
    }
    void TearDown() override
    {
        app.reset();
        scope.reset();
    }
    // A solid picture with a differently coloured top-left pixel.
    static TBitmap Solid(int w, int h, TColor c, TColor corner)
    {
        TBitmap b(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.SetPixel(x, y, c);
        b.SetPixel(0, 0, corner);
        return b;
    }
    TColor At(int x, int y) { return headless->PixelAt(*form, x, y); }

    ManualClock clock;
    std::unique_ptr<ScopedClock> scope;
    std::unique_ptr<TApplication> app;
    THeadlessBackend* headless = nullptr;
    TForm* form = nullptr;
};
