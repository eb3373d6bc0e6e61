#include "com/registry.h"

#include "rtl/paths.h"
#include "testregistry.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

} // namespace

TEST(Registry, PlatformCallsStoreAndAnswerValues)
{
    ScopedTestRegistry registry;
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Keldara\\Test", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char text[] = "C:\\Program Files\\\"quoted\"";
    ASSERT_EQ(RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
    DWORD number = 0x00200000;
    ASSERT_EQ(RegSetValueExA(key, "Merit", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4), ERROR_SUCCESS);
    BYTE blob[] = {0, 1, 2, 0xFF};
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);   // closed handles are refused, not reused

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\keldara\\TEST", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof text);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    char buffer[64];
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, text);
    DWORD read = 0;
    size = 4;
    ASSERT_EQ(RegQueryValueExA(key, "Merit", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, number);
    BYTE back[8];
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExA(key, "", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::vector<BYTE>(back, back + size), std::vector<BYTE>(blob, blob + sizeof blob));
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Keldara"), ERROR_ACCESS_DENIED);   // has a subkey
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Keldara"), ERROR_SUCCESS);
    EXPECT_EQ(ReadRegistry()->Find("HKCU\\Software\\Keldara"), nullptr);
}

TEST(Registry, ClassesRootIsTheMachineAndUserClassesKey)
{
    ScopedTestRegistry registry;
    ASSERT_TRUE(UpdateRegistry([](RegistryTree& tree) {
        tree.Create("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{X}")->SetValue(RegValue::String("", "one"));
        return true;
    }));
    auto tree = ReadRegistry();
    ASSERT_NE(tree->Find("HKCR\\clsid\\{x}"), nullptr);
    EXPECT_EQ(tree->Find("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{X}")->Value("")->AsString(), "one");
    EXPECT_EQ(RegistryTree::CanonicalPath("HKEY_NOWHERE\\A"), "");
}

TEST(Registry, TextRoundTripsEveryValueKind)
{
    RegistryTree tree;
    RegKey* key = tree.Create("HKCU\\Software\\Round");
    key->SetValue(RegValue::String("", "default"));
    key->SetValue(RegValue::String("Quote\"d", "back\\slash \"and\" quotes \xC3\xA9"));
    key->SetValue(RegValue::String("Lines", "one\ntwo"));
    key->SetValue(RegValue::Dword("Number", 0xDEADBEEF));
    std::vector<BYTE> big(100);
    for (int i = 0; i < 100; ++i) big[std::size_t(i)] = BYTE(i * 7);
    key->SetValue(RegValue::Binary("Blob", big));
    key->SetValue(RegValue::String("Expand", "%HOME%/x", REG_EXPAND_SZ));
    key->SetValue(RegValue::String("Multi", std::string("a\0bc", 4), REG_MULTI_SZ));
    tree.Create("HKCR\\Empty\\Key");

    std::string text = tree.ToText();
    RegistryTree back;
    std::string error;
    ASSERT_TRUE(back.Import(text, &error)) << error;
    const RegKey* k = back.Find("HKCU\\Software\\Round");
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(k->Values().size(), key->Values().size());
    for (const RegValue& v : key->Values()) {
        const RegValue* w = k->Value(v.name);
        ASSERT_NE(w, nullptr) << v.name;
        EXPECT_EQ(w->type, v.type) << v.name;
        EXPECT_EQ(w->data, v.data) << v.name;
    }
    EXPECT_NE(back.Find("HKCR\\Empty\\Key"), nullptr);
}

