// The Author.xml writers: byte-exact texts of the three layouts with a
// working folder whose name needs escaping, the destination folder choice,
// chapter points in title time, and the failures that stop a run.
#include "authorfixture.h"

#include "base/xmltext.h"
#include "pipeline/authorxml.h"
#include "rtl/sysutils.h"

#include <cmath>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Fill(std::string text, const std::string& work, const std::string& dest)
{
    text = StringReplace(text, "{W}", XmlEscape(work), rfReplaceAll);
    return StringReplace(text, "{D}", XmlEscape(dest), rfReplaceAll);
}

const char* kMenuStreams = R"(         <video format="pal" aspect="4:3"
                resolution="720x576" />
         <audio format="ac3"
                quant="16bps" dolby="surround"
                samplerate="48khz" lang="EN"/>
)";

} // namespace

TEST_F(AuthorRunTest, ConvertLayoutIsWrittenByteForByte)
{
    AddClip("a&b");
    AddClip("Ünïcode \"q\"");
    AuthorXmlRun run;
    run.WithMenu = true;
    run.ClipCount = 2;
    ASSERT_TRUE(WriteConvertAuthorXml(run));
    const std::string m = kMenuStreams;
    const std::string expected = Fill(
        "<dvdauthor dest=\"{D}\">\n  <vmgm>\n      <menus lang=\"EN\">\n" + m +
            "         <subpicture lang=\"EN\"/>\n         <pgc entry=\"title\">\n"
            "        <vob file=\"{W}TitleSub.vob\" pause=\"inf\"/>\n"
            "        <button> jump title 1 ; </button>\n        <button> jump title 2 ; </button>\n"
            "         </pgc>\n      </menus>\n  </vmgm>\n  <titleset>\n      <menus lang=\"EN\">\n" + m +
            "         <subpicture lang=\"EN\"/>\n         <pgc>\n"
            "        <button> jump title 1 chapter  1; </button>\n"
            "        <button> jump title 2 chapter  1; </button>\n"
            "       <vob file=\"{W}TitleSub.vob\" pause=\"inf\"/>\n      </pgc>\n    </menus>\n      <titles>\n" + m +
            "        <pgc>\n          <vob file=\"{W}a&amp;b.vob\" chapters=\"00:00:00.00\" />\n"
            "          <post>jump title 2;</post>\n        </pgc>\n"
            "        <pgc>\n          <vob file=\"{W}Ünïcode &quot;q&quot;.vob\" chapters=\"00:00:00.00\" />\n"
            "          <post>call vmgm menu;</post>\n        </pgc>\n"
            "      </titles>\n  </titleset>\n</dvdauthor>\n",
        work_, work_ + "DVD_DISC");
    EXPECT_EQ(Read(AuthorXmlPath()), expected);
    EXPECT_FALSE(run.EncodeStage);
    EXPECT_EQ(run.Dest, work_ + "DVD_DISC");
}

TEST_F(AuthorRunTest, ConvertWithoutMenuWritesNothing)
{
    AddClip("a");
    Touch(AuthorXmlPath());
    AuthorXmlRun run;
    run.ClipCount = 1;
    EXPECT_FALSE(WriteConvertAuthorXml(run));
    EXPECT_TRUE(run.ErrorText.empty());
    EXPECT_TRUE(FileExists(AuthorXmlPath()));   // the window only swaps its buttons
}

TEST_F(AuthorRunTest, TitleMenuLayoutWithSubtitlesAndNoMenu)
{
    AddClip("one");
    TQV_MovieImage* two = AddClip("two");
    TQV_MovieImage* three = AddClip("three");
    two->SubtitleFile = "/x/two.srt";
    two->SubtitleLanguage = 1;
    three->SubtitleFile = "/x/three.srt";
    three->SubtitleLanguage = 0;
    for (const char* n : {"one", "two", "three"})
        Touch(work_ + n + ".vob", 3 * 1024 * 1024);
    AuthorXmlRun run;
    run.ClipCount = 3;
    run.Pal = false;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    const std::string expected = Fill(R"(<dvdauthor dest="{D}">
  <vmgm>
  </vmgm>
  <titleset>
      <titles>
         <video format="ntsc" aspect="4:3"
                resolution="720x480" />
         <audio format="ac3"
                quant="16bps" dolby="surround"
                samplerate="48khz" lang="EN"/>
          <subpicture lang="DE"/>
        <pgc>
          <vob file="{W}one.vob" chapters="00:00:00.00" />
          <post>jump title 2;</post>
        </pgc>
        <pgc>
          <pre> subtitle=64; </pre>
          <vob file="{W}two.vob" chapters="00:00:00.00" />
          <post>jump title 3;</post>
        </pgc>
        <pgc>
          <pre> subtitle=64; </pre>
          <vob file="{W}three.vob" chapters="00:00:00.00" />
          <post>call vmgm menu;</post>
        </pgc>
      </titles>
  </titleset>
</dvdauthor>
)",
                                      work_, work_ + "DVD_DISC");
    EXPECT_EQ(Read(AuthorXmlPath()), expected);
    EXPECT_EQ(run.AuthorTotalMB, 9);
}

