#include "shell/programpictures.h"

#include "gfx/bitmap.h"
#include "win32/progfolders.h"

#include <exception>
#include <string>

bool LoadProgramPicture(const char* name, TBitmap& bitmap)
{
    const std::string path = FindDataFile(std::string("BMP/") + name);
    if (path.empty()) return false;
    try {
        TBitmap loaded;
        loaded.LoadFromFile(path);
        if (loaded.Empty()) return false;
        bitmap.Assign(loaded);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