TEST(Registry, ImportsRegistryFilesInUtf16AndRegedit4)
{
    ScopedTestRegistry registry;
    std::string file = "Windows Registry Editor Version 5.00\r\n\r\n"
                       "; filters of the encoder\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Orvane\\Audio]\r\n"
                       "\"Name\"=\"Audio \\\"Encoder\\\"\"\r\n"
                       "\"Rate\"=dword:0000ac44\r\n"
                       "\"Data\"=hex:01,02,\\\r\n"
                       "  03,ff\r\n"
                       "\"Wide\"=hex(2):41,00,42,00,00,00\r\n"
                       "@=\"default\"\r\n"
                       "\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Orvane\\Old]\r\n"
                       "\"Gone\"=-\r\n";
    ASSERT_TRUE(UpdateRegistry([](RegistryTree& tree) {
        tree.Create("HKCU\\Software\\Orvane\\Old")->SetValue(RegValue::String("Gone", "x"));
        tree.Create("HKCU\\Software\\Orvane\\Doomed\\Child");
        return true;
    }));
    std::string error;
    ASSERT_TRUE(ImportRegistryText(Utf16Le(file), &error)) << error;
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\Orvane\\Doomed]\n", &error)) << error;

    auto tree = ReadRegistry();
    const RegKey* audio = tree->Find("HKCU\\Software\\Orvane\\Audio");
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->Value("Name")->AsString(), "Audio \"Encoder\"");
    EXPECT_EQ(audio->Value("Rate")->AsDword(), 44100u);
    EXPECT_EQ(audio->Value("Data")->data, (std::vector<BYTE>{1, 2, 3, 0xFF}));
    EXPECT_EQ(audio->Value("Wide")->type, REG_EXPAND_SZ);
    EXPECT_EQ(audio->Value("Wide")->AsString(), "AB");
    EXPECT_EQ(audio->Value("")->AsString(), "default");
    EXPECT_EQ(tree->Find("HKCU\\Software\\Orvane\\Old")->Value("Gone"), nullptr);
    EXPECT_EQ(tree->Find("HKCU\\Software\\Orvane\\Doomed"), nullptr);
}

TEST(Registry, MalformedFilesChangeNothingAndNameTheLine)
{
    ScopedTestRegistry registry;
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\r\n[HKEY_CURRENT_USER\\Kept]\r\n\"A\"=\"1\"\r\n", nullptr));
    std::string before = ReadText(registry.Path());
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"[HKEY_CURRENT_USER\\X]\r\n", "line 1"},                                        // no version line
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"B\"=dword:123456789\r\n", "line 3"},   // nine digits
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"B\"=hex:0g\r\n", "line 3"},
        {"REGEDIT4\r\n\"B\"=\"outside\"\r\n", "line 2"},
        {"REGEDIT4\r\n[HKEY_NOWHERE\\X]\r\n", "line 2"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\X\r\n", "line 2"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"B\"=\"unterminated\r\n", "line 3"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"B\"=\"ok\"\r\nB=\"no quotes\"\r\n", "line 4"},
    };
    for (auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ImportRegistryText(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.line), std::string::npos) << c.text << " -> " << error;
    }
    EXPECT_EQ(ReadText(registry.Path()), before);
}

TEST(Registry, LineBreaksInNamesAndTextsAreStoredEscapedAndReadBack)
{
    // A value name with \n and \r escapes: the store stays readable and the
    // names come back as they were imported.
    ScopedTestRegistry registry;
    ASSERT_TRUE(ImportRegistryText("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kel]\r\n"
                                   "\"two\\nlines\\r\"=\"a\\nb\\\\c\\\"d\"\r\n\"plain\"=\"x\"\r\n",
                                   nullptr));
    auto tree = ReadRegistry();
    const RegKey* key = tree->Find("HKCU\\Software\\Kel");
    ASSERT_NE(key, nullptr);
    const RegValue* value = key->Value("two\nlines\r");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->AsString(), "a\nb\\c\"d");
    ASSERT_NE(key->Value("plain"), nullptr);
    // Later changes still work on the store.
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kel", 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(opened);
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kel\\Later", &created), ERROR_SUCCESS);
    RegCloseKey(created);
    // A key name that no store line could hold is refused, and nothing changes.
    const std::string before = ReadText(registry.Path());
    EXPECT_NE(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Two\nLines", &created), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(registry.Path()), before);
}

