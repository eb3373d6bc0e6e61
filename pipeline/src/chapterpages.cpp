#include "pipeline/chapterpages.h"

#include "pipeline/titlestill.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

namespace {

std::string PageName(const char* stem, int page, const char* tail)
{
    return stem + IntToStr(page) + tail;
}

} // namespace

std::string ChapterBackgroundPath(int page)
{
    return ProgramFolder() + "RES/" + PageName("Chapter_", page, "_backbitmap.bmp");
}

std::string ChapterMenuXmlPath(int page, bool pal)
{
    return ProgramFolder() + "RES/" + PageName("Chapter_", page, pal ? "_P.xml" : "_N.xml");
}

std::string ChapterStillPath(const std::string& workFolder, int page)
{
    return IncludeTrailingPathDelimiter(workFolder) + PageName("Chapter_", page, ".vob");
}

std::string ChapterSubPath(const std::string& workFolder, int page)
{
    return IncludeTrailingPathDelimiter(workFolder) + PageName("ChapterSub_", page, ".vob");
}

bool EncodeChapterStill(int page, bool pal, const std::string& workFolder, std::string* why)
{
    return EncodeMenuStill(ChapterBackgroundPath(page), pal, ChapterStillPath(workFolder, page), why);
}

bool FitsAuthorBuffer(const std::string& path)
{
    return path.size() <= kAuthorPathLimit;
}
