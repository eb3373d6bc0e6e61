// The shared FreeType engine: fontconfig finds the files, faces and rendered
// glyphs are cached, and one lock guards all of it (FreeType objects are not
// safe to share between threads).
#include "fontengine.h"

#include "gfx/fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace {

struct Resolved {
    std::string file;
    int index = 0;
    bool synthBold = false;
    bool synthItalic = false;
};

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<std::uint8_t> coverage; // width * rows, 0..255
};

// The desktop's family names and the installed families that stand in for
// them, best first.
struct Alias {
    const char* name;
    const char* families[3];
};
constexpr Alias kAliases[] = {
    {"Arial", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"Helvetica", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"Arial Narrow", {"Liberation Sans Narrow", "Liberation Sans", nullptr}},
    {"Times New Roman", {"Liberation Serif", "DejaVu Serif", nullptr}},
    {"Times", {"Liberation Serif", "DejaVu Serif", nullptr}},
    {"Courier New", {"Liberation Mono", "DejaVu Sans Mono", nullptr}},
    {"Courier", {"Liberation Mono", "DejaVu Sans Mono", nullptr}},
    {"Tahoma", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"Microsoft Sans Serif", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"MS Shell Dlg", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"MS Shell Dlg 2", {"Liberation Sans", "DejaVu Sans", nullptr}},
    {"Verdana", {"DejaVu Sans", "Liberation Sans", nullptr}},
    {"Segoe UI", {"DejaVu Sans", "Liberation Sans", nullptr}},
    {"System", {"Liberation Sans", "DejaVu Sans", nullptr}},
};

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

class Engine {
public:
    static Engine& Get()
    {
        static Engine engine;
        return engine;
    }

    std::mutex mutex;

    ~Engine()
    {
        for (auto& [key, face] : faces_) FT_Done_Face(face);
        if (library_) FT_Done_FreeType(library_);
        FcFini(); // fontconfig keeps its configuration until told to let go
    }

    bool InstalledFamily(const std::string& family)
    {
        auto it = installed_.find(family);
        if (it != installed_.end()) return it->second;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        const bool found = set && set->nfont > 0;
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        installed_[family] = found;
        return found;
    }

    std::string MapFamily(const std::string& family)
    {
        if (InstalledFamily(family)) return family;
        for (const Alias& a : kAliases) {
            if (!SameName(a.name, family)) continue;
            for (const char* f : a.families)
                if (f && InstalledFamily(f)) return f;
        }
        return family;
    }

