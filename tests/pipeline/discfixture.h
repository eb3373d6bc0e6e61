#pragma once
// What the tests that author real discs share: a window that records what is
// posted to it, multiplexed test titles, menu streams with buttons, the disc
// read back with lsdvd, and a working folder kept for a person to open when
// KELDARA_KEEP_TEST_OUTPUT=1.
#include "authorfixture.h"

#include "author/dvdauthorlib.h"
#include "base/xmltext.h"
#include "pipeline/authorlibrary.h"
#include "pipeline/handlemoviethread.h"
#include "rtl/sysutils.h"
#include "testmedia.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace disctest {

using namespace outsidetest;

struct Posted {
    UINT message = 0;
    WPARAM w = 0;
    LPARAM l = 0;
};

// A window on the test thread that records what is posted to it.
class Receiver {
public:
    Receiver() : hwnd_(AllocateHWnd(queue_, [this](UINT m, WPARAM w, LPARAM l) -> LRESULT {
                     got_.push_back({m, w, l});
                     return 0;
                 }))
    {
    }
    ~Receiver() { DeallocateHWnd(hwnd_); }
    HWND Handle() const { return hwnd_; }
    // The next message, or message 0 after timeoutMs.
    Posted Next(int timeoutMs = 180000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got_.empty() && std::chrono::steady_clock::now() < end) {
            MSG msg;
            if (queue_.Get(msg, 100) == GetResult::Message)
                DispatchMessage(msg);
        }
        if (got_.empty())
            return {};
        Posted p = got_.front();
        got_.erase(got_.begin());
        return p;
    }

private:
    MessageQueue queue_;
    HWND hwnd_;
    std::vector<Posted> got_;
};

// A worker the test owns and stops (the windows let theirs free themselves).
inline std::unique_ptr<HandleMovieThread> MakeWorker(HWND owner)
{
    return std::make_unique<HandleMovieThread>(false, owner);
}

// Multiplexes ready-made streams into folder/name.vob with the worker.
inline std::string MuxVob(const std::string& folder, const std::string& name, double seconds)
{
    Streams s = MakeStreams(folder, Disc::DvdPal, seconds, name);
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->StartMux(1, JoinPath(folder, name + ".vob"), s.video, s.audio);
    const Posted p = r.Next();
    if (p.message != MSG_MUX_DONE || p.w != kMuxSucceeded)
        throw std::runtime_error("the test title could not be multiplexed: " + worker->LastErrorText);
    return JoinPath(folder, name + ".vob");
}

// A PAL menu stream with `buttons` buttons stacked down the page: masks drawn
// with ffmpeg, the spumux description written; with xmlOut the description is
// only handed back (the author job muxes it), else spumux writes `out`.
inline void MakeMenu(const std::string& folder, const std::string& still, const std::string& out, int buttons,
                     std::string* xmlOut = nullptr)
{
    std::string boxes, xmlButtons;
    for (int i = 0; i < buttons; ++i) {
        const int y = 20 + i * 44;
        boxes += Format("%sdrawbox=x=100:y=%d:w=200:h=36:color=0x0000ff:t=fill", i ? "," : "", y);
        xmlButtons += Format("    <button x0=\"100\" y0=\"%d\" x1=\"300\" y1=\"%d\"/>\n", y, y + 36);
    }
    const std::string stem = JoinPath(folder, ExtractFileName(out));
    const std::string highlight = stem + "_highlight.png", select = stem + "_select.png";
    for (const auto& [png, colour] : {std::pair{highlight, "0x0000ff"}, std::pair{select, "0xff0000"}})
        if (Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=0x010101:s=720x576", "-vf",
                 StringReplace(boxes, "0x0000ff", colour, rfReplaceAll), "-frames:v", "1", "-pix_fmt", "rgb24",
                 png}) != 0)
            throw std::runtime_error("ffmpeg could not draw the menu masks");
    const std::string xml = stem + ".xml";
    WriteText(xml, "<subpictures>\n  <stream>\n    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\n"
                   "         highlight=\"" + XmlEscape(highlight) + "\"\n         select=\"" + XmlEscape(select) +
                       "\"\n         transparent=\"010101\" force=\"yes\" >\n" + xmlButtons +
                       "    </spu>\n  </stream>\n</subpictures>\n");
    if (xmlOut) {
        *xmlOut = xml;
        return;
    }
    AuthorLibrary lib;
    if (!lib.Load(AuthorLibrary::Counter::SubtitlePercent) || lib.SpumuxMain(xml, still, out) != AUTHOR_OK)
        throw std::runtime_error("menu spumux failed: " + lib.LastError());
}

