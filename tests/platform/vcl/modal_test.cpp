// Modal chains, closing rules and timers.
#include "democontrols.h"
#include "rtl/clock.h"
#include "vcl/timer.h"

namespace {

class Dialog : public TForm {
public:
    explicit Dialog(TComponent* owner) : TForm(owner)
    {
        SetBounds(0, 0, 120, 60);
        next = new TDemoButton(this);
        next->SetParent(this);
        next->SetBounds(10, 10, 40, 20);
        next->ModalResult = 4;
        ok = new TDemoButton(this);
        ok->SetParent(this);
        ok->SetBounds(60, 10, 40, 20);
        ok->ModalResult = mrOk;
        ok->Default = true;
    }
    TDemoButton* next;
    TDemoButton* ok;
};

using VclModal = HeadlessTest;

TEST_F(VclModal, ButtonModalResultEndsTheLoopWithItsValue)
{
    auto* d = NewForm<Dialog>(app.get());
    headless->OnNextModal([&](TCustomForm& f) {
        EXPECT_EQ(&f, d);
        EXPECT_TRUE(f.Visible());
        headless->ClickControl(*d->next);
    });
    EXPECT_EQ(d->ShowModal(), 4);
    EXPECT_FALSE(d->Visible());
    EXPECT_FALSE(d->Modal());
}

TEST_F(VclModal, ClosingAModalFormAnswersCancel)
{
    auto* d = NewForm<Dialog>(app.get());
    headless->OnNextModal([](TCustomForm& f) { f.Close(); });
    EXPECT_EQ(d->ShowModal(), mrCancel);
    d->SetActiveControl(d->ok); // focus lands on the default button
    headless->OnNextModal([&](TCustomForm&) { headless->PressKey(VK_RETURN); });
    EXPECT_EQ(d->ShowModal(), mrOk);
}

TEST_F(VclModal, ChainStepsBackWhileTheResultIsFour)
{
    // The wizard: clips window, then menu designer; 4 from the designer goes back.
    auto* clips = NewForm<Dialog>(app.get());
    auto* designer = NewForm<Dialog>(app.get());
    TForm* main = MakeForm();
    main->Show();
    int clipsShown = 0;
    for (int answer : {4, 4, mrOk}) {
        headless->OnNextModal([&](TCustomForm&) { headless->ClickControl(*clips->ok); });
        headless->OnNextModal([&, answer](TCustomForm&) {
            headless->ClickControl(answer == 4 ? *designer->next : *designer->ok);
        });
    }
    main->Hide();
    for (;;) {
        ++clipsShown;
        if (clips->ShowModal() != mrOk) break;
        if (designer->ShowModal() != 4) break;
    }
    main->Show();
    EXPECT_EQ(clipsShown, 3);
    EXPECT_TRUE(headless->UnscriptedModals().empty());
    EXPECT_TRUE(main->Visible());
}

TEST_F(VclModal, NestedModalFromAHandler)
{
    auto* outer = NewForm<Dialog>(app.get());
    auto* inner = NewForm<Dialog>(app.get());
    TModalResult innerResult = mrNone;
    outer->next->ModalResult = mrNone;
    outer->next->OnClick = [&](TObject*) { innerResult = inner->ShowModal(); };
    headless->OnNextModal([&](TCustomForm&) {
        headless->ClickControl(*outer->next);
        // Input to the outer form is refused while the inner loop ran; now it is back.
        outer->ok->SetFocus();
        headless->PressKey(VK_RETURN);
    });
    headless->OnNextModal([&](TCustomForm& f) {
        headless->Click(*outer, 70, 20); // outer is disabled: ignored
        EXPECT_EQ(outer->ModalResult(), mrNone);
        headless->ClickControl(*static_cast<Dialog&>(f).next);
    });
    EXPECT_EQ(outer->ShowModal(), mrOk);
    EXPECT_EQ(innerResult, 4);
}

TEST_F(VclModal, CloseQueryCanRefuseAndOnCloseCanKeepTheLoop)
{
    auto* d = NewForm<Dialog>(app.get());
    int queries = 0;
    d->OnCloseQuery = [&](TObject*, bool& can) { can = ++queries > 1; };
    headless->OnNextModal([&](TCustomForm&) {
        headless->ClickControl(*d->ok); // refused: the loop goes on
        EXPECT_EQ(d->ModalResult(), mrNone);
        headless->ClickControl(*d->ok);
    });
    EXPECT_EQ(d->ShowModal(), mrOk);
    EXPECT_EQ(queries, 2);
}

TEST_F(VclModal, ShowModalOfAVisibleFormIsRefused)
{
    auto* d = NewForm<Dialog>(app.get());
    d->Show();
    EXPECT_THROW(d->ShowModal(), EInvalidOperation);
}

TEST_F(VclModal, UnscriptedModalEndsInsteadOfHanging)
{
    auto* d = NewForm<Dialog>(app.get());
    d->SetName("Form_About");
    EXPECT_EQ(d->ShowModal(), mrCancel);
    EXPECT_EQ(headless->UnscriptedModals(), std::vector<std::string>{"Form_About"});
}

TEST_F(VclModal, MessageBoxesAnswerFromTheScript)
{
    headless->AnswerNextMessageBox(IDNO);
    EXPECT_EQ(app->MessageBox("Delete?", "Keldara", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(app->MessageBox("Done", "Keldara", MB_OK), IDOK);
    ASSERT_EQ(headless->MessageBoxes().size(), 2u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Delete?");
}

TEST_F(VclModal, FirstCreatedFormIsMainAndClosingItEndsRun)
{
    Dialog* first = nullptr;
    Dialog* second = nullptr;
    app->CreateForm(first);
    app->CreateForm(second);
    EXPECT_EQ(app->MainForm(), first);
    int shows = 0;
    first->OnShow = [&](TObject*) { ++shows; };
    first->OnCreate = nullptr;
    PostMessage(first->Handle(), WM_CLOSE, 0, 0);
    app->Run(); // shows the main form, handles the close, ends
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(app->Terminated());
}

TEST_F(VclModal, OnCreateFiresAfterTheLayoutOnce)
{
    class Laid : public TForm {
    public:
        explicit Laid(TComponent* o) : TForm(o)
        {
            BeginLoading();
            b = new TDemoButton(this);
            b->SetParent(this);
            b->OnResize = [this](TObject*) { ++resizes; };
            b->SetBounds(0, 0, 10, 10); // loading: no event
            OnCreate = [this](TObject*) { createdLoading = b->Loading(); ++creates; };
        }
        TDemoButton* b;
        int resizes = 0, creates = 0;
        bool createdLoading = true;
    };
    auto* f = NewForm<Laid>(app.get());
    EXPECT_EQ(f->creates, 1);
    EXPECT_FALSE(f->createdLoading);
    EXPECT_EQ(f->resizes, 0);
    f->b->SetWidth(20);
    EXPECT_EQ(f->resizes, 1);
    int destroyed = 0;
    f->OnDestroy = [&](TObject*) { ++destroyed; };
    f->Free();
    EXPECT_EQ(destroyed, 1);
}

// --- timers -------------------------------------------------------------------
class VclTimers : public HeadlessTest {
protected:
    ManualClock clock;
    std::unique_ptr<ScopedClock> scope;
    void SetUp() override
    {
        scope = std::make_unique<ScopedClock>(clock);
        HeadlessTest::SetUp();
    }
    void TearDown() override
    {
        HeadlessTest::TearDown();
        scope.reset();
    }
};

TEST_F(VclTimers, FiresEveryIntervalWithoutPilingUp)
{
    TTimer t(nullptr);
    t.SetInterval(100);
    int ticks = 0;
    t.OnTimer = [&](TObject*) { ++ticks; };
    app->ProcessMessages();
    EXPECT_EQ(ticks, 0);
    clock.Advance(100);
    app->ProcessMessages();
    EXPECT_EQ(ticks, 1);
    clock.Advance(1000); // late: one tick, not ten
    app->ProcessMessages();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(app->NextTimerDelay(), 100);
}

TEST_F(VclTimers, IntervalZeroNeverFires)
{
    TTimer t(nullptr);
    t.SetInterval(0);
    int ticks = 0;
    t.OnTimer = [&](TObject*) { ++ticks; };
    clock.Advance(100000);
    app->ProcessMessages();
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(app->NextTimerDelay(), -1);
}

TEST_F(VclTimers, MayBeFreedOrDisabledInsideItsOwnTick)
{
    auto* a = new TTimer(nullptr);
    auto* b = new TTimer(nullptr);
    a->SetInterval(10);
    b->SetInterval(10);
    int aTicks = 0, bTicks = 0;
    a->OnTimer = [&](TObject*) {
        ++aTicks;
        delete b; // a sibling due in the same pass
        b = nullptr;
        a->Free();
    };
    b->OnTimer = [&](TObject*) { ++bTicks; };
    clock.Advance(10);
    app->ProcessMessages();
    clock.Advance(10);
    app->ProcessMessages();
    EXPECT_EQ(aTicks + bTicks, 1);

    TTimer c(nullptr);
    c.SetInterval(5);
    int cTicks = 0;
    c.OnTimer = [&](TObject*) {
        ++cTicks;
        c.SetEnabled(false);
    };
    clock.Advance(50);
    app->ProcessMessages();
    clock.Advance(50);
    app->ProcessMessages();
    EXPECT_EQ(cTicks, 1);
}

TEST_F(VclTimers, ModalLoopRunsTimersOnTheTestClock)
{
    // A modal form closed by its own timer: the wait passes test time, not real time.
    auto* d = NewForm<Dialog>(app.get());
    auto* t = new TTimer(d);
    t->SetInterval(3000);
    t->OnTimer = [&](TObject*) { d->SetModalResult(mrOk); };
    headless->OnNextModal([](TCustomForm&) {});
    std::uint64_t start = clock.NowMs();
    EXPECT_EQ(d->ShowModal(), mrOk);
    EXPECT_GE(clock.NowMs() - start, 3000u);
}
} // namespace

namespace {
TEST_F(VclTimers, SplashFadePumpsMessagesBetweenAlphaSteps)
{
    // The start-up fade: alpha up in steps of 10, a 20 ms sleep and a message pump each step.
    TForm* splash = NewForm<TForm>(nullptr);
    splash->SetBorderStyle(bsNone);
    splash->SetAlphaBlend(true);
    splash->SetAlphaBlendValue(0);
    splash->Show();
    splash->Update();
    std::vector<int> seenAlpha;
    int posted = 0;
    class Counter : public TForm {
    public:
        using TForm::TForm;
        int* n = nullptr;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_USER + 1) ++*n;
            TForm::WndProc(m);
        }
    };
    auto* target = NewForm<Counter>(app.get());
    target->n = &posted;
    PostMessage(target->Handle(), WM_USER + 1, 0, 0);
    int alpha = 0;
    for (;;) {
        if (alpha >= 255) break;
        alpha += 10;
        if (alpha > 255) break;
        splash->SetAlphaBlendValue(alpha);
        seenAlpha.push_back(headless->WindowAlpha(*splash));
        Sleep(20);
        app->ProcessMessages();
    }
    splash->SetAlphaBlendValue(255);
    EXPECT_EQ(seenAlpha.size(), 25u);
    EXPECT_EQ(seenAlpha.back(), 250);
    EXPECT_EQ(headless->WindowAlpha(*splash), 255);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(clock.TotalSlept(), 500u); // the test clock: no real waiting
    splash->Free();
}
} // namespace
