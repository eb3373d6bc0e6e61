#include "win32/dynlib.h"

#include "rtl/paths.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using AnswerFn = int (*)();
using AddFn = int (*)(int, int);

TEST(Win32DynLib, OtherPlatformNamesFindTheModuleBesideTheExecutable)
{
    for (const char* name : {"KeldaraProbe.dll", "KeldaraProbe.DLL", "KeldaraProbe.ax", "KeldaraProbe"}) {
        HMODULE module = LoadLibrary(name);
        ASSERT_NE(module, nullptr) << name << ": " << LastLibraryError();
        auto answer = reinterpret_cast<AnswerFn>(GetProcAddress(module, "probe_answer"));
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer(), 42);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST(Win32DynLib, AbsoluteSharedObjectPathIsUsedAsIs)
{
    std::string path = ExecutableFolder() + "libKeldaraProbe.so";
    Library library(path);
    ASSERT_TRUE(library.Loaded()) << LastLibraryError();
    auto add = library.Symbol<AddFn>("probe_add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(library.Symbol<AddFn>("no_such_symbol"), nullptr);
    EXPECT_NE(LastLibraryError().find("no_such_symbol"), std::string::npos);

    Library moved = std::move(library);
    EXPECT_FALSE(library.Loaded());
    EXPECT_TRUE(moved.Loaded());
    moved = Library();
    EXPECT_FALSE(moved.Loaded());
}

TEST(Win32DynLib, FailuresAnswerNullWithAReason)
{
    EXPECT_EQ(LoadLibrary("KeldaraNoSuchModule.dll"), nullptr);
    EXPECT_NE(LastLibraryError().find("KeldaraNoSuchModule.dll"), std::string::npos);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "probe_answer"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));

    // A file that exists but is no library tells why it was refused.
    std::string folder = MakeTempFolder("win32-dynlib");
    std::string bogus = JoinPath(folder, "libBogus.so");
    std::ofstream(bogus) << "not an ELF file";
    EXPECT_EQ(LoadLibrary(JoinPath(folder, "Bogus.dll")), nullptr);
    EXPECT_NE(LastLibraryError().find("Bogus.dll"), std::string::npos);
    EXPECT_EQ(LastLibraryError().find("not found"), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(Win32DynLib, CandidatesTryTheExecutableFolderThenTheSearchPath)
{
    const std::string exe = ExecutableFolder();
    EXPECT_EQ(LibraryCandidates("RMSP.DLL"),
              (std::vector<std::string>{exe + "libRMSP.so", exe + "RMSP.so", exe + "librmsp.so", exe + "rmsp.so",
                                        "libRMSP.so", "RMSP.so", "librmsp.so", "rmsp.so"}));
    EXPECT_EQ(LibraryCandidates("/opt/x/libfoo.so.1"), (std::vector<std::string>{"/opt/x/libfoo.so.1"}));
    EXPECT_EQ(LibraryCandidates("libz.so.1"), (std::vector<std::string>{exe + "libz.so.1", "libz.so.1"}));
    EXPECT_EQ(LibraryCandidates("plugins\\yuv.ax"),
              (std::vector<std::string>{"plugins/libyuv.so", "plugins/yuv.so"}));
    EXPECT_TRUE(LibraryCandidates("").empty());
}

TEST(Win32DynLib, APluginPostsToTheProgramsWindows)
{
    // One handle table for the whole process: a module's post must arrive.
    MessageQueue queue;
    LPARAM got = 0;
    HWND hwnd = AllocateHWnd(queue, [&](UINT, WPARAM, LPARAM l) { got = l; return LRESULT(0); });
    Library library("KeldaraProbe.dll");
    ASSERT_TRUE(library.Loaded()) << LastLibraryError();
    auto post = library.Symbol<int (*)(HWND, UINT, LPARAM)>("probe_post");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post(hwnd, 41657, 888), 1);
    EXPECT_EQ(PumpPending(queue), 1);
    EXPECT_EQ(got, 888);
    DeallocateHWnd(hwnd);
    EXPECT_EQ(post(hwnd, 41657, 888), 0);
}

TEST(Win32DynLib, SystemLibraryFromTheSearchPath)
{
    Library library("libm.so.6");
    ASSERT_TRUE(library.Loaded()) << LastLibraryError();
    EXPECT_NE(library.Symbol<double (*)(double)>("cos"), nullptr);
}

} // namespace
