#pragma once
// Settings files with the platform's profile-file rules: section and key names
// are case-insensitive, values are trimmed and lose one pair of surrounding
// quotes, every call reads or rewrites the file itself (no cache), comments and
// unknown lines survive a write, a new key goes to the end of its section and a
// new section to the end of the file. A value with blanks at its ends, or one that
// looks quoted, is written in quotes so it reads back as given. A write that fails,
// or a name or value with a line break (it would plant other keys), raises
// EIniFileException("Unable to write to %s"); callers decide what to do. Writes go
// to a temporary file beside the settings file and are renamed over it.
#include "rtl/export.h"
#include "rtl/system.h"

#include <string>

class TStrings;

class RTL_API TIniFile : public TObject {
public:
    explicit TIniFile(std::string fileName);
    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // StrToIntDef of the text: decimal, "$" and "0x" hex; anything else gives the fallback.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);   // "1"/"0"
    double ReadFloat(const std::string& section, const std::string& key, double fallback) const;
    void WriteFloat(const std::string& section, const std::string& key, double value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void ReadSection(const std::string& section, TStrings& keys) const;      // key names
    void ReadSections(TStrings& sections) const;
    void ReadSectionValues(const std::string& section, TStrings& lines) const; // "key=value"
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& key);
    void UpdateFile() {}   // writes are immediate

private:
    std::string fileName_;
};
