#pragma once
// A run's surroundings for the authoring tests: a program folder, a working
// folder with a name XML must escape, the language table, and clips.
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "rtl/paths.h"
#include "testkit/tempfolder.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

// The clip's chapter record appended to MyDVDChapter, its points in clip time.
inline void AddTitleChapters(TQV_MovieImage* clip, std::initializer_list<double> times)
{
    DVDChapter chapter;
    chapter.Title = clip;
    for (double t : times) {
        chapter.ChapterTimes.SetLength(chapter.ChapterTimes.Length() + 1);
        chapter.ChapterTimes[chapter.ChapterTimes.Length() - 1] = t;
    }
    MyDVDChapter.SetLength(MyDVDChapter.Length() + 1);
    MyDVDChapter[MyDVDChapter.Length() - 1] = chapter;
}

class AuthorRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_ = folder_.File("program") + "/";
        ForceDirectories(program_ + "RES");
        SetProgramFolder(program_);
        work_ = folder_.File("Work & \"Play\" 'Ünï'") + "/";
        ForceDirectories(work_);
        s_WorkFolderPath = work_;
        LanguageCode.SetLength(2);
        LanguageCode[0] = "EN";
        LanguageCode[1] = "DE";
    }
    void TearDown() override
    {
        ReleaseProjectData();
        SetProgramFolder("");
    }

    TQV_MovieImage* AddClip(const std::string& outputName, int aspect = 1)
    {
        ClipPtr clip(new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length())));
        clip->SourcePath = work_ + outputName + ".avi";
        clip->OutputName = outputName + ".vob";
        clip->AspectIndex = aspect;
        clip->Duration = 60;
        clip->EndPoint = 60;
        TQV_MovieImage* raw = clip.get();
        MyMovieImage.Add(std::move(clip));
        return raw;
    }
    void AddChapters(TQV_MovieImage* clip, std::initializer_list<double> times) { AddTitleChapters(clip, times); }
    // The file's text with its CR LF line ends read as LF.
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::erase(text, '\r');
        return text;
    }
    static void Touch(const std::string& path, std::size_t bytes = 16)
    {
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    }

    testkit::TempFolder folder_{"keldara-author-run"};
    std::string program_, work_;
};
