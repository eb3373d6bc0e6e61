#pragma once
// Theme files (".kiv"): a 24-byte header, then 77-byte entry records each
// followed by its data, ended by an empty terminator record.
#include "rtl/classes.h"
#include "rtl/sysutils.h"

#include <cstdint>
#include <span>
#include <string>

// A file that fails the format test.
KELDARA_EXCEPTION(EKivThemeFileError, Exception);
inline constexpr const char* kInvalidSkinFile = "Invalid skin file for Kivarna!";
inline constexpr const char* kKivThemeFilter = "Kivarna Theme File(*.kiv)|*.kiv";

enum : std::uint8_t { kivEntryFile = 0, kivEntryInteger = 1, kivEntryBool = 2, kivEntryString = 3 };
constexpr int KIV_HEADER_SIZE = 24;
constexpr int KIV_RECORD_SIZE = 77;
constexpr int KIV_NAME_SIZE = 64;
// Integer entries named "...Int" are lengths and offsets in pixels (borders,
// corners, a form's least width); a file holding one past this many is refused.
constexpr int KIV_MAX_LENGTH = 1024;

// Whether the file starts with the theme magic; false for a missing file.
bool IsKIVThemeFile(const std::string& fileName);

class TkivThemeFileWriter {
public:
    explicit TkivThemeFileWriter(std::string fileName);
    // Writes the file (errors are swallowed here: call Save to see them).
    ~TkivThemeFileWriter();
    void AddFile(const std::string& name, const std::string& filePath);
    void AddInteger(const std::string& name, int value);
    void AddBool(const std::string& name, bool value);
    void AddStr(const std::string& name, const std::string& value);
    void Save();

private:
    std::string fileName_;
    TStringList files_, integers_, bools_, strings_;
};

class TkivThemeFileReader {
public:
    // Loads at once; the framework's file errors for an unreadable file,
    // EKivThemeFileError for one that breaks the format or holds a length
    // past KIV_MAX_LENGTH.
    explicit TkivThemeFileReader(const std::string& fileName);
    // A theme held in memory (the embedded theme of a form).
    explicit TkivThemeFileReader(std::span<const std::uint8_t> data);
    ~TkivThemeFileReader();

    // The entry's stream at position 0 (owned by the reader), nullptr when none.
    TMemoryStream* GetFile(const std::string& name) const;
    int GetInteger(const std::string& name) const; // -1 when missing
    bool GetBool(const std::string& name) const;   // false when missing
    std::string GetStr(const std::string& name) const;

    const TStringList& Files() const { return files_; }
    const TStringList& Integers() const { return integers_; }
    const TStringList& Bools() const { return bools_; }
    const TStringList& Strings() const { return strings_; }

private:
    void Load(std::span<const std::uint8_t> data);
    TStringList files_, integers_, bools_, strings_;
};