TEST_F(AuthorRunTest, RegionsOutsideLanguageIniTakeRegionZero)
{
    // Language.ini is the user's file: it may hold fewer regions than the indices a run carries.
    TQV_MovieImage* clip = AddClip("one");
    clip->SubtitleFile = "/x/one.srt";
    Touch(work_ + "one.vob");
    for (int index : {2, -1, 1000}) {
        SCOPED_TRACE(index);
        clip->SubtitleLanguage = index;
        AuthorXmlRun run;
        run.ClipCount = 1;
        run.WithMenu = true;
        run.MenuLanguageIndex = index;
        ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
        const std::string xml = Read(AuthorXmlPath());
        EXPECT_NE(xml.find("<menus lang=\"EN\">"), std::string::npos) << xml;
        EXPECT_NE(xml.find("<subpicture lang=\"EN\"/>"), std::string::npos) << xml;
        EXPECT_EQ(xml.find("lang=\"DE\""), std::string::npos) << xml;
    }
    // A file without any region: the code its reader defaults to.
    LanguageCode.SetLength(0);
    AuthorXmlRun run;
    run.ClipCount = 1;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    EXPECT_NE(Read(AuthorXmlPath()).find("lang=\"EN\""), std::string::npos);
}

TEST_F(AuthorRunTest, AuthorXmlThatCannotBeWrittenEndsTheRunNamingTheFile)
{
    AddClip("one");
    Touch(work_ + "one.vob");
    Touch(AuthorXmlPath(), 50);   // an old file is replaced
    // A file-size limit makes the kernel refuse the write as a full disk would;
    // the child process carries the limit alone.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{200, 200};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AuthorXmlRun run;
        run.ClipCount = 1;
        run.WithMenu = true;
        bool written = true;
        try {
            written = WriteTitleMenuAuthorXml(run);
        } catch (...) {
            ::_exit(2);   // nothing may escape the writer
        }
        const bool named = run.ErrorText == "Can not write \n" + AuthorXmlPath() + ". \nProcess is terminated!";
        ::_exit(!written && named && run.EncodeStage ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // No half-written file is left for dvdauthor to read, and nothing beside it.
    EXPECT_FALSE(FileExists(AuthorXmlPath()));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(program_ + "RES"))
        left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.front();
}

TEST_F(AuthorRunTest, TitleMenuLayoutWithMenuIsWrittenByteForByte)
{
    AddClip("it's");
    TQV_MovieImage* b = AddClip("<Ü> & \"x\"");
    b->SubtitleFile = "/x/b.srt";
    b->SubtitleLanguage = 0;
    Touch(work_ + "it's.vob");
    Touch(work_ + "<Ü> & \"x\".vob");
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    run.MenuLanguageIndex = 1;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    const std::string m = StringReplace(kMenuStreams, "lang=\"EN\"", "lang=\"DE\"", rfReplaceAll);
    const std::string menu = "         <subpicture lang=\"DE\"/>\n";
    const std::string buttons = "         <pre> button = 1024; </pre>\n"
                                "        <vob file=\"{W}TitleSub.vob\" pause=\"inf\"/>\n"
                                "        <button> jump title 1 ; </button>\n"
                                "        <button> jump title 2 ; </button>\n"
                                "         </pgc>\n      </menus>\n";
    const std::string expected = Fill(
        "<dvdauthor dest=\"{D}\">\n  <vmgm>\n      <menus lang=\"DE\">\n" + m + menu +
            "         <pgc entry=\"title\">\n" + buttons + "  </vmgm>\n  <titleset>\n      <menus lang=\"DE\">\n" + m +
            menu + "         <pgc>\n" + buttons + "      <titles>\n" + m +
            "          <subpicture lang=\"EN\"/>\n"
            "        <pgc>\n          <vob file=\"{W}it&apos;s.vob\" chapters=\"00:00:00.00\" />\n"
            "          <post>jump title 2;</post>\n        </pgc>\n"
            "        <pgc>\n          <pre> subtitle=64; </pre>\n"
            "          <vob file=\"{W}&lt;Ü&gt; &amp; &quot;x&quot;.vob\" chapters=\"00:00:00.00\" />\n"
            "          <post>call vmgm menu;</post>\n        </pgc>\n"
            "      </titles>\n  </titleset>\n</dvdauthor>\n",
        work_, work_ + "DVD_DISC");
    EXPECT_EQ(Read(AuthorXmlPath()), expected);
}