    Resolved Resolve(const std::string& family, bool bold, bool italic)
    {
        const auto key = std::make_tuple(family, bold, italic);
        auto it = resolved_.find(key);
        if (it != resolved_.end()) return it->second;
        Resolved r;
        const std::string mapped = MapFamily(family);
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(mapped.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        if (match) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                r.file = reinterpret_cast<const char*>(file);
            int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) r.index = index;
            FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match, FC_SLANT, 0, &slant);
            r.synthBold = bold && weight < FC_WEIGHT_DEMIBOLD;
            r.synthItalic = italic && slant == FC_SLANT_ROMAN;
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        resolved_[key] = r;
        return r;
    }

    FT_Face Face(const Resolved& r)
    {
        if (r.file.empty() || !library_) return nullptr;
        const auto key = std::make_pair(r.file, r.index);
        auto it = faces_.find(key);
        if (it != faces_.end()) return it->second;
        FT_Face face = nullptr;
        if (FT_New_Face(library_, r.file.c_str(), r.index, &face) != 0) face = nullptr;
        if (face) FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        faces_[key] = face;
        return face;
    }

    // The face and pixel size a font draws with.
    struct Sized {
        FT_Face face = nullptr;
        // Faces asked in turn for a character the font lacks: a Latin one
        // rich in symbols, then one with the CJK ideographs.
        std::array<FT_Face, 2> fallback{};
        int ppem = 0;
        std::array<int, 2> fallbackPpem{};
        bool synthBold = false;
        bool synthItalic = false;
        bool antiAliased = false;
    };

    Sized Prepare(const TFont& font)
    {
        Sized s;
        const bool bold = font.Style().Contains(fsBold), italic = font.Style().Contains(fsItalic);
        const Resolved r = Resolve(font.Name(), bold, italic);
        s.face = Face(r);
        s.synthBold = r.synthBold;
        s.synthItalic = r.synthItalic;
        s.antiAliased = font.Quality() == fqAntialiased || font.Quality() == fqClearType ||
                        font.Quality() == fqClearTypeNatural || font.Quality() == fqProof;
        if (!s.face) return s;
        s.ppem = PixelSize(s.face, font.Height());
        SetSize(s.face, s.ppem);
        static constexpr const char* kFallbacks[] = {"DejaVu Sans", "WenQuanYi Micro Hei"};
        for (std::size_t i = 0; i < s.fallback.size(); ++i) {
            FT_Face f = Face(Resolve(kFallbacks[i], bold, italic));
            if (f == s.face || (i > 0 && f == s.fallback[0])) continue;
            s.fallback[i] = f;
            if (f) s.fallbackPpem[i] = PixelSize(f, font.Height());
        }
        return s;
    }

    // Negative heights are the em size; positive ones the whole cell.
    static int PixelSize(FT_Face face, int height)
    {
        if (height < 0) return std::max(1, -height);
        if (height == 0) return 13;
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        double cell = os2 && (os2->usWinAscent + os2->usWinDescent) > 0
                          ? os2->usWinAscent + os2->usWinDescent
                          : static_cast<double>(face->ascender - face->descender);
        if (cell <= 0 || face->units_per_EM == 0) return height;
        return std::max(1, static_cast<int>(std::lround(height * face->units_per_EM / cell)));
    }

    void SetSize(FT_Face face, int ppem)
    {
        auto it = sizes_.find(face);
        if (it != sizes_.end() && it->second == ppem) return;
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
        sizes_[face] = ppem;
    }

    EngineMetrics Metrics(const Sized& s)
    {
        EngineMetrics m;
        if (!s.face) {
            m.ascent = std::max(1, s.ppem);
            m.height = m.ascent;
            return m;
        }
        FT_Face f = s.face;
        const double scale = static_cast<double>(s.ppem) / f->units_per_EM;
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const TT_HoriHeader* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
        double asc = f->ascender, desc = -f->descender;
        if (os2 && os2->version != 0xFFFF && (os2->usWinAscent + os2->usWinDescent) > 0) {
            asc = os2->usWinAscent;
            desc = os2->usWinDescent;
        }
        // The ascent rounds up so accents are never cut; the descent rounds to nearest.
        m.ascent = static_cast<int>(std::ceil(asc * scale - 1e-6));
        m.descent = static_cast<int>(std::lround(desc * scale));
        m.height = m.ascent + m.descent;
        m.internalLeading = std::max(0, m.height - s.ppem);
        if (hhea) {
            const double gap = hhea->Line_Gap - ((asc + desc) - (hhea->Ascender - hhea->Descender));
            m.externalLeading = std::max(0, static_cast<int>(std::lround(gap * scale)));
        }
        const double average = LetterAverage(f);
        if (average > 0) m.aveCharWidth = static_cast<int>(std::lround(average * scale));
        else if (os2 && os2->xAvgCharWidth > 0) m.aveCharWidth = static_cast<int>(std::lround(os2->xAvgCharWidth * scale));
        else m.aveCharWidth = Advance(s, 'x');
        m.maxCharWidth = static_cast<int>(std::lround(f->max_advance_width * scale));
        m.underlineThickness = std::max(1, static_cast<int>(std::lround(f->underline_thickness * scale)));
        m.underlinePosition = std::max(1, static_cast<int>(std::lround(-f->underline_position * scale)) -
                                              m.underlineThickness / 2);
        if (os2 && os2->yStrikeoutPosition > 0)
            m.strikeOutPosition = static_cast<int>(std::lround(os2->yStrikeoutPosition * scale));
        else m.strikeOutPosition = m.ascent / 3;
        m.fixedPitch = FT_IS_FIXED_WIDTH(f);
        if (s.synthBold) m.aveCharWidth += 1;
        return m;
    }

    // The average width as the desktop computes it: lower-case letters and the
    // blank weighted by their frequency in English text (font units). Newer
    // fonts store an average over all glyphs instead, which runs wider.
    static double LetterAverage(FT_Face f)
    {
        static const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                        56, 17, 4,  49, 56, 71,  31, 10, 18, 3,  18, 2, 166};
        double sum = 0;
        for (int i = 0; i < 27; ++i) {
            const FT_ULong cp = i < 26 ? static_cast<FT_ULong>('a' + i) : ' ';
            const FT_UInt index = FT_Get_Char_Index(f, cp);
            FT_Fixed advance = 0;
            if (index == 0 || FT_Get_Advance(f, index, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
            sum += static_cast<double>(advance) * weights[i];
        }
        return sum / 1000.0;
    }

    // Glyph of a code point, from the font or else the first fallback face that has it.
    const Glyph* Find(const Sized& s, char32_t cp)
    {
        if (!s.face) return nullptr;
        FT_Face face = s.face;
        int ppem = s.ppem;
        FT_UInt index = FT_Get_Char_Index(face, cp);
        for (std::size_t i = 0; index == 0 && cp >= 0x20 && i < s.fallback.size(); ++i) {
            if (!s.fallback[i]) continue;
            if (const FT_UInt alt = FT_Get_Char_Index(s.fallback[i], cp)) {
                face = s.fallback[i];
                ppem = s.fallbackPpem[i];
                index = alt;
            }
        }
        const auto key = std::make_tuple(face, ppem, index, s.antiAliased, s.synthBold, s.synthItalic);
        auto it = glyphs_.find(key);
        if (it != glyphs_.end()) return &it->second;
        if (glyphs_.size() > 20000) glyphs_.clear();
        Glyph& g = glyphs_[key];
        SetSize(face, ppem);
        const FT_Int32 load = s.antiAliased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | load) != 0) return &g;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (s.synthBold) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
            if (s.synthItalic) {
                FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};
                FT_Outline_Transform(&slot->outline, &shear);
            }
        }
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6) + (s.synthBold ? 1 : 0);
        if (FT_Render_Glyph(slot, s.antiAliased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return &g;
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.coverage.assign(static_cast<std::size_t>(g.width) * g.rows, 0);
        for (int y = 0; y < g.rows; ++y) {
            const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < g.width; ++x) {
                int v = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
                g.coverage[static_cast<std::size_t>(y) * g.width + x] = static_cast<std::uint8_t>(v);
            }
        }
        SetSize(s.face, s.ppem);
        return &g;
    }

    int Advance(const Sized& s, char32_t cp)
    {
        const Glyph* g = Find(s, cp);
        return g ? g->advance : 0;
    }