TEST(Registry, ContinuationOntoABlankLineIsRefused)
{
    ScopedTestRegistry registry;
    std::string error;
    EXPECT_FALSE(ImportRegistryText("REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\\\r\n\r\n", &error));
    EXPECT_NE(error.find("line"), std::string::npos) << error;
}

TEST(Registry, KeysNestAtMost512DeepAndAreWrittenWithoutRecursion)
{
    ScopedTestRegistry registry;
    auto path = [](std::size_t depth) {
        std::string p = "HKEY_CURRENT_USER";
        for (std::size_t i = 0; i < depth; ++i) p += "\\k";
        return p;
    };
    // 20,000 levels in one 40 KB key line: refused, nothing stored.
    std::string error;
    EXPECT_FALSE(ImportRegistryText("REGEDIT4\r\n[" + path(20000) + "]\r\n", &error));
    EXPECT_NE(error.find("limits"), std::string::npos) << error;
    EXPECT_EQ(ReadRegistry()->Find(path(1)), nullptr);
    // The deepest key the store allows is stored and read back.
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\r\n[" + path(kRegMaxDepth) + "]\r\n\"v\"=dword:00000001\r\n", &error))
        << error;
    auto tree = ReadRegistry();
    const RegKey* deepest = tree->Find(path(kRegMaxDepth));
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(deepest->Value("v")->AsDword(), 1u);
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyA(HKEY_CURRENT_USER, (path(kRegMaxDepth + 1).substr(18)).c_str(), &key), ERROR_SUCCESS);
    EXPECT_NE(RegCreateKeyA(HKEY_CURRENT_USER, std::string(kRegMaxKeyName + 1, 'n').c_str(), &key), ERROR_SUCCESS);
}

TEST(Registry, DeepKeysAreStoredOnceEachAndAnUnchangedStoreIsReadOnce)
{
    ScopedTestRegistry registry;
    std::string deep;
    for (int i = 0; i < 500; ++i) deep += "\\k";
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 20; ++i) text += "[HKEY_CURRENT_USER\\d" + std::to_string(i) + deep + "]\r\n";
    std::string error;
    ASSERT_TRUE(ImportRegistryText(text, &error)) << error;
    // One section a key: the 500 keys above each are made again by reading it.
    const std::string stored = ReadText(registry.Path());
    EXPECT_EQ(std::count(stored.begin(), stored.end(), '['), 20);
    EXPECT_LT(stored.size(), 2 * text.size());
    const auto first = ReadRegistry();
    EXPECT_NE(first->Find("HKCU\\d19" + deep), nullptr);
    EXPECT_NE(first->Find("HKCU\\d19\\k\\k"), nullptr);
    // Unchanged, the store is not read again: every call shares one reading.
    EXPECT_EQ(ReadRegistry(), first);
    // A change of ours is read, and so is one another process made by replacing the file.
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\r\n[HKEY_CURRENT_USER\\Ours]\r\n", &error)) << error;
    const auto second = ReadRegistry();
    EXPECT_NE(second, first);
    EXPECT_NE(second->Find("HKCU\\Ours"), nullptr);
    std::ofstream(registry.Path() + ".new", std::ios::binary) << "REGEDIT4\r\n[HKEY_CURRENT_USER\\Theirs]\r\n";
    ASSERT_EQ(std::rename((registry.Path() + ".new").c_str(), registry.Path().c_str()), 0);
    const auto third = ReadRegistry();
    EXPECT_NE(third->Find("HKCU\\Theirs"), nullptr);
    EXPECT_EQ(third->Find("HKCU\\Ours"), nullptr);
}