TEST_F(AuthorRunTest, WideFirstClipAloneGetsNoPanScan)
{
    AddClip("wide", 2);
    AddClip("tv", 1);
    Touch(work_ + "wide.vob");
    Touch(work_ + "tv.vob");
    AuthorXmlRun run;
    run.ClipCount = 2;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run));
    const std::string text = Read(AuthorXmlPath());
    EXPECT_NE(text.find("aspect=\"16:9\"\n                resolution=\"720x576\"\n"
                        "                widescreen=\"nopanscan\" />"),
              std::string::npos)
        << text;
    // The second clip's aspect changes nothing; a 4:3 first clip never gets nopanscan.
    MyMovieImage[0]->AspectIndex = 1;
    MyMovieImage[1]->AspectIndex = 2;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run));
    EXPECT_EQ(Read(AuthorXmlPath()).find("nopanscan"), std::string::npos);
}

TEST_F(AuthorRunTest, TakenDestinationGetsTheNextFreeNumberAndTheVolumeFollows)
{
    AddClip("a");
    Touch(work_ + "a.vob");
    ForceDirectories(work_ + "MYDISC");
    ForceDirectories(work_ + "MYDISC_1");
    AuthorXmlRun run;
    run.ClipCount = 1;
    run.VolumeName = "MYDISC";
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run));
    EXPECT_EQ(run.Dest, work_ + "MYDISC_2");
    EXPECT_EQ(run.VolumeName, "MYDISC_2");
    EXPECT_TRUE(Read(AuthorXmlPath()).starts_with("<dvdauthor dest=\"" + XmlEscape(work_) + "MYDISC_2\">\n"));
}

TEST_F(AuthorRunTest, MissingTitleVobStopsTheRun)
{
    AddClip("here");
    AddClip("gone");
    Touch(work_ + "here.vob");
    AuthorXmlRun run;
    run.ClipCount = 2;
    EXPECT_FALSE(WriteTitleMenuAuthorXml(run));
    EXPECT_EQ(run.ErrorText, "Can not find \n" + work_ + "gone.vob. \nProcess is terminated!");
}

TEST_F(AuthorRunTest, TextXmlCannotCarryIsRefused)
{
    AddClip(std::string("bad\x01name"));
    AddClip(std::string("half\xC3"));
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    EXPECT_FALSE(WriteConvertAuthorXml(run));
    EXPECT_NE(run.ErrorText.find("bad\x01name"), std::string::npos);
    EXPECT_FALSE(FileExists(AuthorXmlPath()));
}

TEST(ChapterPoints, AreWrittenInTitleTime)
{
    // The Part's own example, untrimmed.
    EXPECT_EQ(TitleChapterSeconds({0, 600.7, 1200}, 0, 3600), (std::vector<int>{0, 600, 1200}));
    // Trim start taken off; points before it or past the encoded end dropped; sorted, no repeats.
    EXPECT_EQ(TitleChapterSeconds({0, 30, 12.5, 12.9, 95, 200}, 10, 90), (std::vector<int>{0, 2, 20, 85}));
    EXPECT_EQ(TitleChapterSeconds({}, 0, 10), (std::vector<int>{0}));
    EXPECT_EQ(TitleChapterSeconds({5, std::nan("")}, 0, 0), (std::vector<int>{0, 5}));
    // 64.1 - 4.1 falls a rounding hair short of 60: still the 60th second, as the page shows it.
    EXPECT_EQ(TitleChapterSeconds({4.1, 34.1, 64.1, 64.0999}, 4.1, 100), (std::vector<int>{0, 30, 59, 60}));
    // Buttons: a dropped point jumps to the chapter before it.
    const std::vector<int> written{0, 2, 20, 85};
    EXPECT_EQ(ChapterOfPoint(written, 0, 10), 1);
    EXPECT_EQ(ChapterOfPoint(written, 12.9, 10), 2);
    EXPECT_EQ(ChapterOfPoint(written, 30, 10), 3);
    EXPECT_EQ(ChapterOfPoint(written, 200, 10), 4);
}

