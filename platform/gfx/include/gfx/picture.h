#pragma once
// A picture holder of any registered kind, chosen by file extension:
// "bmp", "jpg"/"jpeg", "ico"; other layers register more (PNG).
#include "gfx/export.h"
#include "gfx/graphics.h"

#include <functional>
#include <memory>
#include <string>

class TBitmap;

class GFX_API TPicture : public TObject {
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(const TGraphic* value); // a copy of value (same kind); null clears
    // The picture as a bitmap: a bitmap made (and kept) when the graphic is another kind.
    TBitmap* Bitmap();
    int Width() const;
    int Height() const;

    // EInvalidGraphic("Unknown picture file extension (.%s)") for an unknown kind.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;
    void Assign(const TPicture& source);
    void Assign(const TGraphic* source) { SetGraphic(source); }

    using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
    // Extension without the dot, case-insensitive. Later registrations win.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   TGraphicFactory factory);
    static void UnregisterFileFormat(const std::string& extension);
    static std::unique_ptr<TGraphic> CreateGraphic(const std::string& extension); // null when unknown
    // Makes an empty graphic of the same kind as the given one (by ClassName).
    static std::unique_ptr<TGraphic> CreateLike(const TGraphic& graphic);
    static void RegisterClass(const std::string& className, TGraphicFactory factory);

    TNotifyEvent OnChange;

private:
    void Changed();
    void Hook();
    std::unique_ptr<TGraphic> graphic_;
};
