#include "rtl/classes.h"
#include "rtl/inifiles.h"
#include "rtl/sysutils.h"
#include "tempfolder.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const kConfig =
    "; written by the program\r\n"
    "[Config]\r\n"
    "Working Folder=/media/data/DVDTemp/\r\n"
    "Convert Engine=0\r\n"
    "Output Setup=1\r\n"
    "Add DVD Menu=1\r\n"
    "DVDSize = 4300 \r\n"
    "VCDSize=\"600\"\r\n"
    "DVDSPM=30\r\n"
    "\r\n"
    "; sizes per minute of the CD kinds\r\n"
    "[Other]\r\n"
    "SVCDSPM=22\r\n";

const char* const kLanguage =
    "[Region]\n"
    "RegionCount=3\n"
    "\n"
    "[Region0]\n"
    "RegionLanguage=English\n"
    "LanguageCode=EN\n"
    "CharacterSet=ISO-8859-1\n"
    "RegionFontFileName=LiberationSans-Regular.ttf\n"
    "\n"
    "[Region1]\n"
    "RegionLanguage=Chinese (Simplified)\n"
    "LanguageCode=ZH\n"
    "CharacterSet=GB2312\n"
    "\n"
    "[Region2]\n"
    "RegionLanguage=Japanese\n"
    "LanguageCode=JA\n"
    "CharacterSet=Shift_JIS\n";

} // namespace

TEST(IniFile, ReadsConfigWithCaseTrimQuotesAndDefaults)
{
    TempFolder dir;
    WriteBytes(dir / "Config.ini", kConfig);
    TIniFile ini(dir / "Config.ini");
    EXPECT_EQ(ini.ReadString("Config", "Working Folder", "DVDFOLDER"), "/media/data/DVDTemp/");
    EXPECT_EQ(ini.ReadString("config", "WORKING FOLDER", ""), "/media/data/DVDTemp/");
    EXPECT_EQ(ini.ReadInteger("Config", "Convert Engine", 1), 0);
    EXPECT_TRUE(ini.ReadBool("Config", "Output Setup", false));
    EXPECT_EQ(ini.ReadInteger("Config", "DVDSize", 0), 4300);      // blanks around the value trimmed
    EXPECT_EQ(ini.ReadString("Config", "VCDSize", ""), "600");     // one pair of quotes stripped
    EXPECT_EQ(ini.ReadInteger("Config", "VCDSize", 0), 600);
    EXPECT_EQ(ini.ReadInteger("Config", "SVCDSPM", 22), 22);       // that key is in another section
    EXPECT_EQ(ini.ReadInteger("Other", "SVCDSPM", 0), 22);
    EXPECT_EQ(ini.ReadInteger("Config", "Working Folder", -5), -5); // not a number: the default
    EXPECT_EQ(ini.ReadString("Missing", "x", "dflt"), "dflt");
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_FALSE(ini.SectionExists("Region"));
    EXPECT_TRUE(ini.ValueExists("Config", "dvdspm"));
    EXPECT_FALSE(ini.ValueExists("Config", "; written by the program"));

    TStringList keys;
    ini.ReadSection("Config", keys);
    EXPECT_EQ(keys.CommaText(), "\"Working Folder\",\"Convert Engine\",\"Output Setup\",\"Add DVD Menu\",DVDSize,VCDSize,DVDSPM");
    ini.ReadSections(keys);
    EXPECT_EQ(keys.CommaText(), "Config,Other");
    ini.ReadSectionValues("Config", keys);
    EXPECT_EQ(keys.Values("VCDSize"), "600");

    TIniFile missing(dir / "none.ini");
    EXPECT_EQ(missing.ReadInteger("Config", "DVDSize", 4300), 4300);
    EXPECT_FALSE(FileExists(dir / "none.ini"));                     // reading never creates it
}