TEST_F(AuthorRunTest, ChapterMenuLayoutIsWrittenByteForByte)
{
    TQV_MovieImage* a = AddClip("a");
    TQV_MovieImage* b = AddClip("b");
    b->StartPoint = 100;
    b->EndPoint = 400;
    AddChapters(a, {0, 600.7, 1200});
    AddChapters(b, {0, 100, 1000});   // 100 is the trim start, 1000 lies past the end
    Touch(work_ + "a.vob");
    Touch(work_ + "b.vob");
    Touch(program_ + "MainSubP.vob");
    a->EndPoint = 3600;
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    ASSERT_TRUE(WriteChapterMenuAuthorXml(run)) << run.ErrorText;
    const std::string m = kMenuStreams;
    const std::string expected = Fill(
        "<dvdauthor dest=\"{D}\">\n  <vmgm>\n      <menus lang=\"EN\">\n" + m +
            "         <subpicture lang=\"EN\"/>\n         <pgc entry=\"title\">\n"
            "         <pre> button = 1024; </pre>\n"
            "        <vob file=\"" + XmlEscape(program_) + "MainSubP.vob\" pause=\"10\"/>\n"
            "          <post> jump titleset 1 menu ; </post>\n"
            "        <button> jump title 1 ;</button>\n        <button> jump titleset 1 menu ;</button>\n"
            "         </pgc>\n      </menus>\n  </vmgm>\n  <titleset>\n      <menus lang=\"EN\">\n"
            "         <subpicture lang=\"EN\"/>\n         <pgc entry=\"root\">\n"
            "         <pre> button = 2048; </pre>\n        <vob file=\"{W}TitleSub.vob\" pause=\"inf\"/>\n"
            "          <button> jump vmgm menu ; </button>\n"
            "        <button> jump menu 2; </button>\n        <button> jump menu 3; </button>\n         </pgc>\n"
            "         <pgc>\n          <pre> button = 2048; </pre>\n"
            "        <vob file=\"{W}ChapterSub_0.vob\" pause=\"inf\"/>\n          <button> jump menu 1 ; </button>\n"
            "        <button> jump title 1 chapter 1 ; </button>\n"
            "        <button> jump title 1 chapter 2 ; </button>\n"
            "        <button> jump title 1 chapter 3 ; </button>\n         </pgc>\n"
            "         <pgc>\n          <pre> button = 2048; </pre>\n"
            "        <vob file=\"{W}ChapterSub_1.vob\" pause=\"inf\"/>\n          <button> jump menu 1 ; </button>\n"
            "        <button> jump title 2 chapter 1 ; </button>\n"
            "        <button> jump title 2 chapter 1 ; </button>\n"
            "        <button> jump title 2 chapter 1 ; </button>\n         </pgc>\n"
            "      </menus>\n      <titles>\n" + m +
            "        <pgc>\n          <vob file=\"{W}a.vob\" chapters=\"0, 00:10:00.00, 00:20:00.00\" />\n"
            "          <post>jump title 2 ;</post>\n        </pgc>\n"
            "        <pgc>\n          <vob file=\"{W}b.vob\" chapters=\"00:00:00.00\" />\n"
            "          <post>call vmgm menu;</post>\n        </pgc>\n"
            "      </titles>\n  </titleset>\n</dvdauthor>\n",
        work_, work_ + "DVD_DISC");
    EXPECT_EQ(Read(AuthorXmlPath()), expected);
}

TEST_F(AuthorRunTest, ChapterMenuNeedsTheMainMenuStream)
{
    TQV_MovieImage* a = AddClip("a");
    AddChapters(a, {});
    Touch(work_ + "a.vob");
    Touch(AuthorXmlPath());
    AuthorXmlRun run;
    run.ClipCount = 1;
    run.WithMenu = true;
    run.Pal = false;
    SetDataFolders({program_});   // no stream delivered anywhere
    EXPECT_FALSE(WriteChapterMenuAuthorXml(run));
    EXPECT_EQ(run.ErrorText, "Can not find \"" + program_ + "MainSubN.vob\".");
    EXPECT_FALSE(FileExists(AuthorXmlPath()));
    // With the stream there, an empty chapter list gives chapters="0".
    Touch(program_ + "MainSubN.vob");
    ASSERT_TRUE(WriteChapterMenuAuthorXml(run));
    EXPECT_NE(Read(AuthorXmlPath()).find("a.vob\" chapters=\"0\" />"), std::string::npos);
    SetDataFolders({});
}

