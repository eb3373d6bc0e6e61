// The folder chooser: its flag rules, its owner, the scripted dialog's
// answers and the callback messages reaching the chooser that runs.
#include "startupfixture.h"

#include "base/fschoosefolder.h"

#include "vcl/dialogs.h"
#include "vcl/forms.h"

#include <memory>

namespace {

class ChooseFolderTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        ScriptedDialogs().Reset();
        form = std::make_unique<TForm>(nullptr);
    }
    void TearDown() override
    {
        form.reset();
        ScriptedDialogs().Reset();
        StartupTest::TearDown();
    }
    struct Flags {
        bool newUI, showStatus, noNetWork, onlyComputer;
        bool operator==(const Flags&) const = default;
    };
    static Flags Of(const TfsChooseFolder& c)
    {
        return {c.NewUI(), c.ShowStatus(), c.NoNetWork(), c.OnlyComputer()};
    }
    std::unique_ptr<TForm> form;
};

TEST_F(ChooseFolderTest, FlagsFollowEachOther)
{
    TfsChooseFolder c(form.get());
    EXPECT_EQ(Of(c), (Flags{false, false, false, false}));
    EXPECT_EQ(c.Title(), "");
    EXPECT_FALSE(c.HandleCallBack());

    c.SetShowStatus(true);   // needs the new dialog
    EXPECT_EQ(Of(c), (Flags{true, true, false, false}));
    c.SetNoNetWork(true);    // the old dialog only, and its status area goes with the new one
    EXPECT_EQ(Of(c), (Flags{false, false, true, false}));
    c.SetOnlyComputer(true);
    EXPECT_EQ(Of(c), (Flags{false, false, true, true}));
    c.SetNewUI(true);        // turns both old-dialog flags off
    EXPECT_EQ(Of(c), (Flags{true, false, false, false}));
    c.SetShowStatus(true);
    c.SetOnlyComputer(true);
    EXPECT_EQ(Of(c), (Flags{false, false, false, true}));

    // Turning NewUI off when it is off already leaves ShowStatus alone.
    TfsChooseFolder d(form.get());
    d.SetShowStatus(true);
    d.SetNewUI(true);
    EXPECT_TRUE(d.ShowStatus());
    d.SetShowStatus(false);
    d.SetNewUI(false);
    EXPECT_EQ(Of(d), (Flags{false, false, false, false}));

    TfsChooseFolder e(form.get());
    e.SetOnlyComputer(true);
    e.SetHandleCallBack(true);
    EXPECT_TRUE(e.HandleCallBack());
    EXPECT_EQ(Of(e), (Flags{true, false, false, false}));
    e.SetHandleCallBack(false);
    EXPECT_TRUE(e.NewUI());
}

TEST_F(ChooseFolderTest, OwnerMustBeAWindowedControl)
{
    TComponent plain(nullptr);
    TfsChooseFolder onPlain(&plain);
    ScriptedDialogs().AnswerFolder("/data");
    try {
        onPlain.Execute();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Component has no parent.");
    }
    TfsChooseFolder unowned(nullptr);
    EXPECT_THROW(unowned.Execute(), Exception);
    EXPECT_TRUE(ScriptedDialogs().Requests().empty());   // no dialog was shown
}

TEST_F(ChooseFolderTest, AnswersSetTheNamesOrLeaveThemAlone)
{
    TfsChooseFolder c(form.get());
    c.SetTitle("Please select DVD directory in your hard disk.");
    ScriptedDialogs().AnswerFolder("/media/disk/My Movies/");
    ASSERT_TRUE(c.Execute());
    EXPECT_EQ(c.FolderName, "/media/disk/My Movies");   // callers add the separator
    EXPECT_EQ(c.DisplayName, "My Movies");
    ASSERT_EQ(ScriptedDialogs().Requests().size(), 1u);
    EXPECT_EQ(ScriptedDialogs().Requests()[0].kind, "folder");
    EXPECT_EQ(ScriptedDialogs().Requests()[0].title, "Please select DVD directory in your hard disk.");

    ScriptedDialogs().CancelNext();
    EXPECT_FALSE(c.Execute());
    ScriptedDialogs().AnswerFolder("");   // an item with no place on disk
    EXPECT_FALSE(c.Execute());
    EXPECT_FALSE(c.Execute());            // unscripted: closed
    EXPECT_EQ(c.FolderName, "/media/disk/My Movies");
    EXPECT_EQ(c.DisplayName, "My Movies");

    ScriptedDialogs().AnswerFolder("/");
    ASSERT_TRUE(c.Execute());
    EXPECT_EQ(c.FolderName, "/");
    EXPECT_EQ(c.DisplayName, "/");
}

TEST_F(ChooseFolderTest, CallbackMessagesReachTheChooserThatRuns)
{
    struct Message {
        TfsChooseFolder* to;
        UINT msg;
        std::string path;
    };
    std::vector<Message> got;
    auto listen = [&got](TfsChooseFolder& c) {
        c.OnCallBack = [&got, &c](HWND wnd, UINT msg, LPARAM lpData, LPARAM lParam) {
            EXPECT_EQ(wnd, nullptr);
            EXPECT_EQ(lpData, 0);
            got.push_back({&c, msg, lParam ? reinterpret_cast<const char*>(lParam) : ""});
        };
    };
    TfsChooseFolder first(form.get()), second(form.get());   // the second is the newer one
    listen(first);
    listen(second);
    first.SetHandleCallBack(true);
    second.SetHandleCallBack(true);

    ScriptedDialogs().AnswerFolder("/srv/video");
    ASSERT_TRUE(first.Execute());
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].to, &first);
    EXPECT_EQ(got[0].msg, BFFM_INITIALIZED);
    EXPECT_EQ(got[1].to, &first);
    EXPECT_EQ(got[1].msg, BFFM_SELCHANGED);
    EXPECT_EQ(got[1].path, "/srv/video");

    // Cancelled: the dialog still opened.
    got.clear();
    ScriptedDialogs().CancelNext();
    EXPECT_FALSE(second.Execute());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].to, &second);
    EXPECT_EQ(got[0].msg, BFFM_INITIALIZED);

    // Without HandleCallBack the event stays quiet.
    got.clear();
    first.SetHandleCallBack(false);
    ScriptedDialogs().AnswerFolder("/srv");
    ASSERT_TRUE(first.Execute());
    EXPECT_TRUE(got.empty());
}

} // namespace
