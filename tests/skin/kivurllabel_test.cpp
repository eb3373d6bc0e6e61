// Link label: hover colours and the argument vector the desktop's opener gets.
#include "kivcontrols_fixture.h"

#include "skin/kivurllabel.h"

#include "win32/process.h"

namespace {

// Runs the real ShellOpen's command building, recording instead of starting.
class RecordingLauncher : public SystemLauncher {
public:
    bool Launch(const ProcessSpec& spec) override
    {
        launched.push_back(spec.argv);
        return true;
    }
    std::vector<std::vector<std::string>> launched;
};

class KivURLLabels : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        SetLauncher(&launcher);
        label = new TkivURLLabel(form);
        label->SetParent(form);
        label->SetLeft(20);
        label->SetTop(30);
        label->SetCaption("www.example.org");
        label->OnClick = [this](TObject*) { ++clicks; };
        form->Show();
    }
    void TearDown() override
    {
        SetLauncher(nullptr);
        KivControlsTest::TearDown();
    }
    // Text pixels of the colour on the label.
    int Ink(TColor c)
    {
        auto shot = headless->Snapshot(*form);
        int n = 0;
        for (int y = label->Top(); y < label->Top() + label->Height(); ++y)
            for (int x = label->Left(); x < label->Left() + label->Width(); ++x) n += shot->Pixel(x, y) == c;
        return n;
    }
    RecordingLauncher launcher;
    TkivURLLabel* label = nullptr;
    int clicks = 0;
};

TEST_F(KivURLLabels, StartsAsAnUnderlinedBlueHandPointLink)
{
    EXPECT_TRUE(label->Font()->Style().Contains(fsUnderline));
    EXPECT_EQ(label->Font()->Color(), clBlue);
    EXPECT_EQ(label->Cursor(), crHandPoint);
    EXPECT_TRUE(label->AutoSize());
    EXPECT_GT(label->Width(), 20);
    EXPECT_GT(Ink(clBlue), 10);
}

TEST_F(KivURLLabels, HoverColourUnderThePointerLinkColourAfter)
{
    label->SetFontHoverColor(clRed);
    label->SetFontLinkColor(clGreen);
    EXPECT_GT(Ink(clGreen), 10);
    headless->MouseMove(*form, label->Left() + 3, label->Top() + 3);
    EXPECT_EQ(label->Font()->Color(), clRed);
    EXPECT_GT(Ink(clRed), 10);
    EXPECT_EQ(Ink(clGreen), 0);
    headless->MouseMove(*form, 300, 190);
    EXPECT_EQ(label->Font()->Color(), clGreen);
    EXPECT_EQ(Ink(clRed), 0);
}

TEST_F(KivURLLabels, ClickOpensTheTrimmedAddressAsOneArgument)
{
    label->SetURL("  http://www.example.org/a b?x=1;rm -rf ~&y=$(id)\t\n");
    headless->ClickControl(*label);
    ASSERT_EQ(launcher.launched.size(), 1u);
    EXPECT_EQ(launcher.launched[0],
              (std::vector<std::string>{"xdg-open", "http://www.example.org/a b?x=1;rm -rf ~&y=$(id)"}));
    EXPECT_EQ(clicks, 1);
    label->SetURL("mailto:support@example.org");
    headless->ClickControl(*label);
    ASSERT_EQ(launcher.launched.size(), 2u);
    EXPECT_EQ(launcher.launched[1], (std::vector<std::string>{"xdg-open", "mailto:support@example.org"}));
}

TEST_F(KivURLLabels, BlankAddressOpensNothingButStillClicks)
{
    label->SetURL("");
    headless->ClickControl(*label);
    label->SetURL(" \t\r\n ");
    headless->ClickControl(*label);
    EXPECT_TRUE(launcher.launched.empty());
    EXPECT_EQ(clicks, 2);
}

} // namespace