// One title of an authored disc as lsdvd reads it.
struct DiscTitle {
    int chapters = 0;
    std::vector<double> starts;   // chapter starts in seconds
    double length = 0;
    std::string aspect;           // "4/3" or "16/9"
};

inline double Seconds(const std::string& hms)
{
    int h = 0, m = 0;
    double s = 0;
    std::sscanf(hms.c_str(), "%d:%d:%lf", &h, &m, &s);
    return h * 3600 + m * 60 + s;
}

// The disc's titles; empty when libdvdread cannot open it.
inline std::vector<DiscTitle> ReadDisc(const std::string& dest)
{
    std::string text;
    if (Run({"lsdvd", "-c", "-v", dest}, &text) != 0)
        return {};
    std::vector<DiscTitle> titles;
    std::istringstream lines(text);
    double start = 0;
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.starts_with("Title:")) {
            titles.emplace_back();
            start = 0;
            if (std::size_t l = line.find("Length: "); l != std::string::npos)
                titles.back().length = Seconds(line.substr(l + 8, 12));
        } else if (line.starts_with("Chapter:") && !titles.empty()) {
            titles.back().starts.push_back(start);
            titles.back().chapters++;
            if (std::size_t l = line.find("Length: "); l != std::string::npos)
                start += Seconds(line.substr(l + 8, 12));
        } else if (line.starts_with("VTS:") && !titles.empty()) {
            if (std::size_t a = line.find("Aspect ratio: "); a != std::string::npos)
                titles.back().aspect = line.substr(a + 14, line.find(',', a) - a - 14);
        }
    }
    return titles;
}

// One subpicture of a title set's stream as spuunmux reads it back: its times
// in the stream (titles follow each other) and its picture's PNG bytes.
struct Subpicture {
    double start = 0, end = 0;
    std::string png;
};

// The subpictures of the first stream of the title set's `vobs` (its parts in
// order), spuunmux writing into `folder`; empty when spuunmux fails.
inline std::vector<Subpicture> ReadSubpictures(const std::vector<std::string>& vobs, const std::string& folder)
{
    ForceDirectories(folder);
    std::vector<std::string> argv = {"spuunmux", "-o", folder + "/sp"};
    argv.insert(argv.end(), vobs.begin(), vobs.end());
    if (Run(argv) != 0) return {};
    const std::string xml = ReadText(folder + "/sp.xml");
    const auto attribute = [&](const std::string& name, std::size_t from) {
        const std::string key = " " + name + "=\"";
        const std::size_t at = xml.find(key, from);
        if (at == std::string::npos) return std::string();
        const std::size_t begin = at + key.size();
        return xml.substr(begin, xml.find('"', begin) - begin);
    };
    std::vector<Subpicture> pictures;
    for (std::size_t at = xml.find("<spu "); at != std::string::npos; at = xml.find("<spu ", at + 1)) {
        const std::string image = attribute("image", at);   // named with the output prefix: a whole path
        pictures.push_back({Seconds(attribute("start", at)), Seconds(attribute("end", at)),
                            ReadText(image.starts_with("/") ? image : folder + "/" + image)});
    }
    return pictures;
}

// The run's folders, with the working folder kept when a person asked for it.
class WorkerTest : public AuthorRunTest {
protected:
    void SetUp() override
    {
        AuthorRunTest::SetUp();
        if (const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT"); keep && std::string(keep) == "1") {
            kept_ = std::make_unique<OutputFolder>("keldara-disc");
            work_ = kept_->File("Work & \"Play\" 'Ünï'") + "/";
            ForceDirectories(work_);
            s_WorkFolderPath = work_;
        }
    }
    std::unique_ptr<OutputFolder> kept_;
};

} // namespace disctest
