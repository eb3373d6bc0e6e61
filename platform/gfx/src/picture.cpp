// The picture holder and the registry of picture kinds by extension and class name.
#include "gfx/picture.h"

#include "gfx/bitmap.h"
#include "gfx/icon.h"
#include "gfx/jpeg.h"
#include "rtl/paths.h"

#include <map>
#include <mutex>

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, TPicture::TGraphicFactory> byExtension; // lower case, no dot
    std::map<std::string, TPicture::TGraphicFactory> byClass;

    Registry()
    {
        auto bitmap = [] { return std::make_unique<TBitmap>(); };
        auto jpeg = [] { return std::make_unique<TJPEGImage>(); };
        auto icon = [] { return std::make_unique<TIcon>(); };
        byExtension["bmp"] = bitmap;
        byExtension["dib"] = bitmap;
        for (const char* e : {"jpg", "jpeg", "jpe", "jfif"}) byExtension[e] = jpeg;
        byExtension["ico"] = icon;
        byClass["TBitmap"] = bitmap;
        byClass["TJPEGImage"] = jpeg;
        byClass["TIcon"] = icon;
    }

    static Registry& Get()
    {
        static Registry registry;
        return registry;
    }
};

std::string Key(const std::string& extension)
{
    std::string e = LowerCase(extension);
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    return e;
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const std::string& extension, const std::string&, TGraphicFactory factory)
{
    Registry& r = Registry::Get();
    std::lock_guard lock(r.mutex);
    r.byExtension[Key(extension)] = std::move(factory);
}

void TPicture::UnregisterFileFormat(const std::string& extension)
{
    Registry& r = Registry::Get();
    std::lock_guard lock(r.mutex);
    r.byExtension.erase(Key(extension));
}

void TPicture::RegisterClass(const std::string& className, TGraphicFactory factory)
{
    Registry& r = Registry::Get();
    std::lock_guard lock(r.mutex);
    r.byClass[className] = std::move(factory);
}

std::unique_ptr<TGraphic> TPicture::CreateGraphic(const std::string& extension)
{
    TGraphicFactory factory;
    {
        Registry& r = Registry::Get();
        std::lock_guard lock(r.mutex);
        auto it = r.byExtension.find(Key(extension));
        if (it == r.byExtension.end()) return nullptr;
        factory = it->second;
    }
    return factory();
}

std::unique_ptr<TGraphic> TPicture::CreateLike(const TGraphic& graphic)
{
    TGraphicFactory factory;
    {
        Registry& r = Registry::Get();
        std::lock_guard lock(r.mutex);
        auto it = r.byClass.find(graphic.ClassName());
        if (it == r.byClass.end()) return nullptr;
        factory = it->second;
    }
    return factory();
}

void TPicture::Hook()
{
    if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
}

void TPicture::Changed()
{
    if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* value)
{
    if (value == graphic_.get() && value) return;
    if (!value) {
        graphic_.reset();
        Changed();
        return;
    }
    std::unique_ptr<TGraphic> copy = CreateLike(*value);
    if (!copy) {
        // An unregistered kind is kept as a bitmap of its picture.
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(*value);
        copy = std::move(bitmap);
    } else {
        copy->Assign(*value);
    }
    graphic_ = std::move(copy);
    Hook();
    Changed();
}

TBitmap* TPicture::Bitmap()
{
    if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
    auto bitmap = std::make_unique<TBitmap>();
    if (graphic_) bitmap->Assign(*graphic_);
    graphic_ = std::move(bitmap);
    Hook();
    return static_cast<TBitmap*>(graphic_.get());
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& path)
{
    const std::string ext = Key(ExtractFileExt(path));
    std::unique_ptr<TGraphic> g = CreateGraphic(ext);
    if (!g) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    g->LoadFromFile(path);
    graphic_ = std::move(g);
    Hook();
    Changed();
}

void TPicture::SaveToFile(const std::string& path) const
{
    if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::Assign(const TPicture& source)
{
    if (&source == this) return;
    SetGraphic(source.graphic_.get());
}
