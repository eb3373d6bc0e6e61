// A window holding every common control (tool bar, scroll bars, track bars,
// progress bars, up-down, page and tab controls), for looking at under a real
// window system: comctrls_demo [--headless OUT.bmp].
#include "vcl/application.h"
#include "vcl/comctrls.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/scrollbar.h"
#include "vcl/stdctrls_edit.h"

#include <cstring>

namespace {
TBitmap Glyph(TColor c, int shape)
{
    TBitmap b(16, 16);
    b.Canvas()->Brush()->SetColor(clFuchsia);
    b.Canvas()->FillRect(Rect(0, 0, 16, 16));
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->Pen()->SetColor(clBlack);
    if (shape == 0) b.Canvas()->Rectangle(2, 2, 14, 14);
    else if (shape == 1) b.Canvas()->Ellipse(1, 1, 15, 15);
    else {
        TPoint pts[] = {{8, 1}, {15, 14}, {1, 14}};
        b.Canvas()->Polygon(pts);
    }
    return b;
}

class TComCtrlsDemo : public TForm {
public:
    explicit TComCtrlsDemo(TComponent* AOwner) : TForm(AOwner)
    {
        SetCaption("Keldara common controls");
        SetBounds(80, 80, 560, 420);
        Font()->SetName("Arial");
        Font()->SetSize(9);
        images.AddMasked(Glyph(clRed, 0), clFuchsia);
        images.AddMasked(Glyph(clLime, 1), clFuchsia);
        images.AddMasked(Glyph(clBlue, 2), clFuchsia);

        auto* bar = new TToolBar(this);
        bar->SetParent(this);
        bar->SetImages(&images);
        bar->SetShowCaptions(true);
        bar->SetHeight(44);
        const char* captions[] = {"&New", "Open", "-", "Bold", "Italic", "-", "Menu"};
        for (int i = 0; i < 7; ++i) {
            auto* b = new TToolButton(this);
            b->SetCaption(captions[i]);
            if (captions[i][0] == '-') b->SetStyle(tbsSeparator);
            else b->SetImageIndex(i % 3);
            if (i == 3 || i == 4) b->SetStyle(tbsCheck);
            if (i == 6) b->SetStyle(tbsDropDown);
            b->SetParent(bar);
            if (i == 3) b->SetDown(true);
            if (i == 4) b->SetEnabled(false);
        }
        auto* flat = new TToolBar(this);
        flat->SetParent(this);
        flat->SetFlat(true);
        flat->SetImages(&images);
        for (int i = 0; i < 4; ++i) {
            auto* b = new TToolButton(this);
            b->SetImageIndex(i % 3);
            b->SetParent(flat);
        }

        auto* h = new TScrollBar(this);
        h->SetParent(this);
        h->SetBounds(10, 90, 220, 17);
        h->SetPageSize(20);
        h->SetPosition(30);
        auto* v = new TScrollBar(this);
        v->SetParent(this);
        v->SetKind(sbVertical);
        v->SetBounds(240, 90, 17, 150);
        v->SetPosition(70);

        auto* track = new TTrackBar(this);
        track->SetParent(this);
        track->SetBounds(10, 115, 220, 45);
        track->SetPosition(4);
        auto* vtrack = new TTrackBar(this);
        vtrack->SetParent(this);
        vtrack->SetOrientation(trVertical);
        vtrack->SetBounds(265, 90, 45, 150);
        vtrack->SetTickMarks(tmBoth);
        vtrack->SetPosition(7);

        auto* p1 = new TProgressBar(this);
        p1->SetParent(this);
        p1->SetBounds(10, 170, 220, 18);
        p1->SetPosition(45);
        auto* p2 = new TProgressBar(this);
        p2->SetParent(this);
        p2->SetBounds(10, 195, 220, 18);
        p2->SetSmooth(true);
        p2->SetPosition(70);
        auto* p3 = new TProgressBar(this);
        p3->SetParent(this);
        p3->SetOrientation(pbVertical);
        p3->SetBounds(320, 90, 18, 150);
        p3->SetPosition(60);

        auto* edit = new TEdit(this);
        edit->SetParent(this);
        edit->SetBounds(10, 222, 90, 22);
        auto* ud = new TUpDown(this);
        ud->SetMax(5000);
        ud->SetAssociate(edit);
        ud->SetPosition(1250);

        auto* pc = new TPageControl(this);
        pc->SetParent(this);
        pc->SetBounds(350, 90, 200, 150);
        for (const char* c : {"General", "Video", "Audio"}) {
            auto* s = new TTabSheet(this);
            s->SetCaption(c);
            s->SetPageControl(pc);
        }
        auto* inner = new TEdit(this);
        inner->SetParent(pc->Pages(1));
        inner->SetBounds(10, 10, 120, 22);
        inner->SetText("On the Video page");
        pc->SetActivePageIndex(1);

        auto* tc = new TTabControl(this);
        tc->SetParent(this);
        tc->SetBounds(10, 300, 540, 110);
        for (int i = 1; i <= 9; ++i) tc->Tabs()->Add("Chapter " + std::to_string(i));
        tc->SetTabIndex(2);
        auto* bottom = new TTabControl(this);
        bottom->SetParent(this);
        bottom->SetBounds(110, 245, 120, 50);
        bottom->SetTabPosition(tpBottom);
        bottom->Tabs()->Add("Top");
        bottom->Tabs()->Add("Bottom");
    }
    TImageList images{16, 16};
};
} // namespace

int main(int argc, char** argv)
{
    TApplication app;
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TComCtrlsDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TComCtrlsDemo* form = nullptr;
    app.CreateForm(form);
    app.Run();
    return 0;
}