private:
    Engine()
    {
        FcInit();
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }

    FT_Library library_ = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> faces_;
    std::map<FT_Face, int> sizes_;
    std::map<std::tuple<std::string, bool, bool>, Resolved> resolved_;
    std::map<std::string, bool> installed_;
    std::map<std::tuple<FT_Face, int, FT_UInt, bool, bool, bool>, Glyph> glyphs_;
};

// UTF-8 decoding; a byte that starts no valid sequence stands for itself
// (Latin-1), so texts from old settings files still show.
char32_t NextChar(std::string_view s, std::size_t& i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    if (c >= 0xC2 && c < 0xE0 && cont(1)) {
        char32_t cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
        i += 2;
        return cp;
    }
    if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
        char32_t cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                      (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
        i += 3;
        return cp;
    }
    if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
        char32_t cp = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
                      ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) |
                      (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
        i += 4;
        return cp;
    }
    ++i;
    return c;
}

bool Invisible(char32_t cp) { return cp == '\r' || cp == '\n'; }

} // namespace

namespace fontengine {

EngineMetrics Metrics(const TFont& font)
{
    Engine& e = Engine::Get();
    std::lock_guard lock(e.mutex);
    return e.Metrics(e.Prepare(font));
}

int TextWidth(const TFont& font, std::string_view text)
{
    Engine& e = Engine::Get();
    std::lock_guard lock(e.mutex);
    const Engine::Sized s = e.Prepare(font);
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = NextChar(text, i);
        if (Invisible(cp)) continue;
        if (cp == '\t') cp = ' ';
        width += e.Advance(s, cp);
    }
    return width;
}

