#pragma once
// SCSI pass-through to optical drives.
//
// The drives are the ones the system lists as /sys/class/block/srN, opened as
// /dev/srN and driven with SG_IO, plus in-process virtual drives that the
// program or a plug-in registers (the test recorder). The table is one per
// process: the ASPI library and the program's own transport, which both link
// this shared library, see the same drives.
//
// Set KELDARA_VIRTUAL_RECORDER to "<medium>:<image path>" and the first look at
// the table loads the recorder plug-in (KeldaraRecorder.dll), which registers a
// virtual recorder that writes what it is sent into the image file.
#include "win32/export.h"

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// A drive's place on the SCSI buses as the ASPI layers number it.
struct ScsiAddress {
    std::uint8_t hostAdapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    auto operator<=>(const ScsiAddress&) const = default;
};

enum class ScsiDirection { None, In, Out };

// One command. The buffer belongs to the caller and must outlive the call.
struct ScsiCommand {
    std::span<const std::uint8_t> cdb;   // 6 to 16 bytes
    ScsiDirection direction = ScsiDirection::None;
    void* buffer = nullptr;
    std::uint32_t length = 0;            // bytes to send or to receive
    std::uint32_t timeoutMs = 120000;
};

// SCSI status bytes.
constexpr std::uint8_t SAM_STAT_GOOD = 0x00;
constexpr std::uint8_t SAM_STAT_CHECK_CONDITION = 0x02;
constexpr std::uint8_t SAM_STAT_BUSY = 0x08;
constexpr std::uint8_t SAM_STAT_RESERVATION_CONFLICT = 0x18;
constexpr std::uint8_t SAM_STAT_TASK_SET_FULL = 0x28;

// Host statuses: what the host adapter made of the command.
constexpr std::uint16_t DID_OK = 0x00;
constexpr std::uint16_t DID_NO_CONNECT = 0x01;
constexpr std::uint16_t DID_BUS_BUSY = 0x02;
constexpr std::uint16_t DID_TIME_OUT = 0x03;
constexpr std::uint16_t DID_BAD_TARGET = 0x04;
constexpr std::uint16_t DID_ABORT = 0x05;
constexpr std::uint16_t DID_PARITY = 0x06;
constexpr std::uint16_t DID_ERROR = 0x07;
constexpr std::uint16_t DID_RESET = 0x08;

// Driver statuses (the low four bits; DRIVER_SENSE only says sense data came back).
constexpr std::uint16_t DRIVER_OK = 0x00;
constexpr std::uint16_t DRIVER_TIMEOUT = 0x06;
constexpr std::uint16_t DRIVER_SENSE = 0x08;

constexpr std::size_t kScsiSenseSize = 64;

// What came back: the SG_IO outcome, also produced by virtual drives.
struct ScsiResult {
    int error = 0;                  // errno when the request never reached the drive
    std::uint8_t status = SAM_STAT_GOOD;
    std::uint16_t hostStatus = DID_OK;
    std::uint16_t driverStatus = DRIVER_OK;
    std::array<std::uint8_t, kScsiSenseSize> sense{};
    std::uint8_t senseLength = 0;   // sense bytes written
    std::int32_t residual = 0;      // bytes asked for but not transferred (no error)
};

// An in-process drive: answers every command itself. Execute may be called
// from several threads at once.
class ScsiTarget {
public:
    virtual ~ScsiTarget() = default;
    virtual ScsiResult Execute(const ScsiCommand& command) = 0;
    // A device reset; false when the drive refuses it.
    virtual bool Reset() { return true; }
};

struct ScsiDriveInfo {
    int number = -1;                     // N of /dev/srN; virtual drives take 32 to 61
    std::string path;                    // "/dev/sr0", or the name of a virtual drive
    std::optional<ScsiAddress> address;  // none when the system does not tell
    bool isVirtual = false;
};

// Every drive in number order. Host adapters are renumbered densely (0, 1, 2
// in the order of the system's host and channel numbers), targets and LUNs
// kept. Virtual drives sit on one more host adapter of their own, targets 0, 1,
// 2 in number order.
WIN32_API std::vector<ScsiDriveInfo> EnumerateScsiDrives();
WIN32_API std::optional<ScsiDriveInfo> FindScsiDrive(int number);

// One opened drive. Execute and Reset may be called from several threads at once.
class ScsiDriveHandle {
public:
    virtual ~ScsiDriveHandle() = default;
    virtual ScsiResult Execute(const ScsiCommand& command) = 0;
    virtual bool Reset() = 0;
    int Number() const { return number_; }
    const std::string& Path() const { return path_; }

protected:
    ScsiDriveHandle(int number, std::string path) : number_(number), path_(std::move(path)) {}

private:
    int number_;
    std::string path_;
};

enum class ScsiOpenMode {
    Shared,     // read and write where allowed, else read only
    Exclusive,  // as Shared, and nobody else may open or mount it exclusively (a burn, an erase)
};

struct ScsiOpenError {
    int code = 0;      // errno
    std::string text;  // "no permission on /dev/sr0", ...
};

// Opens /dev/srN read-write, else read-only (both non-blocking, so a drive
// without a disc opens too). nullptr when it cannot be opened, with the reason
// in error. A read-only handle refuses writing commands with EPERM.
WIN32_API std::shared_ptr<ScsiDriveHandle> OpenScsiDrive(int number, ScsiOpenMode mode = ScsiOpenMode::Shared,
                                                         ScsiOpenError* error = nullptr);

// The user's text for a system error on a drive: "no permission on /dev/sr0"
// for EACCES and EPERM (writing needs the group that owns the drive, usually
// cdrom), else a short description.
WIN32_API std::string ScsiSystemErrorText(int code, const std::string& path);

// Adds a virtual drive under the lowest free number from 32 to 61 and answers
// it (-1 when all are taken). The table keeps the target alive until it is
// unregistered; handles opened on it keep it alive until they are closed.
WIN32_API int RegisterVirtualScsiDrive(std::shared_ptr<ScsiTarget> target, std::string name);
WIN32_API bool UnregisterVirtualScsiDrive(int number);

// Where the drives come from. Empty fields mean the real system.
struct ScsiSource {
    std::string sysClassBlockRoot;   // folder standing for /sys/class/block
    // When set, stand for the system calls on device nodes: open answers a
    // descriptor or -errno, ioctl 0 or -errno.
    std::function<int(const std::string& path, int flags)> open;
    std::function<int(int fd, unsigned long request, void* argument)> ioctl;
    std::function<void(int fd)> close;
};
// Installs a source for the whole process; a default ScsiSource restores the real one.
WIN32_API void SetScsiSource(const ScsiSource& source);
