// Both servers registered and unregistered by the regsvr32 tool: the COM
// class, the filter data under the filter category, and creation by class
// identifier.
#include "com/registry.h"
#include "sinkfixture.h"

namespace {

std::string ClassKey(REFCLSID clsid) { return "HKCR\\CLSID\\" + GuidToString(clsid); }
std::string FilterKey(REFCLSID clsid)
{
    return "HKCR\\CLSID\\" + GuidToString(CLSID_LegacyAmFilterCategory) + "\\Instance\\" + GuidToString(clsid);
}

struct Expected {
    const CLSID* clsid;
    const char* module;
    const char* templateName;
    const char* filterName;
    DWORD merit;
    const char* pin;
    DWORD rendered;
    const char* connectsToPin;
    const GUID* major;
    const GUID* sub;
};

const Expected kServers[] = {
    {&CLSID_AudioSink, "libaudio.so", "Orvane Audio Encoder3.0", "OrvaneDVD Audio Encode Filter3.0", 0x00100000,
     "Audio Input", 0, "", &MEDIATYPE_Audio, &MEDIASUBTYPE_PCM},
    {&CLSID_VideoSink, "libvideo.so", "Orvane Video Encoder3.0", "OrvaneDVD Video Encode Filter3.0", 0x00200000,
     "Video Input", 1, "Input", &MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
};

class SinkRegistration : public SinkTest {
protected:
    bool RegisterOnSetUp() const override { return false; }
};

} // namespace

TEST_F(SinkRegistration, Regsvr32WritesEachServersEntriesAndRemovesThem)
{
    ProcessResult r = Regsvr32({"/s", "audio.dll"});
    ASSERT_TRUE(r.Succeeded()) << r.exitCode << r.errors;
    EXPECT_TRUE(r.output.empty() && r.errors.empty());
    r = Regsvr32({"/s", "video.dll"});
    ASSERT_TRUE(r.Succeeded()) << r.exitCode << r.errors;

    auto tree = ReadRegistry();
    for (const Expected& e : kServers) {
        SCOPED_TRACE(e.filterName);
        const RegKey* cls = tree->Find(ClassKey(*e.clsid));
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->Value("")->AsString(), e.templateName);
        const RegKey* server = tree->Find(ClassKey(*e.clsid) + "\\InprocServer32");
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->Value("ThreadingModel")->AsString(), "Both");
        EXPECT_EQ(ExtractFileName(server->Value("")->AsString()), e.module);
        EXPECT_TRUE(FileExists(server->Value("")->AsString()));

        const RegKey* filter = tree->Find(FilterKey(*e.clsid));
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->Value("FriendlyName")->AsString(), e.filterName);
        EXPECT_EQ(filter->Value("CLSID")->AsString(), GuidToString(*e.clsid));
        EXPECT_EQ(filter->Value("Merit")->AsDword(), e.merit);
        const RegKey* pins = tree->Find(FilterKey(*e.clsid) + "\\Pins");
        ASSERT_NE(pins, nullptr);
        ASSERT_EQ(pins->Children().size(), 1u);
        const RegKey* pin = tree->Find(FilterKey(*e.clsid) + "\\Pins\\" + e.pin);
        ASSERT_NE(pin, nullptr);
        EXPECT_EQ(pin->Value("Direction")->AsDword(), 0u);
        EXPECT_EQ(pin->Value("IsRendered")->AsDword(), e.rendered);
        EXPECT_EQ(pin->Value("AllowedZero")->AsDword(), 0u);
        EXPECT_EQ(pin->Value("AllowedMany")->AsDword(), 0u);
        EXPECT_EQ(pin->Value("ConnectsToFilter")->AsString(), "");
        EXPECT_EQ(pin->Value("ConnectsToPin")->AsString(), e.connectsToPin);
        const RegKey* types = pin->Child("Types");
        ASSERT_NE(types, nullptr);
        ASSERT_EQ(types->Children().size(), 1u);
        EXPECT_EQ(types->Children()[0]->Name(), GuidToString(*e.major));
        ASSERT_EQ(types->Children()[0]->Children().size(), 1u);
        EXPECT_EQ(types->Children()[0]->Children()[0]->Name(), GuidToString(*e.sub));
    }

    // Made by class identifier, each asked for its own control interface.
    {
        auto audio = MakeSink(CLSID_AudioSink);
        auto video = MakeSink(CLSID_VideoSink);
        ASSERT_TRUE(audio && video);
        EXPECT_TRUE(Query<audiosink::ISinkControl>(audio.Get(), audiosink::IID_ISinkControl));
        EXPECT_TRUE(Query<videosink::ISinkControl>(video.Get(), videosink::IID_ISinkControl));
        // Each server knows only its own identifier.
        EXPECT_FALSE(Query<IUnknown>(audio.Get(), videosink::IID_ISinkControl));
        EXPECT_FALSE(Query<IUnknown>(video.Get(), audiosink::IID_ISinkControl));
        CLSID id{};
        EXPECT_EQ(audio->GetClassID(&id), S_OK);
        EXPECT_EQ(id, CLSID_AudioSink);
        EXPECT_EQ(video->GetClassID(&id), S_OK);
        EXPECT_EQ(id, CLSID_VideoSink);
    }
    CoFreeUnusedLibraries();

    ASSERT_TRUE(Regsvr32({"/u", "/s", "audio.dll"}).Succeeded());
    tree = ReadRegistry();
    EXPECT_EQ(tree->Find(ClassKey(CLSID_AudioSink)), nullptr);
    EXPECT_EQ(tree->Find(FilterKey(CLSID_AudioSink)), nullptr);
    EXPECT_NE(tree->Find(FilterKey(CLSID_VideoSink)), nullptr);   // the other server stays
    ASSERT_TRUE(Regsvr32({"/u", "/s", "video.dll"}).Succeeded());
    tree = ReadRegistry();
    EXPECT_EQ(tree->Find(ClassKey(CLSID_VideoSink)), nullptr);
    EXPECT_EQ(tree->Find(FilterKey(CLSID_VideoSink)), nullptr);
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_AudioSink, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, &p),
              REGDB_E_CLASSNOTREG);
}

TEST_F(SinkRegistration, NeitherServerIsPickedByAutomaticGraphBuilding)
{
    ASSERT_TRUE(Regsvr32({"/s", "audio.dll"}).Succeeded());
    ASSERT_TRUE(Regsvr32({"/s", "video.dll"}).Succeeded());
    // Listed, but at or below "do not use": Render never reaches for them.
    int listed = 0;
    for (auto& f : EnumerateRegisteredFilters()) {
        if (f.clsid == CLSID_AudioSink || f.clsid == CLSID_VideoSink) {
            ++listed;
            EXPECT_LE(f.merit, MERIT_DO_NOT_USE);
        }
    }
    EXPECT_EQ(listed, 2);
}
