#pragma once
// What vcdxbuild --gui tells while it builds an image: its progress lines
//   <progress operation="scan" id="seq1-movie" position="4648" size="343952" />
//   <progress operation="write" position="75" size="673" />
// and its log lines <log level="error">...</log>. Lines of both of its
// streams are handed in as they arrive, on one thread at a time.
#include <map>
#include <string>

class VcdxbuildLog {
public:
    // items: the sequence items of the control file, over which scanning is shared.
    explicit VcdxbuildLog(int items = 1);
    void Take(const std::string& line);
    // 0..100. Write positions run past the size the builder first gave.
    int ScanPercent() const;
    int WritePercent() const;
    // The builder's last error line, "" when it gave none.
    const std::string& Problem() const { return problem_; }
    // The last warning, which says why a run failed that gave no error line
    // (a control file the builder could not parse).
    const std::string& Warning() const { return warning_; }

private:
    int items_;
    std::map<std::string, int> scanned_;   // percent of each item seen
    int write_ = 0;
    std::string problem_;
    std::string warning_;
};

// The number of sequence items a "videocd" control file lists.
int CountSequenceItems(const std::string& controlFile);
