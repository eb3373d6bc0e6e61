#include "testkit/fakescsi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <scsi/scsi.h>

namespace testkit {

namespace fs = std::filesystem;

std::vector<unsigned char> InquiryReply(const std::string& vendor, const std::string& product,
                                        const std::string& revision, unsigned char type)
{
    std::vector<unsigned char> reply(96, 0);
    reply[0] = type;
    reply[1] = 0x80;   // removable
    reply[2] = 0x05;
    reply[3] = 0x32;
    reply[4] = 91;
    auto put = [&](std::size_t at, const std::string& text, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i)
            reply[at + i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
    };
    put(8, vendor, 8);
    put(16, product, 16);
    put(32, revision, 4);
    return reply;
}

namespace {

int AnswerLikeADrive(sg_io_hdr_t& io)
{
    const unsigned char* cdb = io.cmdp;
    if (cdb[0] == 0x12 && io.dxfer_direction == SG_DXFER_FROM_DEV) {
        const std::vector<unsigned char> reply = InquiryReply("FAKE", "SG_IO DRIVE", "0.1");
        const std::size_t count = std::min<std::size_t>(io.dxfer_len, reply.size());
        std::memcpy(io.dxferp, reply.data(), count);
        io.resid = static_cast<int>(io.dxfer_len - count);
    }
    return 0;
}

} // namespace

FakeScsiSystem::FakeScsiSystem()
{
    ScsiSource source;
    source.sysClassBlockRoot = folder_.Path();
    source.open = [this](const std::string& path, int flags) { return Open(path, flags); };
    source.ioctl = [this](int fd, unsigned long request, void* argument) { return Ioctl(fd, request, argument); };
    source.close = [this](int fd) { Close(fd); };
    SetScsiSource(source);
}

FakeScsiSystem::~FakeScsiSystem() { SetScsiSource(ScsiSource{}); }

std::function<int(sg_io_hdr_t&)> AnsweredBy(std::shared_ptr<ScsiTarget> target)
{
    return [target = std::move(target)](sg_io_hdr_t& io) {
        ScsiCommand command;
        command.cdb = std::span<const std::uint8_t>(io.cmdp, io.cmd_len);
        command.direction = io.dxfer_direction == SG_DXFER_FROM_DEV ? ScsiDirection::In
                            : io.dxfer_direction == SG_DXFER_TO_DEV ? ScsiDirection::Out
                                                                    : ScsiDirection::None;
        command.buffer = io.dxferp;
        command.length = io.dxfer_len;
        command.timeoutMs = io.timeout;
        const ScsiResult result = target->Execute(command);
        if (result.error)
            return -result.error;
        io.status = result.status;
        io.masked_status = static_cast<unsigned char>(result.status >> 1);
        io.host_status = result.hostStatus;
        io.driver_status = result.driverStatus;
        io.resid = result.residual;
        const unsigned sense = std::min<unsigned>(result.senseLength, io.mx_sb_len);
        if (sense && io.sbp)
            std::memcpy(io.sbp, result.sense.data(), sense);
        io.sb_len_wr = static_cast<unsigned char>(sense);
        return 0;
    };
}

void FakeScsiSystem::AddBlock(const std::string& name, const std::string& hctl)
{
    fs::create_directories(fs::path(folder_.Path()) / name);
    if (!hctl.empty())
        fs::create_directory_symlink("../../../" + hctl, fs::path(folder_.Path()) / name / "device");
}

void FakeScsiSystem::AddDrive(const std::string& name, const std::string& hctl)
{
    AddBlock(name, hctl);
    Node("/dev/" + name);
}

FakeScsiNode& FakeScsiSystem::Node(const std::string& path)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return nodes_[path];
}

std::vector<std::string> FakeScsiSystem::Opens() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return opens_;
}

int FakeScsiSystem::OpenDescriptors() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(fds_.size());
}

sg_io_hdr_t FakeScsiSystem::LastRequest() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return last_;
}

std::vector<unsigned char> FakeScsiSystem::LastCdb() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return lastCdb_;
}

int FakeScsiSystem::SgIoCalls() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return sgioCalls_;
}

int FakeScsiSystem::Open(const std::string& path, int flags)
{
    std::lock_guard<std::mutex> guard(mutex_);
    opens_.push_back(path + ((flags & O_ACCMODE) == O_RDWR ? " rw" : " ro") + (flags & O_EXCL ? " excl" : "") +
                     (flags & O_NONBLOCK ? "" : " blocking"));
    auto it = nodes_.find(path);
    if (it == nodes_.end())
        return -ENOENT;
    const FakeScsiNode& node = it->second;
    if ((flags & O_EXCL) && node.exclusiveErrno)
        return -node.exclusiveErrno;
    const int error = (flags & O_ACCMODE) == O_RDWR ? node.readWriteErrno : node.readOnlyErrno;
    if (error)
        return -error;
    fds_[next_] = path;
    return next_++;
}

int FakeScsiSystem::Ioctl(int fd, unsigned long request, void* argument)
{
    std::function<int(sg_io_hdr_t&)> answer;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = fds_.find(fd);
        if (it == fds_.end())
            return -EBADF;
        FakeScsiNode& node = nodes_[it->second];
        if (request == SCSI_IOCTL_GET_IDLUN) {
            if (node.idlun < 0)
                return -EINVAL;
            static_cast<int*>(argument)[0] = node.idlun;
            return 0;
        }
        if (request != SG_IO)
            return -ENOTTY;
        auto* io = static_cast<sg_io_hdr_t*>(argument);
        last_ = *io;
        lastCdb_.assign(io->cmdp, io->cmdp + io->cmd_len);
        ++sgioCalls_;
        answer = node.sgio ? node.sgio : AnswerLikeADrive;
    }
    return answer(*static_cast<sg_io_hdr_t*>(argument));
}

void FakeScsiSystem::Close(int fd)
{
    std::lock_guard<std::mutex> guard(mutex_);
    fds_.erase(fd);
}

} // namespace testkit
