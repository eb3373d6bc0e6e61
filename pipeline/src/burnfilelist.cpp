#include "pipeline/burnfilelist.h"

#include "base/burnpubfunction.h"
#include "com/widestring.h"
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "dshow/qedit.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <array>

const char* const kBurnOverfullText = "Exceeding the disc media limite size, can not burn to one disc!";
const char* const kNoMpegText = "No MPG file added!";
const char* const kIncompatibleText = "Uncompatible file, can't burn it directly to Video Disc!";

namespace {

// Frame shapes by disc kind (0 and 1 DVD, 2 SVCD, 3 VCD).
constexpr std::array<int, 4> kWidth = {720, 720, 480, 352};
constexpr std::array<int, 4> kNtscHeight = {480, 480, 480, 240};
constexpr std::array<int, 4> kPalHeight = {576, 576, 576, 288};

int KindIndex(int discType) { return std::clamp(discType, 0, 3); }

void AddOnce(std::vector<std::string>& list, const std::string& path)
{
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
}

// COM for one scope of the calling thread.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

} // namespace

void BurnFiles::Clear()
{
    IfoFiles.clear();
    VobFiles.clear();
    BupFiles.clear();
    MpgFiles.clear();
}

std::vector<MpegVideoShape> DetectMpegVideo(const std::string& path)
{
    std::vector<MpegVideoShape> shapes;
    ComScope com;
    RegisterMediaFilters();
    ComPtr<IMediaDet> detector;
    if (FAILED(CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaDet, detector.PutVoid())))
        return shapes;
    std::wstring widePath = Utf8ToWide(path);
    if (FAILED(detector->put_Filename(widePath.data()))) return shapes;
    LONG streams = 0;
    if (FAILED(detector->get_OutputStreams(&streams))) streams = 0;
    for (LONG i = 0; i < streams; ++i) {
        GUID type{};
        if (FAILED(detector->put_CurrentStream(i)) || FAILED(detector->get_StreamType(&type)) ||
            type != MEDIATYPE_Video)
            continue;
        MpegVideoShape shape;
        detector->get_FrameRate(&shape.FrameRate);
        AM_MEDIA_TYPE mt{};
        if (SUCCEEDED(detector->get_StreamMediaType(&mt))) {
            if (const BITMAPINFOHEADER* bih = VideoBitmapHeader(mt)) {
                shape.Width = bih->biWidth;
                shape.Height = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
                shape.Opened = true;
            }
            FreeMediaType(mt);
        }
        shapes.push_back(shape);
    }
    return shapes;
}

BurnFileList::BurnFileList(std::shared_ptr<BurnFiles> files) : Files(std::move(files))
{
    if (!Files) Files = std::make_shared<BurnFiles>();
}

void BurnFileList::Init(int discType)
{
    DiscType = discType;
    rows_.clear();
    IfoCount = VobCount = BupCount = MpgCount = RowTotal = 0;
    TotalMB = 0;
}

std::string BurnFileList::FileFilter() const
{
    switch (DiscType) {
    case 2: return "SVCD Files (*.mpg, *.mpeg)|*.mpg;*.mpeg";
    case 3: return "VCD Files (*.mpg, *.mpeg)|*.mpg;*.mpeg";
    default:
        return "DVD Files (*.ifo, *.vob, *.bup)|*.ifo;*.vob;*.bup|IFO File (*.ifo, *.IFO)|*.ifo|"
               "VOB File (*.vob, *.VOB)|*.vob|BUP File (*.bup, *.BUP)|*.bup";
    }
}

void BurnFileList::AddChosenFiles(const std::vector<std::string>& paths, int filterIndex)
{
    for (const std::string& path : paths) {
        if (filterIndex <= 1) {
            const std::string ext = UpperCase(ExtractFileExt(path));
            if (ext == ".IFO") AddOnce(Files->IfoFiles, path);
            else if (ext == ".VOB") AddOnce(Files->VobFiles, path);
            else if (ext == ".BUP") AddOnce(Files->BupFiles, path);
            else if (ext == ".MPG" || ext == ".MPEG") AddOnce(Files->MpgFiles, path);
        } else if (filterIndex == 2) {
            AddOnce(Files->IfoFiles, path);
        } else if (filterIndex == 3) {
            AddOnce(Files->VobFiles, path);
        } else if (filterIndex == 4) {
            AddOnce(Files->BupFiles, path);
        }
    }
}

std::string BurnFileList::DvdFolderOf(const std::string& chosen)
{
    const std::string folder = ExcludeTrailingPathDelimiter(chosen);
    if (IsVideoTsFolder(folder)) return folder;
    std::vector<std::string> names;
    ListSubFolders(folder, names);
    for (const std::string& name : names)
        if (IsVideoTsFolder(name)) return JoinPath(folder, name);
    return folder;
}

