#pragma once
// A fake system under the SCSI pass-through: a /sys/class/block tree in a
// temporary folder and device nodes whose open, ioctl and close calls answer
// as each test sets them. Installed for the object's lifetime.
#include "testkit/tempfolder.h"
#include "win32/scsi.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <scsi/sg.h>
#include <string>
#include <vector>

namespace testkit {

struct FakeScsiNode {
    int readWriteErrno = 0;   // errno of an O_RDWR open, 0 = it opens
    int readOnlyErrno = 0;    // errno of an O_RDONLY open
    int exclusiveErrno = 0;   // errno of any O_EXCL open (a mounted disc: EBUSY)
    int idlun = -1;           // SCSI_IOCTL_GET_IDLUN's dev_id, -1 = the ioctl fails
    // Answers SG_IO: fills the header's outcome and data, returns 0 or -errno.
    // The default answers INQUIRY with a CD/DVD drive and everything else GOOD.
    std::function<int(sg_io_hdr_t&)> sgio;
};

class FakeScsiSystem {
public:
    FakeScsiSystem();
    ~FakeScsiSystem();
    FakeScsiSystem(const FakeScsiSystem&) = delete;
    FakeScsiSystem& operator=(const FakeScsiSystem&) = delete;

    // A /sys/class/block entry; hctl "2:0:1:0" makes its device link, "" leaves it out.
    void AddBlock(const std::string& name, const std::string& hctl);
    // A drive that opens and answers: AddBlock plus a default node for /dev/<name>.
    void AddDrive(const std::string& name, const std::string& hctl);
    // The node for a device path (made on first use); set it up before the code under test runs.
    FakeScsiNode& Node(const std::string& path);

    // Every open so far: "/dev/sr0 rw", "/dev/sr0 ro excl", ...
    std::vector<std::string> Opens() const;
    int OpenDescriptors() const;
    // The last SG_IO request and its command bytes.
    sg_io_hdr_t LastRequest() const;
    std::vector<unsigned char> LastCdb() const;
    int SgIoCalls() const;

    const std::string& SysRoot() const { return folder_.Path(); }

private:
    int Open(const std::string& path, int flags);
    int Ioctl(int fd, unsigned long request, void* argument);
    void Close(int fd);

    TempFolder folder_{"keldara-fakescsi"};
    mutable std::mutex mutex_;
    std::map<std::string, FakeScsiNode> nodes_;
    std::map<int, std::string> fds_;
    std::vector<std::string> opens_;
    sg_io_hdr_t last_{};
    std::vector<unsigned char> lastCdb_;
    int sgioCalls_ = 0;
    int next_ = 50;
};

// An SG_IO answer that hands each request to an in-process drive (the
// virtual recorder), so a device node of the fake system behaves like it.
std::function<int(sg_io_hdr_t&)> AnsweredBy(std::shared_ptr<ScsiTarget> target);

// A standard INQUIRY reply of a CD/DVD drive: type 5, vendor, product, revision.
std::vector<unsigned char> InquiryReply(const std::string& vendor, const std::string& product,
                                        const std::string& revision, unsigned char type = 5);

} // namespace testkit
