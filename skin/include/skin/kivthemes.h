#pragma once
// The five built-in looks and their 48-item theme table (items numbered from 1),
// the lookups skinned controls draw from, and the reader object a theme-file
// component fetches the same items through.
#include <cstdint>
#include <memory>
#include <string>

class TBitmap;
class TComponent;
class TkivThemeFileReader;

enum TkivUIStyle : std::uint8_t { FromThemeFile = 0, MacOS = 1, WinXP = 2, DeepBlue = 3, Protein = 4, BlueGlass = 5 };
enum TkivType : std::uint8_t { kivInt = 0, kivColor = 1, kivStr = 2, kivBool = 3 };

constexpr int KIV_THEME_ITEM_COUNT = 48;

// Name of item n (1..48; "" outside), also the entry name in theme files.
std::string GetThemeItemName(int item);
TkivType GetThemeItemType(int item);

// Loads the item's picture for the style: count 0 the whole picture, else
// strip index (1-based) of count equal strips. Items that are no picture leave
// the bitmap alone. An item naming no resource raises the resource error.
void GetInsideThemeBitmap(TkivUIStyle style, int item, TBitmap* bitmap, int count = 0, int index = 0);
int GetInsideThemeColor(TkivUIStyle style, int item);  // 0 unless a colour item
int GetInsideThemeInt(TkivUIStyle style, int item);    // -1 unless an integer item
bool GetInsideThemeBool(TkivUIStyle style, int item);  // false unless a flag item
// The resource name of a picture item ("" otherwise).
std::string GetInsideThemeResourceName(TkivUIStyle style, int item);

// The style a new control takes from its owner: the UIStyle of the first
// skinned form frame among the form's components, DeepBlue otherwise.
TkivUIStyle GetKIVFormStyle(const TComponent* component);

// Items of one theme file, fetched by item number.
class TkivFileThemeMgr {
public:
    TkivFileThemeMgr();
    ~TkivFileThemeMgr();
    // False when the file does not exist; raises the reader's errors for a bad file.
    bool LoadFromFile(const std::string& fileName);
    // Keeps an already loaded reader (the embedded theme loads from memory).
    void SetReader(std::unique_ptr<TkivThemeFileReader> reader);
    void GetBitmap(int item, TBitmap* bitmap) const;
    bool GetBool(int item) const;
    int GetColor(int item) const;
    int GetInt(int item) const;
    TkivThemeFileReader* Reader() const { return reader_.get(); }

private:
    std::unique_ptr<TkivThemeFileReader> reader_;
};