TEST(Registry, ManySiblingKeysAndValuesAreStoredAndFound)
{
    ScopedTestRegistry registry;
    std::string text = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Wide]\r\n";
    for (int i = 0; i < 50000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";
    for (int i = 0; i < 50000; ++i) text += "[HKEY_CURRENT_USER\\Wide\\K" + std::to_string(i) + "]\r\n";
    ASSERT_TRUE(ImportRegistryText(text, nullptr));
    auto tree = ReadRegistry();
    const RegKey* wide = tree->Find("HKCU\\Wide");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->Children().size(), 50000u);
    EXPECT_EQ(wide->Values().size(), 50000u);
    EXPECT_NE(wide->Child("k49999"), nullptr);
    EXPECT_NE(wide->Value("V31415"), nullptr);
    EXPECT_TRUE(UpdateRegistry([](RegistryTree& t) { return t.Delete("HKCU\\Wide\\K7"); }));
    tree = ReadRegistry();
    EXPECT_EQ(tree->Find("HKCU\\Wide\\K7"), nullptr);
    EXPECT_NE(tree->Find("HKCU\\Wide\\K8"), nullptr);
}

TEST(Registry, ADamagedStoreIsNeverOverwritten)
{
    ScopedTestRegistry registry;
    {
        std::ofstream out(registry.Path(), std::ios::binary);
        out << "this is not a registry\n";
    }
    std::string error;
    EXPECT_FALSE(UpdateRegistry([](RegistryTree& tree) {
        tree.Create("HKCU\\New");
        return true;
    }, &error));
    EXPECT_NE(error.find("damaged"), std::string::npos);
    EXPECT_EQ(ReadText(registry.Path()), "this is not a registry\n");
}

TEST(Registry, ConcurrentWritersLoseNoKeys)
{
    ScopedTestRegistry registry;
    constexpr int kWriters = 4, kEach = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([w] {
            for (int i = 0; i < kEach; ++i) {
                HKEY key = nullptr;
                std::string name = "Software\\Race\\W" + std::to_string(w) + "_" + std::to_string(i);
                if (RegCreateKeyA(HKEY_CURRENT_USER, name.c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
            }
        });
    }
    for (auto& t : writers) t.join();
    auto tree = ReadRegistry();
    const RegKey* race = tree->Find("HKCU\\Software\\Race");
    ASSERT_NE(race, nullptr);
    EXPECT_EQ(race->Children().size(), std::size_t(kWriters * kEach));
    EXPECT_TRUE(ListFolder(registry.Folder(), "*.tmp.*", ListKind::Files).empty());
}

TEST(Registry, FileLocationFollowsTheEnvironment)
{
    ::setenv("KELDARA_REGISTRY", "/somewhere/registry", 1);
    EXPECT_EQ(RegistryFilePath(), "/somewhere/registry");
    ::unsetenv("KELDARA_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", "/config", 1);
    EXPECT_EQ(RegistryFilePath(), "/config/keldara/registry");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/user", 1);
    EXPECT_EQ(RegistryFilePath(), "/home/user/.config/keldara/registry");
}

TEST(Registry, SubkeysAreEnumeratedWithTheBufferProtocol)
{
    ScopedTestRegistry registry;
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\n[HKEY_CLASSES_ROOT\\CLSID\\Short]\n[HKEY_CLASSES_ROOT\\CLSID\\"
                                   "A Rather Long Key Name]\n",
                                   nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegKeyPath(key), "HKEY_CLASSES_ROOT\\CLSID");
    char name[8];
    DWORD size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Short");
    EXPECT_EQ(size, 5u);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 23u);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 2, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    // Values need a key that exists.
    HKEY gone = nullptr;
    ASSERT_EQ(RegCreateKeyA(key, "Gone", &gone), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(key, "Gone"), ERROR_SUCCESS);
    DWORD one = 1;
    EXPECT_EQ(RegSetValueExA(gone, "X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 2), ERROR_INVALID_PARAMETER);
    RegCloseKey(gone);
    RegCloseKey(key);
}
