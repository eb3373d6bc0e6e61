#include "skin/kivresources.h"

#include "kivresourcedata.h"

#include "gfx/bitmap.h"
#include "rtl/classes.h"

namespace {

const KivResourceBlob* Find(const std::string& name)
{
    for (int i = 0; i < kKivResourceCount; ++i)
        if (!name.empty() && SameText(kKivResources[i].name, name)) return &kKivResources[i];
    return nullptr;
}

} // namespace

void LoadBitmapResource(const std::string& name, TBitmap& bitmap)
{
    const KivResourceBlob* blob = Find(name);
    if (!blob) throw EResNotFound(Format("Resource %s not found", name));
    TMemoryStream stream;
    stream.WriteBuffer(blob->data, blob->size);
    stream.SetPosition(0);
    bitmap.LoadFromStream(stream);
}

bool HasBitmapResource(const std::string& name) { return Find(name) != nullptr; }

std::vector<std::string> BitmapResourceNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < kKivResourceCount; ++i) names.emplace_back(kKivResources[i].name);
    return names;
}
