// The menu-creator task from start to end: two VOB files made by the encoder
// and the multiplexer are added to the designer through the probe, Next
// writes the title menu and hands over to the convert window, whose
// author-only run makes a DVD folder that lsdvd reads and whose title menu,
// read back with dvdunauthor, leads to both titles.
#include "../pipeline/convertfixture.h"
#include "../pipeline/discfixture.h"

#include "base/taskwindows.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "shell/qv_videodvdclippropertyform.h"

#include "com/com.h"
#include "dshow/mediafilters.h"
#include "skin/kivbutton.h"

namespace {

class MenuCreatorTest : public ConvertTest {
protected:
    void SetUp() override
    {
        ConvertTest::SetUp();
        setenv("KELDARA_AUDIO", "null", 1);
        CoInitialize(nullptr);
        RegisterMediaFilters();
        app->CreateForm(QV_Video_DVD_Text_Property_Form);
        app->CreateForm(QV_Video_DVD_Clip_Property_Form);
        app->CreateForm(QV_Video_DVD_Setup_DVD_Menu_Form);
        designer = QV_Video_DVD_Setup_DVD_Menu_Form;
    }
    void TearDown() override
    {
        designer->InitMenuDesigner(false);
        ConvertTest::TearDown();
        QV_Video_DVD_Setup_DVD_Menu_Form = nullptr;
        QV_Video_DVD_Text_Property_Form = nullptr;
        QV_Video_DVD_Clip_Property_Form = nullptr;
        CoUninitialize();
    }
    TQV_Video_DVD_Setup_DVD_Menu_Form* designer = nullptr;
};

TEST_F(MenuCreatorTest, TwoVobsBecomeADvdFolderWhoseTitleMenuLeadsToBoth)
{
    const std::string titles = root_ + "/My VOBs";
    ForceDirectories(titles);
    const std::string first = disctest::MuxVob(titles, "First", 3);
    const std::string second = disctest::MuxVob(titles, "Second", 2);
    ASSERT_TRUE(FileExists(first) && FileExists(second));

    bool authored = false;
    headless->OnNextModal([&](TCustomForm& shown) {
        ASSERT_EQ(&shown, designer);
        // The convert window, when Next opens it: the run to its end, then closed.
        headless->OnNextModal([&](TCustomForm& run) {
            ASSERT_EQ(&run, form);
            form->SetWorkingFolderText(work_);
            Start();
            authored = RunToEnd();
            form->SetModalResult(mrCancel);
        });
        for (const std::string& vob : {first, second}) {
            ScriptedDialogs().AnswerFiles({vob});
            headless->ClickControl(*designer->kivImageButton_AddVOB);
            ASSERT_TRUE(PumpUntil([&] { return !designer->FileLoader; }, 120));
        }
        ASSERT_EQ(MyMovieImage.Length(), 2);
        headless->ClickControl(*designer->kivImageButton_Next);
        headless->ClickControl(*designer->kivImageButton_Exit);
    });
    RunMenuCreatorTask(StartupTaskWindows());
    ASSERT_TRUE(authored);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Create \"TitleSub.vob\" >>>", "Create DVD directory >>>",
                                                    "Process finished."}));
    EXPECT_TRUE(headless->MessageBoxes().empty());

    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(work_ + "DVD_DISC");
    ASSERT_EQ(disc.size(), 2u);
    EXPECT_NEAR(disc[0].length, 3, 0.5);
    EXPECT_NEAR(disc[1].length, 2, 0.5);

    const std::string back = root_ + "/unauthored";
    ForceDirectories(back);
    ProcessSpec spec;
    spec.argv = {"dvdunauthor", work_ + "DVD_DISC"};
    spec.workingFolder = back;
    spec.captureOutput = true;
    const ProcessResult unauthored = RunProcess(spec, 120000);
    ASSERT_TRUE(unauthored.Succeeded()) << unauthored.errors;
    const std::string xml = ReadBytes(back + "/dvdauthor.xml");
    EXPECT_NE(xml.find("jump title 1"), std::string::npos) << xml;
    EXPECT_NE(xml.find("jump title 2"), std::string::npos) << xml;
}

} // namespace
