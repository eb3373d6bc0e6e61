#pragma once
// The files the disc-burner setup lists for burning as they are: a DVD folder
// (IFO, VOB and BUP files) or SVCD/VCD MPEG files. BurnFileList is the
// window's model: it sorts chosen files into the four lists, lays out the
// grid's rows, sums the sizes against the disc's capacity, deletes by row and
// checks that the files suit the disc kind. It shows no boxes: every check
// answers the text of the box the window shows. Main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The four lists, shared with the burning-process window while it runs.
struct BurnFiles {
    std::vector<std::string> IfoFiles, VobFiles, BupFiles, MpgFiles;
    void Clear();
    bool NoDvdFile() const { return IfoFiles.empty() && VobFiles.empty() && BupFiles.empty(); }
};

// One grid row under the header.
struct BurnFileRow {
    std::string FileName, Type, SizeText;
};

// What the MPEG check reads of a file's first video stream; Opened false
// when the file cannot be read or has no video.
struct MpegVideoShape {
    bool Opened = false;
    int Width = 0, Height = 0;
    double FrameRate = 0;
};
using MpegShapeProbe = std::function<std::vector<MpegVideoShape>(const std::string& path)>;
// The media detector's answer: one entry per video stream of the file.
std::vector<MpegVideoShape> DetectMpegVideo(const std::string& path);

class BurnFileList {
public:
    // The grid: one header row, at least kMinRows rows; the name column
    // narrows when there are enough rows for the grid to scroll.
    static constexpr int kMinRows = 19;
    static constexpr int kNameWidth = 406, kNarrowNameWidth = 388, kTypeWidth = 60, kSizeWidth = 60;

    explicit BurnFileList(std::shared_ptr<BurnFiles> files = std::make_shared<BurnFiles>());

    // A new use of the window for disc kind 1 DVD, 2 SVCD, 3 VCD; the lists stay.
    void Init(int discType);
    // The open dialog's filter for the kind.
    std::string FileFilter() const;

    // Files chosen in the open dialog under filter `filterIndex` (from 1):
    // the first filter sorts by extension, the DVD kind's filters 2, 3 and 4
    // put every file into the IFO, VOB or BUP list. A path already listed is
    // not added again.
    void AddChosenFiles(const std::vector<std::string>& paths, int filterIndex);
    // A chosen folder: itself when it is a VIDEO_TS folder, else its first
    // VIDEO_TS subfolder, else itself; its IFO, VOB and BUP files are added.
    void AddDvdFolder(const std::string& folder);
    // The folder AddDvdFolder takes the files of.
    static std::string DvdFolderOf(const std::string& folder);

    // Counts, sizes and rows taken afresh from the lists.
    void Refresh();
    const std::vector<BurnFileRow>& Rows() const { return rows_; }
    int GridRowCount() const;   // header included
    int NameColumnWidth() const;
    // Integer percent of the disc's capacity; above 99 the disc cannot hold them.
    int Percent() const;
    bool Overfull() const { return Percent() > 99; }
    int BarPosition() const { return Overfull() ? 100 : Percent(); }
    static int CapacityMB(int discType);

    // Grid row `row` (1 = first file) holds a file.
    bool HoldsFile(int row) const { return row >= 1 && row <= RowTotal; }
    // Removes the file of grid row `row` by its type; false for a row without a file.
    bool DeleteRow(int row);
    void DeleteAll();

    // The checks before a burn: "" when the files may go, else the box's text.
    std::string CheckIfoBupPairs() const;
    std::string CheckMpegFiles(const MpegShapeProbe& probe = DetectMpegVideo) const;

    std::shared_ptr<BurnFiles> Files;
    int DiscType = 1;
    int IfoCount = 0, VobCount = 0, BupCount = 0, MpgCount = 0;
    int RowTotal = 0;
    double TotalMB = 0;

private:
    std::vector<BurnFileRow> rows_;
};

// Box texts.
extern const char* const kBurnOverfullText;
extern const char* const kNoMpegText;
extern const char* const kIncompatibleText;
