// A server module registered with the regsvr32 tool, made by class
// identifier, run in a graph and unregistered; and the reg import tool.
#include "../com/testregistry.h"
#include "com/registry.h"
#include "testfilters.h"
#include "testsink.h"
#include "win32/process.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::string BinDir()
{
    const char* dir = std::getenv("KELDARA_BIN_DIR");
    return dir ? dir : ".";
}

ProcessResult Tool(const ScopedTestRegistry& registry, std::vector<std::string> args,
                   const std::string& folder = {})
{
    ProcessSpec spec;
    spec.argv = std::move(args);
    spec.argv[0] = JoinPath(BinDir(), spec.argv[0]);
    spec.workingFolder = folder;
    spec.extraEnv = {{"KELDARA_REGISTRY", registry.Path()}};
    spec.captureOutput = true;
    return RunProcess(spec, 30000);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kSinkKey = "HKCR\\CLSID\\" + GuidToString(CLSID_TestSink);
const std::string kFilterKey = "HKCR\\CLSID\\" + GuidToString(CLSID_LegacyAmFilterCategory) + "\\Instance\\" +
                               GuidToString(CLSID_TestSink);

} // namespace

TEST(ServerModule, RegistersIsCreatedRunsAndUnregisters)
{
    ScopedTestRegistry registry;
    ProcessResult r = Tool(registry, {"regsvr32", "/s", "keldaratestsink.dll"});
    ASSERT_TRUE(r.Succeeded()) << r.exitCode << " " << r.errors << r.error;
    EXPECT_TRUE(r.output.empty() && r.errors.empty());   // silent

    auto tree = ReadRegistry();
    const RegKey* server = tree->Find(kSinkKey + "\\InprocServer32");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->Value("ThreadingModel")->AsString(), "Both");
    EXPECT_TRUE(FileExists(server->Value("")->AsString()));
    EXPECT_EQ(tree->Find(kSinkKey)->Value("")->AsString(), "Keldara Test Sink");
    const RegKey* filter = tree->Find(kFilterKey);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->Value("FriendlyName")->AsString(), "Keldara Test Sink Filter");
    EXPECT_EQ(filter->Value("Merit")->AsDword(), 0x00200000u);
    const RegKey* pin = tree->Find(kFilterKey + "\\Pins\\Video Input");
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->Value("IsRendered")->AsDword(), 1u);
    EXPECT_EQ(pin->Value("Direction")->AsDword(), 0u);
    EXPECT_EQ(pin->Value("ConnectsToPin")->AsString(), "Input");
    EXPECT_NE(tree->Find(kFilterKey + "\\Pins\\Video Input\\Types\\" + GuidToString(MEDIATYPE_Video) + "\\" +
                        GuidToString(MEDIASUBTYPE_RGB24)),
              nullptr);
    // At merit MERIT_DO_NOT_USE automatic graph building leaves it alone, but it is listed.
    bool listed = false;
    for (auto& f : EnumerateRegisteredFilters()) listed |= f.clsid == CLSID_TestSink;
    EXPECT_TRUE(listed);

    {
        ComPtr<IBaseFilter> sink;
        ASSERT_EQ(CoCreateInstance(CLSID_TestSink, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, sink.PutVoid()),
                  S_OK);
        ComPtr<ITestSink> control;
        ASSERT_EQ(sink.As(IID_ITestSink, control), S_OK);
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph.PutVoid()),
                  S_OK);
        auto source = Hold(new TestSource(30, 10 * MILLISECONDS));
        graph->AddFilter(source.Get(), L"Source");
        graph->AddFilter(sink.Get(), L"Sink");
        ComPtr<IPin> in;
        ASSERT_EQ(sink->FindPin(L"Input", in.Put()), S_OK);
        ASSERT_EQ(graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(), in.Get()), S_OK);
        ComPtr<IMediaFilter> mediaFilter;
        graph.As(IID_IMediaFilter, mediaFilter);
        mediaFilter->SetSyncSource(nullptr);
        ComPtr<IMediaControl> run;
        ComPtr<IMediaEvent> events;
        graph.As(IID_IMediaControl, run);
        graph.As(IID_IMediaEvent, events);
        // Seeking reaches the source through the sink's pass-through.
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(sink.As(IID_IMediaSeeking, seeking), S_OK);
        LONGLONG duration = 0;
        EXPECT_EQ(seeking->GetDuration(&duration), S_OK);
        EXPECT_EQ(duration, 30 * 10 * MILLISECONDS);
        ASSERT_EQ(run->Run(), S_OK);
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(10000, &code), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        EXPECT_EQ(control->Samples(), 30);
        EXPECT_EQ(control->LastFrame(), 29);
        run->Stop();
        graph->RemoveFilter(sink.Get());
        graph->RemoveFilter(source.Get());
    }
    CoFreeUnusedLibraries();

    r = Tool(registry, {"regsvr32", "/u", "/s", "keldaratestsink.dll"});
    ASSERT_TRUE(r.Succeeded()) << r.errors;
    tree = ReadRegistry();
    EXPECT_EQ(tree->Find(kSinkKey), nullptr);
    EXPECT_EQ(tree->Find(kFilterKey), nullptr);
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestSink, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, &p),
              REGDB_E_CLASSNOTREG);
}

