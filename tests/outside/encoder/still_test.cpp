// Menu stills: a DVD program stream that spumux takes as a menu with one button
// and dvdauthor authors as a menu.
#include "encoder_helpers.h"
#include "testkit/tempfolder.h"

#include <fstream>
#include <vector>

namespace {

bool RunTool(const std::vector<std::string>& argv, const std::string& in = {}, const std::string& out = {},
         std::string* errors = nullptr)
{
    ProcessSpec spec;
    spec.argv = argv;
    spec.stdinFile = in;
    spec.stdoutFile = out;
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 120000);
    if (errors) *errors = r.errors;
    return r.Succeeded();
}

TEST(StillEncode, ProgramStreamOfPacksAcceptedBySpumuxAndDvdauthor)
{
    for (int standard : {2, 1}) {
        testkit::TempFolder folder;
        const int h = standard == 2 ? 576 : 480;
        std::vector<unsigned char> rows(720 * h * 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 720; ++x) {
                unsigned char* p = &rows[(y * 720 + x) * 3];
                p[0] = static_cast<unsigned char>(x);   // blue
                p[1] = static_cast<unsigned char>(y);
                p[2] = 200;                             // red
            }
        std::string still = folder.File("title.mpg");
        ASSERT_EQ(MPEG2StillEncode(rows.data(), 1, standard, still.c_str()), 0);

        auto v = ProbeMap(still, "stream=codec_name,width,height,display_aspect_ratio", "v");
        EXPECT_EQ(v["codec_name"], "mpeg2video");
        EXPECT_EQ(v["height"], std::to_string(h));
        EXPECT_EQ(v["display_aspect_ratio"], "4:3");
        std::ifstream in(still, std::ios::binary | std::ios::ate);
        auto size = static_cast<long>(in.tellg());
        EXPECT_GT(size, 0);
        EXPECT_EQ(size % 2048, 0);
        in.seekg(0);
        unsigned char head[4] = {};
        in.read(reinterpret_cast<char*>(head), 4);
        EXPECT_EQ(head[3], 0xBA);   // starts with a pack header

        // Its video stream ends with the sequence end code, so its last picture counts as whole.
        std::string video = folder.File("still.m2v");
        ASSERT_TRUE(RunTool({"ffmpeg", "-v", "error", "-y", "-i", still, "-map", "0:v", "-c", "copy", "-f", "mpeg2video",
                             video}));
        std::ifstream es(video, std::ios::binary | std::ios::ate);
        ASSERT_GT(static_cast<long>(es.tellg()), 4);
        es.seekg(-4, std::ios::end);
        unsigned char tail[4] = {};
        es.read(reinterpret_cast<char*>(tail), 4);
        EXPECT_EQ(std::vector<unsigned char>(tail, tail + 4), (std::vector<unsigned char>{0, 0, 1, 0xB7}));

        std::string mask = folder.File("mask.png");
        ASSERT_TRUE(RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                         "color=c=red:s=200x60,format=rgba,pad=720:" + std::to_string(h) + ":100:100:color=black@0",
                         "-frames:v", "1", mask}));
        std::string xml = folder.File("menu.xml");
        std::ofstream(xml) << "<subpictures><stream><spu force=\"yes\" start=\"00:00:00.00\" highlight=\"" << mask
                           << "\" select=\"" << mask << "\" autooutline=\"infer\" autoorder=\"rows\"/></stream></subpictures>\n";
        std::string errors;
        EXPECT_TRUE(RunTool({"spumux", "-m", "dvd", xml}, still, folder.File("menu.mpg"), &errors)) << errors;
        EXPECT_NE(errors.find("button"), std::string::npos) << errors;

        // dvdauthor takes the still with its button as a menu, and the still alone as a title.
        std::string author = folder.File("author.xml");
        std::ofstream(author) << "<dvdauthor dest=\"" << folder.File("DVD") << "\"><vmgm/><titleset><menus><pgc>"
                              << "<button>jump title 1;</button><vob file=\"" << folder.File("menu.mpg")
                              << "\" pause=\"inf\"/></pgc></menus><titles><pgc><vob file=\"" << still
                              << "\"/></pgc></titles></titleset></dvdauthor>\n";
        ProcessSpec spec;
        spec.argv = {"dvdauthor", "-x", author};
        spec.extraEnv = {{"VIDEO_FORMAT", standard == 2 ? "PAL" : "NTSC"}};
        spec.captureOutput = true;
        ProcessResult r = RunProcess(spec, 120000);
        EXPECT_TRUE(r.Succeeded()) << r.errors;
        std::ifstream menu(folder.File("DVD/VIDEO_TS/VTS_01_0.VOB"), std::ios::binary | std::ios::ate);
        EXPECT_GT(static_cast<long>(menu.tellg()), 2048) << r.errors;
    }
}

TEST(StillEncode, BadArgumentsAreRefused)
{
    testkit::TempFolder folder;
    std::vector<unsigned char> rows(720 * 576 * 3);
    EXPECT_NE(MPEG2StillEncode(rows.data(), 1, 3, folder.File("a.mpg").c_str()), 0);
    EXPECT_NE(MPEG2StillEncode(nullptr, 1, 2, folder.File("b.mpg").c_str()), 0);
    EXPECT_NE(MPEG2StillEncode(rows.data(), 1, 2, nullptr), 0);
    EXPECT_NE(MPEG2StillEncode(rows.data(), 1, 2, (folder.Path() + "/no/such/dir/c.mpg").c_str()), 0);
}

} // namespace