void BurnFileList::AddDvdFolder(const std::string& chosen)
{
    if (chosen.empty()) return;
    const std::string folder = DvdFolderOf(chosen);
    std::vector<std::string> paths;
    ListFilesByExt(folder, "ifo", paths);
    for (const std::string& path : paths) AddOnce(Files->IfoFiles, path);
    ListFilesByExt(folder, "vob", paths);
    for (const std::string& path : paths) AddOnce(Files->VobFiles, path);
    ListFilesByExt(folder, "bup", paths);
    for (const std::string& path : paths) AddOnce(Files->BupFiles, path);
}

void BurnFileList::Refresh()
{
    IfoCount = static_cast<int>(Files->IfoFiles.size());
    VobCount = static_cast<int>(Files->VobFiles.size());
    BupCount = static_cast<int>(Files->BupFiles.size());
    MpgCount = static_cast<int>(Files->MpgFiles.size());
    RowTotal = IfoCount + VobCount + BupCount + MpgCount;
    rows_.clear();
    TotalMB = 0;
    auto list = [this](const std::vector<std::string>& paths, const char* type) {
        for (const std::string& path : paths) {
            BurnFileRow row{path, type, GetFileSizeMBText(path)};
            double mb = 0;
            if (TryStrToFloat(row.SizeText, mb)) TotalMB += mb;
            rows_.push_back(std::move(row));
        }
    };
    list(Files->IfoFiles, "IFO");
    list(Files->VobFiles, "VOB");
    list(Files->BupFiles, "BUP");
    list(Files->MpgFiles, "MPG");
}

int BurnFileList::GridRowCount() const { return std::max(RowTotal + 1, kMinRows); }

int BurnFileList::NameColumnWidth() const { return GridRowCount() >= kMinRows ? kNarrowNameWidth : kNameWidth; }

int BurnFileList::CapacityMB(int discType) { return discType <= 1 ? 4300 : 600; }

int BurnFileList::Percent() const
{
    return static_cast<int>(TotalMB * 100 / CapacityMB(DiscType));
}

bool BurnFileList::DeleteRow(int row)
{
    if (!HoldsFile(row) || static_cast<std::size_t>(row) > rows_.size()) return false;
    const std::string& type = rows_[static_cast<std::size_t>(row - 1)].Type;
    if (type == "IFO") DeleteStringAt(row - 1, Files->IfoFiles);
    else if (type == "VOB") DeleteStringAt(row - IfoCount - 1, Files->VobFiles);
    else if (type == "BUP") DeleteStringAt(row - IfoCount - VobCount - 1, Files->BupFiles);
    else DeleteStringAt(row - IfoCount - VobCount - BupCount - 1, Files->MpgFiles);
    Refresh();
    return true;
}

void BurnFileList::DeleteAll()
{
    Files->Clear();
    Refresh();
}

std::string BurnFileList::CheckIfoBupPairs() const
{
    const BurnFiles& f = *Files;
    if (f.IfoFiles.empty() || f.BupFiles.empty()) return "Unmatched file loaded!";
    if (f.IfoFiles.size() != f.BupFiles.size()) return "The amount of IFO files can not match the BUP files's!";
    for (std::size_t i = 0; i < f.IfoFiles.size(); ++i) {
        const std::string& ifo = f.IfoFiles[i];
        const std::string& bup = f.BupFiles[i];
        if (StripFileExt(ifo) != StripFileExt(bup)) return "The name of IFO files can not match the BUP files's!";
        if (GetFileSizeMBText(ifo) != GetFileSizeMBText(bup))
            return "The size of IFO files can not match the BUP files's!";
    }
    return "";
}

std::string BurnFileList::CheckMpegFiles(const MpegShapeProbe& probe) const
{
    if (Files->MpgFiles.empty()) return kNoMpegText;
    const int kind = KindIndex(DiscType);
    int standard = 0;   // 1 NTSC, 2 PAL, fixed by the first file
    for (const std::string& path : Files->MpgFiles) {
        const std::vector<MpegVideoShape> shapes = probe(path);
        // A file the detector cannot read, or without a picture, is no video disc's.
        if (shapes.empty()) return kIncompatibleText;
        for (const MpegVideoShape& shape : shapes) {
            if (!shape.Opened || shape.Width != kWidth[kind]) return kIncompatibleText;
            int fileStandard = 0;
            if (shape.Height == kNtscHeight[kind]) {
                if (shape.FrameRate <= 29.1 || shape.FrameRate >= 30.1) return kIncompatibleText;
                fileStandard = 1;
            } else if (shape.Height == kPalHeight[kind]) {
                if (shape.FrameRate <= 24.5 || shape.FrameRate >= 25.5) return kIncompatibleText;
                fileStandard = 2;
            } else {
                return kIncompatibleText;
            }
            if (standard == 0) standard = fileStandard;
            else if (standard != fileStandard) return kIncompatibleText;
            break;   // the file's first video stream decides
        }
    }
    return "";
}
