// The source clips window's Add with Qt's own file dialog (on Qt's offscreen
// platform): the names a user types into its name field, several in quotes,
// are all added, and a typed file that cannot be loaded is reported, even
// where the dialog's filter hides it from its list.
#include "clipsfixture.h"

#include "skin/kivimagepanel.h"
#include "vcl/qtbackend.h"
#include "vcl/qtdialogs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class SourceClipsQtDialogTest : public ClipsTest {
protected:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ClipsTest::SetUp();
        // Qt's application object for its dialogs; the windows stay headless.
        qt_ = CreateQtBackend(argc_, argv_);
        InstallDialogProvider(headless->Name(), MakeQtDialogs());
        // The dialog opens in the working folder: the media folder, as a user's own.
        home_ = std::filesystem::current_path();
        std::filesystem::current_path(media());
    }
    void TearDown() override
    {
        std::filesystem::current_path(home_);
        InstallDialogProvider(headless->Name(), nullptr);
        ClipsTest::TearDown();
        qt_.reset();
    }

    // Add, with `typed` typed into Qt's dialog and Enter; pumps until the files are loaded.
    void AddTyped(const std::string& typed)
    {
        QtTypeIntoNextFileDialog(typed);
        headless->ClickControl(*form->kivImageButton_Add);
        ASSERT_TRUE(PumpUntil([this] { return !form->Loader && !form->Panel_Progress->Visible(); }));
    }

    int argc_ = 1;
    char arg0_[24] = "shell_sourceclips_qt";
    char* argv_[2] = {arg0_, nullptr};
    std::unique_ptr<Backend> qt_;
    std::filesystem::path home_;
};

TEST_F(SourceClipsQtDialogTest, EveryTypedNameIsAddedOrReported)
{
    const std::string mkv = "Caf\xC3\xA9 \xC3\xA9t\xC3\xA9.mkv";
    WriteClip(media() + mkv);
    testkit::ClipSpec wmv;
    wmv.width = 96;
    wmv.height = 64;
    wmv.seconds = 2;
    wmv.video = testkit::VideoCodec::Wmv2;
    testkit::WriteClip(media() + "clip1.wmv", wmv);
    std::ofstream(media() + "notes.txt") << "not a clip\n";
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    ShowWizard([&] {
        // Both typed names are added, in the order typed, without a word.
        AddTyped("\"" + mkv + "\" \"clip1.wmv\"");
        EXPECT_EQ(Names(), (std::vector<std::string>{mkv, "clip1.wmv"}));
        EXPECT_TRUE(headless->MessageBoxes().empty());

        // A typed file the filter hides and the probe cannot read: the box names it.
        AddTyped("\"clip1.wmv\" \"notes.txt\"");
        EXPECT_EQ(Names(), (std::vector<std::string>{mkv, "clip1.wmv", "clip1.wmv"}));
        ASSERT_EQ(headless->MessageBoxes().size(), 1u);
        const std::string& text = headless->MessageBoxes()[0].text;
        EXPECT_NE(text.find("Can not load following file(s):"), std::string::npos) << text;
        EXPECT_NE(text.find(media() + "notes.txt\n"), std::string::npos) << text;
        form->kivImageButton_ExitClick(nullptr);
    });
}

} // namespace