TEST(IniFile, ReadsLanguageFileWithLfBreaks)
{
    TempFolder dir;
    WriteBytes(dir / "Language.ini", kLanguage);
    TIniFile ini(dir / "Language.ini");
    const int count = ini.ReadInteger("Region", "RegionCount", 1);
    ASSERT_EQ(count, 3);
    std::vector<std::string> codes;
    for (int i = 0; i < count; ++i)
        codes.push_back(ini.ReadString("Region" + IntToStr(i), "LanguageCode", "EN"));
    EXPECT_EQ(codes, (std::vector<std::string>{"EN", "ZH", "JA"}));
    EXPECT_EQ(ini.ReadString("Region1", "RegionLanguage", ""), "Chinese (Simplified)");
    EXPECT_EQ(ini.ReadString("Region0", "RegionFontFileName", ""), "LiberationSans-Regular.ttf");
    EXPECT_EQ(ini.ReadString("Region3", "CharacterSet", "ISO-8859-1"), "ISO-8859-1");

    // A write keeps the file's own LF breaks.
    ini.WriteString("Region2", "RegionFontFileName", "ipag.ttf");
    const std::string text = ReadBytes(dir / "Language.ini");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("CharacterSet=Shift_JIS\nRegionFontFileName=ipag.ttf\n"), std::string::npos);
}

TEST(IniFile, WritesUpdateInPlaceAppendToSectionAndKeepEverythingElse)
{
    TempFolder dir;
    WriteBytes(dir / "Config.ini", kConfig);
    TIniFile ini(dir / "Config.ini");
    ini.WriteString("CONFIG", "working folder", "NOFOLDER");       // existing key: same line, its own spelling
    ini.WriteInteger("Config", "VCDSPM", 13);                      // new key: after the last key line
    ini.WriteString("Other", "Extra", "x");
    ini.WriteBool("Fresh", "Flag", true);                          // new section: end of the file
    EXPECT_EQ(ReadBytes(dir / "Config.ini"),
              "; written by the program\r\n"
              "[Config]\r\n"
              "Working Folder=NOFOLDER\r\n"
              "Convert Engine=0\r\n"
              "Output Setup=1\r\n"
              "Add DVD Menu=1\r\n"
              "DVDSize = 4300 \r\n"
              "VCDSize=\"600\"\r\n"
              "DVDSPM=30\r\n"
              "VCDSPM=13\r\n"
              "\r\n"
              "; sizes per minute of the CD kinds\r\n"
              "[Other]\r\n"
              "SVCDSPM=22\r\n"
              "Extra=x\r\n"
              "[Fresh]\r\n"
              "Flag=1\r\n");
    EXPECT_EQ(ini.ReadString("Config", "Working Folder", ""), "NOFOLDER");

    ini.DeleteKey("config", "dvdspm");
    EXPECT_FALSE(ini.ValueExists("Config", "DVDSPM"));
    ini.EraseSection("other");
    EXPECT_FALSE(ini.SectionExists("Other"));
    EXPECT_EQ(ini.ReadInteger("Fresh", "Flag", 0), 1);
    EXPECT_NE(ReadBytes(dir / "Config.ini").find("; written by the program\r\n[Config]"), std::string::npos);
}

TEST(IniFile, FirstWriteCreatesTheFileInDefaultOrder)
{
    TempFolder dir;
    TIniFile ini(dir / "Config.ini");
    ini.WriteString("Config", "Working Folder", "/srv/DVDTemp/");
    ini.WriteString("Config", "Convert Engine", "0");
    ini.WriteString("Config", "Output Setup", "1");
    ini.WriteFloat("Config", "Ratio", 1.5);
    EXPECT_EQ(ReadBytes(dir / "Config.ini"),
              "[Config]\r\nWorking Folder=/srv/DVDTemp/\r\nConvert Engine=0\r\nOutput Setup=1\r\nRatio=1.5\r\n");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "Ratio", 0), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "Working Folder", 2.5), 2.5);
    // No temporary files are left beside it.
    EXPECT_EQ(ListFolder(dir.Path(), "*", ListKind::All), (std::vector<std::string>{"Config.ini"}));
}

TEST(IniFile, ValuesReadBackExactlyAndLineBreaksAreRefused)
{
    TempFolder dir;
    TIniFile ini(dir / "x.ini");
    ini.WriteString("S", "padded", "  two  ");
    ini.WriteString("S", "quoted", "\"q\"");
    ini.WriteString("S", "empty", "");
    ini.WriteString("S", "hex", "0x10");
    EXPECT_EQ(ini.ReadString("S", "padded", ""), "  two  ");
    EXPECT_EQ(ini.ReadString("S", "quoted", ""), "\"q\"");
    EXPECT_EQ(ini.ReadString("S", "empty", "fallback"), "");       // present but empty is not absent
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "empty", 7), 7);
    const std::string before = ReadBytes(dir / "x.ini");
    EXPECT_THROW(ini.WriteString("S", "evil", "1\r\n[Config]\r\nWorking Folder=/"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "a=b", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S]", "a", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "", "1"), EIniFileException);
    EXPECT_EQ(ReadBytes(dir / "x.ini"), before);
}

