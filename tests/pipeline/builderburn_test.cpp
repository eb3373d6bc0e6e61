// A disc-builder DVD run written through the writing engine's image-file
// writer, as a user without a burner would: the disc image read with lsdvd.
#include "builderfixture.h"
#include "discfixture.h"

#include "rtl/paths.h"
#include "skin/kivprogressbar.h"

#include <cstdlib>

namespace {

using Lines = std::vector<std::string>;

class BuilderBurnTest : public BuilderTest {
protected:
    void SetUp() override
    {
        BuilderTest::SetUp();
        iso_ = root_ + "/disc.iso";
        setenv("KELDARA_DVD_IMAGE_WRITER", iso_.c_str(), 1);
    }
    void TearDown() override
    {
        BuilderTest::TearDown();   // the window's close frees the engine first
        unsetenv("KELDARA_DVD_IMAGE_WRITER");
    }
    std::string iso_;
};

// The lines of `log` from `first` on.
Lines From(const Lines& log, const std::string& first)
{
    const auto at = std::find(log.begin(), log.end(), first);
    return Lines(at, log.end());
}

TEST_F(BuilderBurnTest, ADvdRunIsWrittenToTheImageFileWriter)
{
    AddClipFile("clip.avi", 2);
    ReadyBuilder(1);
    ASSERT_EQ(builder->kivComboBox_Drive->Items()->Count(), 1);
    EXPECT_EQ(builder->kivComboBox_Drive->Items()->Get(0), "Image file writer (" + iso_ + ")");
    EXPECT_EQ(builder->kivComboBox_Drive->ItemIndex(), 0);
    EXPECT_TRUE(builder->kivComboBox_WriteSpeed->Enabled());
    StartBuilder();
    ASSERT_TRUE(builder->RunActive());
    ASSERT_TRUE(BuildToEnd());
    Lines burn = From(BuilderLog(), "Starting to burn...");
    ASSERT_GE(burn.size(), 6u) << ::testing::PrintToString(BuilderLog());
    EXPECT_EQ(Lines(burn.begin(), burn.begin() + 4),
              (Lines{"Starting to burn...", "Getting disc type...", "Loading files ...", "Setting DVD speed >>> "}));
    EXPECT_TRUE(burn[4].starts_with("Set write speed is : ")) << burn[4];
    EXPECT_EQ(From(burn, "Writing the stuff to the DVD disc >>>").front(), "Writing the stuff to the DVD disc >>>");
    EXPECT_NE(std::find(burn.begin(), burn.end(), "Write init ok - write process has started."), burn.end());
    // The eject takes the disc out: the engine's media message may follow the run's last line.
    const Lines end = From(burn, "Write is complete and sucessful.");
    ASSERT_GE(end.size(), 3u) << ::testing::PrintToString(burn);
    EXPECT_EQ(Lines(end.begin(), end.begin() + 3),
              (Lines{"Write is complete and sucessful.", "Ejecting the disc >>>", "Process finished."}))
        << ::testing::PrintToString(burn);
    for (std::size_t i = 3; i < end.size(); ++i)
        EXPECT_TRUE(end[i] == "Unknown type media inserted" || end[i] == "No media inserted") << end[i];
    EXPECT_EQ(builder->kivProgressBar->Position(), 100);
    EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
    // The image holds the disc that was authored.
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(iso_);
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_NEAR(disc[0].length, 2.0, 0.3);
    EXPECT_TRUE(NoChildLeft());
}

} // namespace
