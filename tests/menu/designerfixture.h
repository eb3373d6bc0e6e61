#pragma once
// What the menu designer's tests share: the source clips window's headless
// program (pictures, registry, media filters, a fast clock), the designer and
// its dialogs made as the start-up makes them, a background list of the
// test's own, and the mouse at design-area coordinates.
#include "clipsfixture.h"

#include "menu/menumodel.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"

#include "gfx/jpeg.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "skin/kivimagepanel.h"
#include "vcl/stdctrls.h"

#include <fstream>

class DesignerTest : public ClipsTest {
protected:
    void SetUp() override
    {
        ClipsTest::SetUp();
        RegionLanguage.SetLength(2);
        RegionLanguage[0] = "English";
        RegionLanguage[1] = "Deutsch";
        g_i_LanguageIndex = 1;
    }
    void TearDown() override
    {
        if (designer) designer->InitMenuDesigner(false);   // the titles go before the windows
        ClipsTest::TearDown();
        RegionLanguage.SetLength(0);
        g_i_LanguageIndex = 0;
    }

    // The designer and its two dialogs; the shipped backgrounds unless the test wrote its own.
    void MakeDesigner()
    {
        app->CreateForm(QV_Video_DVD_Text_Property_Form);
        app->CreateForm(QV_Video_DVD_Clip_Property_Form);
        app->CreateForm(QV_Video_DVD_Setup_DVD_Menu_Form);
        designer = QV_Video_DVD_Setup_DVD_Menu_Form;
    }

    // A background list and its pictures in the program folder, the only data folder.
    struct Picture {
        std::string name;
        std::vector<TPoint> points;   // (Left, Top)
        TColor colour = clNavy;
        bool write = true;            // false: listed, but no picture file
    };
    void UseBackgrounds(const std::vector<Picture>& pictures)
    {
        SetDataFolders({program_, std::string(std::getenv("KELDARA_BIN_DIR")) + "/"});
        ForceDirectories(program_ + "Background");
        std::ofstream ini(program_ + "Background.ini");
        ini << "Background pictures =" << std::string(1, ' ') << std::to_string(pictures.size()) << "\n\n";
        for (const Picture& p : pictures) {
            std::string tops = "Top   :  ", lefts = "Left  :  ";
            for (const TPoint& point : p.points) {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "%3d  ", point.Y);
                tops += buffer;
                std::snprintf(buffer, sizeof buffer, "%3d  ", point.X);
                lefts += buffer;
            }
            char count[32];
            std::snprintf(count, sizeof count, "Point count : %10zu", p.points.size());
            ini << p.name << "\n" << count << "\n" << tops << "\n" << lefts << "\n\n";
            if (!p.write) continue;
            TBitmap b(64, 48, pf24bit);
            b.Canvas()->Brush()->SetColor(p.colour);
            b.Canvas()->FillRect(Rect(0, 0, 64, 48));
            TJPEGImage jpeg;
            jpeg.Assign(b);
            jpeg.SaveToFile(program_ + "Background/" + p.name + ".jpg");
        }
    }

    // Runs `step` inside the designer shown modally; answers its modal result.
    int ShowDesigner(std::function<void()> step)
    {
        headless->OnNextModal([this, step](TCustomForm&) {
            step();
            if (designer->ModalResult() == mrNone) designer->SetModalResult(mrCancel);
        });
        return designer->ShowMenuDesigner();
    }

    // An MPEG-2 VOB of the test's media folder.
    std::string WriteVob(const std::string& name, double seconds)
    {
        testkit::ClipSpec spec;
        spec.video = testkit::VideoCodec::Mpeg2;
        spec.seconds = seconds;
        spec.container = "vob";
        testkit::WriteClip(media() + name, spec);
        return media() + name;
    }
    // Adds the file as a title through Add and the probe (menu-only mode, the designer shown).
    void AddVobTitle(const std::string& vob)
    {
        ScriptedDialogs().AnswerFiles({vob});
        headless->ClickControl(*designer->kivImageButton_AddVOB);
        ASSERT_TRUE(PumpUntil([&] { return !designer->FileLoader; }));
    }

    // Form coordinates of a design-area point.
    TPoint At(int x, int y) const
    {
        return {designer->kivImagePanel_Preview->Left() + x, designer->kivImagePanel_Preview->Top() + y};
    }
    void Down(int x, int y)
    {
        const TPoint p = At(x, y);
        headless->MouseMove(*designer, p.X, p.Y);
        headless->MouseDown(*designer, p.X, p.Y);
    }
    void Move(int x, int y)
    {
        const TPoint p = At(x, y);
        headless->MouseMove(*designer, p.X, p.Y);
    }
    void Up(int x, int y)
    {
        const TPoint p = At(x, y);
        headless->MouseMove(*designer, p.X, p.Y);
        headless->MouseUp(*designer, p.X, p.Y);
    }
    // Presses at (x, y) of the design area, moves by (dx, dy) in steps, releases.
    void Drag(int x, int y, int dx, int dy)
    {
        Down(x, y);
        for (int s = 1; s <= 4; ++s) Move(x + dx * s / 4, y + dy * s / 4);
        Up(x + dx, y + dy);
    }
    static TRect Bounds(const TControl& c) { return c.BoundsRect(); }

    TQV_Video_DVD_Setup_DVD_Menu_Form* designer = nullptr;
};