TEST(IniFile, UnwritablePlacesRaiseAndKeepTheOldFile)
{
    TempFolder dir;
    TIniFile nowhere(dir / "no/such/folder/Config.ini");
    try {
        nowhere.WriteString("Config", "DVDSize", "4300");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + (dir / "no/such/folder/Config.ini"));
    }
    WriteBytes(dir / "file", "x");
    EXPECT_THROW(TIniFile(dir / "file/Config.ini").WriteInteger("A", "b", 1), EIniFileException);

    // A folder the user may not write to: the file stays as it was.
    ForceDirectories(dir / "ro");
    WriteBytes(dir / "ro/Config.ini", kConfig);
    chmod((dir / "ro").c_str(), 0555);
    EXPECT_EQ(AsUnprivilegedUser(dir.Path(), [&]() -> std::string {
                  try {
                      TIniFile(dir / "ro/Config.ini").WriteString("Config", "DVDSize", "1");
                      return "a write into a read-only folder raised nothing";
                  } catch (const EIniFileException&) {
                      return "";
                  }
              }),
              "");
    chmod((dir / "ro").c_str(), 0755);
    EXPECT_EQ(ReadBytes(dir / "ro/Config.ini"), kConfig);
}

TEST(IniFile, KeepsBomPermissionsAndLinks)
{
    TempFolder dir;
    WriteBytes(dir / "real.ini", "\xEF\xBB\xBF[A]\r\nk=v\r\n");
    chmod((dir / "real.ini").c_str(), 0640);
    ASSERT_EQ(symlink((dir / "real.ini").c_str(), (dir / "link.ini").c_str()), 0);
    TIniFile ini(dir / "link.ini");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "v");                  // the mark is not part of "[A]"
    ini.WriteString("A", "k", "w");
    struct stat st;
    ASSERT_EQ(lstat((dir / "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat((dir / "real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadBytes(dir / "real.ini"), "\xEF\xBB\xBF[A]\r\nk=w\r\n");
}

TEST(IniFile, DuplicateSectionsAndKeysUseTheFirst)
{
    TempFolder dir;
    WriteBytes(dir / "d.ini", "k=orphan\r\n[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n");
    TIniFile ini(dir / "d.ini");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "j", "none"), "none");
    ini.WriteString("A", "k", "9");
    EXPECT_EQ(ReadBytes(dir / "d.ini"), "k=orphan\r\n[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n");
}

TEST(IniFile, ConcurrentWritersLoseNothing)
{
    TempFolder dir;
    TIniFile ini(dir / "c.ini");
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) ini.WriteInteger(Format("S%d", t), Format("k%d", i), i);
        });
    for (auto& w : writers) w.join();
    for (int t = 0; t < 4; ++t) {
        TStringList keys;
        ini.ReadSection(Format("S%d", t), keys);
        EXPECT_EQ(keys.Count(), 10);
    }
}

TEST(IniFile, ManySectionsAndKeysAreListedOnceEach)
{
    // 50,000 sections (830 KB): each listed once, a repeated one folded, in file order.
    TempFolder dir;
    std::string text;
    for (int i = 0; i < 50000; ++i) text += "[S" + std::to_string(i) + "]\nk=v\n";
    text += "[s7]\n[Keys]\n";
    for (int i = 0; i < 50000; ++i) text += Format("K%d=%d\n", i, i);
    text += "k7=again\n";
    WriteBytes(dir / "Big.ini", text);
    TIniFile ini(dir / "Big.ini");
    TStringList sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.Count(), 50001);
    EXPECT_EQ(sections.Strings(49999), "S49999");
    EXPECT_EQ(sections.Strings(50000), "Keys");
    TStringList keys, values;
    ini.ReadSection("Keys", keys);
    EXPECT_EQ(keys.Count(), 50000);
    ini.ReadSectionValues("keys", values);
    ASSERT_EQ(values.Count(), 50000);
    EXPECT_EQ(values.Strings(7), "K7=7");   // the first of a repeated key counts
    ini.EraseSection("s7");
    EXPECT_FALSE(ini.SectionExists("S7"));
    EXPECT_TRUE(ini.SectionExists("S8"));
    ini.DeleteKey("Keys", "k7");
    EXPECT_FALSE(ini.ValueExists("Keys", "K7"));
    EXPECT_EQ(ini.ReadString("Keys", "K8", ""), "8");
}