TEST(ServerModule, Regsvr32RefusesBadServersAndChangesNothing)
{
    ScopedTestRegistry registry;
    ASSERT_TRUE(ImportRegistryText("REGEDIT4\n[HKEY_CURRENT_USER\\Kept]\n\"A\"=\"1\"\n", nullptr));
    std::string before = ReadText(registry.Path());

    ProcessResult r = Tool(registry, {"regsvr32", "/s", "nosuchserver.dll"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.errors.empty());
    r = Tool(registry, {"regsvr32", "nosuchserver.dll"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.errors.find("nosuchserver.dll"), std::string::npos);
    // A library without the entry points.
    r = Tool(registry, {"regsvr32", "/s", "win32.dll"});
    EXPECT_EQ(r.exitCode, 4);
    r = Tool(registry, {"regsvr32"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadText(registry.Path()), before);

    r = Tool(registry, {"regsvr32", "keldaratestsink.dll"});
    EXPECT_TRUE(r.Succeeded());
    EXPECT_NE(r.output.find("succeeded"), std::string::npos);

    // A module named by a path relative to the working folder is registered by its full path.
    std::string copy = JoinPath(registry.Folder(), "libcopied.so");
    ASSERT_TRUE(CopyFile(JoinPath(BinDir(), "libkeldaratestsink.so"), copy, false));
    r = Tool(registry, {"regsvr32", "/s", "./libcopied.so"}, registry.Folder());
    ASSERT_TRUE(r.Succeeded()) << r.errors;
    auto tree = ReadRegistry();
    const RegKey* server = tree->Find(kSinkKey + "\\InprocServer32");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->Value("")->AsString(), ExpandFileName(copy));
}

TEST(RegTool, ImportsAFileAndRefusesBadOnes)
{
    ScopedTestRegistry registry;
    std::string good = JoinPath(registry.Folder(), "video.reg");
    std::ofstream(good, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                             "[HKEY_CURRENT_USER\\Software\\Orvane\\Video]\r\n"
                                             "\"Quality\"=dword:00000005\r\n"
                                             "\"Name\"=\"Video Encoder\"\r\n";
    ProcessResult r = Tool(registry, {"reg", "import", "video.reg"}, registry.Folder());
    ASSERT_TRUE(r.Succeeded()) << r.errors;
    auto tree = ReadRegistry();
    const RegKey* key = tree->Find("HKCU\\Software\\Orvane\\Video");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Value("Quality")->AsDword(), 5u);
    EXPECT_EQ(key->Value("Name")->AsString(), "Video Encoder");

    std::string before = ReadText(registry.Path());
    std::string bad = JoinPath(registry.Folder(), "bad.reg");
    std::ofstream(bad, std::ios::binary) << "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n\"A\"=\"1\"\r\n"
                                            "\"B\"=dword:xyz\r\n";
    r = Tool(registry, {"reg", "import", bad});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("line 4"), std::string::npos);
    r = Tool(registry, {"reg", "import", JoinPath(registry.Folder(), "missing.reg")});
    EXPECT_EQ(r.exitCode, 1);
    r = Tool(registry, {"reg", "export", good});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadText(registry.Path()), before);
}