void Render(const TFont& font, std::string_view text, const std::function<void(int, int, int)>& plot)
{
    Engine& e = Engine::Get();
    std::lock_guard lock(e.mutex);
    const Engine::Sized s = e.Prepare(font);
    const EngineMetrics m = e.Metrics(s);
    int pen = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = NextChar(text, i);
        if (Invisible(cp)) continue;
        if (cp == '\t') cp = ' ';
        const Glyph* g = e.Find(s, cp);
        if (!g) continue;
        for (int y = 0; y < g->rows; ++y)
            for (int x = 0; x < g->width; ++x) {
                const int c = g->coverage[static_cast<std::size_t>(y) * g->width + x];
                if (c) plot(pen + g->left + x, m.ascent - g->top + y, c);
            }
        pen += g->advance;
    }
}

bool AntiAliased(const TFont& font)
{
    return font.Quality() == fqAntialiased || font.Quality() == fqClearType ||
           font.Quality() == fqClearTypeNatural || font.Quality() == fqProof;
}

} // namespace fontengine

// ---------------------------------------------------------------------------
// Public font lookups

namespace {

struct FileAlias {
    const char* file;
    const char* family;
    bool bold;
    bool italic;
};
constexpr FileAlias kFileAliases[] = {
    {"arial.ttf", "Arial", false, false},        {"arialbd.ttf", "Arial", true, false},
    {"ariali.ttf", "Arial", false, true},        {"arialbi.ttf", "Arial", true, true},
    {"times.ttf", "Times New Roman", false, false}, {"timesbd.ttf", "Times New Roman", true, false},
    {"timesi.ttf", "Times New Roman", false, true}, {"timesbi.ttf", "Times New Roman", true, true},
    {"cour.ttf", "Courier New", false, false},   {"courbd.ttf", "Courier New", true, false},
    {"couri.ttf", "Courier New", false, true},   {"courbi.ttf", "Courier New", true, true},
    {"tahoma.ttf", "Tahoma", false, false},      {"tahomabd.ttf", "Tahoma", true, false},
    {"verdana.ttf", "Verdana", false, false},    {"verdanab.ttf", "Verdana", true, false},
    {"verdanai.ttf", "Verdana", false, true},    {"verdanaz.ttf", "Verdana", true, true},
    {"micross.ttf", "Microsoft Sans Serif", false, false},
};

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

namespace {

// ANSI for a font that draws every printable Latin-1 character, symbol for
// one without a single Latin letter, the default set for anything between.
TFontCharset CharsetOf(FcPattern* font)
{
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch || !chars) return DEFAULT_CHARSET;
    bool latin1 = true, letters = false;
    for (FcChar32 c = 0x20; c <= 0xFF; ++c) {
        if (c >= 0x7F && c < 0xA0) continue;
        const bool has = FcCharSetHasChar(chars, c);
        latin1 = latin1 && has;
        letters = letters || (has && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')));
    }
    return latin1 ? ANSI_CHARSET : letters ? DEFAULT_CHARSET : SYMBOL_CHARSET;
}

std::string FcText(FcPattern* font, const char* object)
{
    FcChar8* text = nullptr;
    if (FcPatternGetString(font, object, 0, &text) != FcResultMatch || !text) return {};
    return reinterpret_cast<const char*>(text);
}

// One installed face as the lists report it (sizes not yet filled in).
TFontFamily FaceEntry(FcPattern* font)
{
    TFontFamily f;
    f.Name = FcText(font, FC_FAMILY);
    FcBool outline = FcFalse;
    FcPatternGetBool(font, FC_OUTLINE, 0, &outline);
    const std::string format = FcText(font, FC_FONTFORMAT);
    f.FontType = outline && (format == "TrueType" || format == "CFF") ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
    f.FixedPitch = spacing == FC_MONO || spacing == FC_CHARCELL;
    f.CharSet = CharsetOf(font);
    return f;
}

// Calls `each` for every installed face, of one family or ("") of all.
template <class Each>
void ListFaces(const std::string& family, Each each)
{
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_OUTLINE, FC_SPACING, FC_FONTFORMAT, FC_CHARSET, FC_FILE,
                                            FC_INDEX, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i)
        if (!FcText(set->fonts[i], FC_FAMILY).empty()) each(set->fonts[i]);
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
}

bool NameLess(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// The installed fonts, as fontconfig lists them.
class TFontconfigEnumerator : public IFontEnumerator {
public:
    std::vector<TFontFamily> Families() override
    {
        std::vector<TFontFamily> out;
        Engine& e = Engine::Get();
        std::lock_guard lock(e.mutex);
        ListFaces("", [&](FcPattern* font) {
            TFontFamily face = FaceEntry(font);
            auto same = std::find_if(out.begin(), out.end(), [&](const TFontFamily& f) { return SameName(f.Name, face.Name); });
            if (same == out.end()) {
                out.push_back(face);
                return;
            }
            // One entry a family: scalable when any face is, with its widest character set.
            if (face.FontType & TRUETYPE_FONTTYPE) same->FontType = TRUETYPE_FONTTYPE;
            if (face.CharSet == ANSI_CHARSET || same->CharSet == SYMBOL_CHARSET) same->CharSet = face.CharSet;
        });
        for (const Alias& a : kAliases) {
            const std::string mapped = e.MapFamily(a.name);
            if (!SameName(mapped, a.name) && e.InstalledFamily(mapped)) {
                TFontFamily f;
                f.Name = a.name;
                f.FontType = TRUETYPE_FONTTYPE;
                f.FixedPitch = std::string_view(a.name).find("Courier") != std::string_view::npos;
                f.CharSet = ANSI_CHARSET;
                out.push_back(f);
            }
        }
        std::sort(out.begin(), out.end(), [](const TFontFamily& a, const TFontFamily& b) { return NameLess(a.Name, b.Name); });
        out.erase(std::unique(out.begin(), out.end(),
                              [](const TFontFamily& a, const TFontFamily& b) { return SameName(a.Name, b.Name); }),
                  out.end());
        return out;
    }

    std::vector<TFontFamily> FamilyFonts(const std::string& family) override
    {
        std::vector<TFontFamily> out;
        if (family.empty()) return out;
        Engine& e = Engine::Get();
        std::lock_guard lock(e.mutex);
        bool scalable = false;
        ListFaces(family, [&](FcPattern* font) {
            TFontFamily face = FaceEntry(font);
            if (face.FontType & TRUETYPE_FONTTYPE) {
                if (!scalable) out.insert(out.begin(), face);
                scalable = true;
                return;
            }
            // A bitmap face lists each of its sizes: cell height and the part of it above the em.
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return;
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            FT_Face f = e.Face(Resolved{reinterpret_cast<const char*>(file), index});
            if (!f) return;
            for (int k = 0; k < f->num_fixed_sizes; ++k) {
                const FT_Bitmap_Size& size = f->available_sizes[k];
                TFontFamily entry = face;
                entry.CellHeight = size.height;
                const int em = size.y_ppem > 0 ? static_cast<int>((size.y_ppem + 32) >> 6) : size.height;
                entry.InternalLeading = std::max(0, size.height - em);
                out.push_back(entry);
            }
        });
        if (scalable) out.resize(1); // a scalable family comes in every size
        if (out.empty()) {
            // A desktop name standing for an installed family.
            const std::string mapped = e.MapFamily(family);
            if (!SameName(mapped, family) && e.InstalledFamily(mapped)) {
                TFontFamily f;
                f.Name = family;
                f.FontType = TRUETYPE_FONTTYPE;
                f.CharSet = ANSI_CHARSET;
                out.push_back(f);
            }
        }
        return out;
    }
};

std::mutex g_enumeratorMutex;
IFontEnumerator* g_enumerator = nullptr; // set by tests

} // namespace

IFontEnumerator& FontEnumerator()
{
    static TFontconfigEnumerator installed;
    std::lock_guard lock(g_enumeratorMutex);
    return g_enumerator ? *g_enumerator : installed;
}

void SetFontEnumerator(IFontEnumerator* enumerator)
{
    std::lock_guard lock(g_enumeratorMutex);
    g_enumerator = enumerator;
}

std::vector<TFontFamily> EnumFontFamilies() { return FontEnumerator().Families(); }

std::vector<TFontFamily> EnumFontFamily(const std::string& family) { return FontEnumerator().FamilyFonts(family); }

std::vector<std::string> ScreenFonts()
{
    std::vector<std::string> names;
    for (const TFontFamily& f : EnumFontFamilies()) names.push_back(f.Name);
    return names;
}

std::string ResolveFontFamily(const std::string& family)
{
    Engine& e = Engine::Get();
    std::lock_guard lock(e.mutex);
    return e.MapFamily(family);
}

std::string ResolveFontFile(const std::string& family, TFontStyles style)
{
    Engine& e = Engine::Get();
    std::lock_guard lock(e.mutex);
    return e.Resolve(family, style.Contains(fsBold), style.Contains(fsItalic)).file;
}

std::string FindFontFile(const std::string& fileName)
{
    const std::string wanted = BaseName(fileName);
    if (wanted.empty()) return {};
    {
        Engine& e = Engine::Get();
        std::lock_guard lock(e.mutex);
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        std::string found;
        for (int i = 0; set && i < set->nfont && found.empty(); ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file) {
                const std::string path = reinterpret_cast<const char*>(file);
                if (SameName(BaseName(path), wanted)) found = path;
            }
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        if (!found.empty()) return found;
    }
    for (const FileAlias& a : kFileAliases) {
        if (!SameName(a.file, wanted)) continue;
        TFontStyles style;
        if (a.bold) style.Include(fsBold);
        if (a.italic) style.Include(fsItalic);
        return ResolveFontFile(a.family, style);
    }
    return {};
}

TTextMetric FontMetrics(const TFont& font)
{
    const EngineMetrics m = fontengine::Metrics(font);
    TTextMetric t;
    t.tmHeight = m.height;
    t.tmAscent = m.ascent;
    t.tmDescent = m.descent;
    t.tmInternalLeading = m.internalLeading;
    t.tmExternalLeading = m.externalLeading;
    t.tmAveCharWidth = m.aveCharWidth;
    t.tmMaxCharWidth = m.maxCharWidth;
    t.tmWeight = font.Style().Contains(fsBold) ? 700 : 400;
    t.tmItalic = font.Style().Contains(fsItalic);
    t.tmUnderlined = font.Style().Contains(fsUnderline);
    t.tmStruckOut = font.Style().Contains(fsStrikeOut);
    t.tmFixedPitch = m.fixedPitch;
    return t;
}