TEST_F(AuthorRunTest, ReadOnlyInstallTakesTheMainMenuStreamsDeliveredWithTheProgram)
{
    // The program folder holds no streams of its own: those built beside the executable are named.
    TQV_MovieImage* a = AddClip("a");
    AddChapters(a, {0});
    Touch(work_ + "a.vob");
    for (bool pal : {true, false}) {
        const std::string stream = ExecutableFolder() + (pal ? "MainSubP.vob" : "MainSubN.vob");
        ASSERT_TRUE(FileExists(stream));
        AuthorXmlRun run;
        run.ClipCount = 1;
        run.WithMenu = true;
        run.Pal = pal;
        ASSERT_TRUE(WriteChapterMenuAuthorXml(run)) << run.ErrorText;
        EXPECT_NE(Read(AuthorXmlPath()).find("<vob file=\"" + XmlEscape(stream) + "\" pause=\"10\"/>"),
                  std::string::npos);
    }
}

TEST_F(AuthorRunTest, ChapterPointsFollowTheTrimTheEncoderWasGiven)
{
    // A clip that cannot seek is encoded whole: its trim is not applied.
    TQV_MovieImage* still = AddClip("noseek");
    still->SupportsSeek = false;
    still->StartPoint = 10;
    still->EndPoint = 40;
    AddChapters(still, {0, 20, 50});
    // An untrimmed clip is encoded to its very end, past its whole-second end point.
    TQV_MovieImage* whole = AddClip("whole");
    whole->VideoDuration = whole->Duration = 59.6;
    whole->EndPoint = 59;
    AddChapters(whole, {0, 30, 59.3});
    for (const char* n : {"noseek", "whole"})
        Touch(work_ + n + ".vob");
    Touch(program_ + "MainSubP.vob");
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    ASSERT_TRUE(WriteChapterMenuAuthorXml(run)) << run.ErrorText;
    const std::string text = Read(AuthorXmlPath());
    EXPECT_NE(text.find("noseek.vob\" chapters=\"0, 00:00:20.00, 00:00:50.00\""), std::string::npos) << text;
    EXPECT_NE(text.find("whole.vob\" chapters=\"0, 00:00:30.00, 00:00:59.00\""), std::string::npos) << text;
}

TEST_F(AuthorRunTest, TitlesWithoutAClipRaiseRangeErrors)
{
    AddClip("a");
    Touch(work_ + "a.vob");
    MyMovieImage.SetLength(2);   // an empty slot
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    EXPECT_THROW(WriteConvertAuthorXml(run), ERangeError);
    EXPECT_THROW(WriteTitleMenuAuthorXml(run), ERangeError);
    run.ClipCount = 3;           // more titles than clips
    MyMovieImage.SetLength(1);
    EXPECT_THROW(WriteTitleMenuAuthorXml(run), ERangeError);
}

TEST_F(AuthorRunTest, MenuDesignerRunAuthorsTheChosenVobFilesThemselves)
{
    TQV_MovieImage* clip = AddClip("ignored");
    clip->SourcePath = folder_.File("My <Films>/holiday.VOB");
    ForceDirectories(folder_.File("My <Films>"));
    Touch(clip->SourcePath, 2 * 1024 * 1024);
    AuthorXmlRun run;
    run.ClipCount = 1;
    run.WithMenu = true;
    run.FromMenuDesigner = true;
    ASSERT_TRUE(WriteConvertAuthorXml(run));
    // The file as it is spelt: the file system tells ".VOB" from ".vob".
    const std::string line = "<vob file=\"" + XmlEscape(clip->SourcePath) + "\" chapters=\"00:00:00.00\" />";
    EXPECT_NE(Read(AuthorXmlPath()).find(line), std::string::npos);
    EXPECT_EQ(run.AuthorTotalMB, 2);
    clip->SourcePath = folder_.File("My <Films>/holiday.mpg");   // any other title gets ".vob"
    ASSERT_TRUE(WriteConvertAuthorXml(run));
    EXPECT_NE(Read(AuthorXmlPath()).find(XmlEscape(folder_.File("My <Films>/holiday.vob")) + "\" chapters"),
              std::string::npos);
}
