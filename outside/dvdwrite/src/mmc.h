#pragma once
// The few MMC commands the engine sends, straight through the pass-through,
// and what it reads from their replies. Every reply is read within the bytes
// the drive really returned.
#include "win32/scsi.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dvdwrite {

// Profiles of writable DVD media.
bool IsWritableDvdProfile(int profile);
// CD profiles (CD-ROM/-R/-RW, double density, HD burn).
bool IsCdProfile(int profile);
// Random-access media that hold data once formatted (DVD-RAM, DVD-RW
// restricted overwrite, DVD+RW and dual-layer DVD+RW).
bool IsOverwritableProfile(int profile);

// Sense key, ASC and ASCQ of a failed command, fixed or descriptor format.
struct Sense {
    std::uint8_t key = 0, asc = 0, ascq = 0;
};
Sense SenseOf(const ScsiResult& result);
bool Succeeded(const ScsiResult& result);
// Why a command failed, for a person: "no permission on /dev/sr0", "/dev/sr0
// did not answer in time", "/dev/sr0 answered sense 3/0C/00".
std::string DescribeFailure(const ScsiResult& result, const std::string& drivePath);

// Reply readers (exposed for tests).
struct InquiryText {
    std::string vendor, product, revision;   // blanks trimmed
};
InquiryText ParseInquiry(std::span<const std::uint8_t> reply);
// GET CONFIGURATION: the current profile and the profile list feature's entries.
struct Configuration {
    int currentProfile = 0;
    std::vector<int> profiles;
};
Configuration ParseConfiguration(std::span<const std::uint8_t> reply);
// MODE SENSE (10) of page 2A: the DVD write bits and the write speed descriptors (kB/s).
struct Capabilities {
    bool writesDvd = false;
    std::vector<int> writeSpeeds;
};
std::optional<Capabilities> ParseCapabilities(std::span<const std::uint8_t> reply);
// GET PERFORMANCE, type 03: the write speeds (kB/s) of the descriptors.
std::vector<int> ParseWriteSpeedDescriptors(std::span<const std::uint8_t> reply);
// Speeds fastest first, each once, none that is 0.
std::vector<int> SortedSpeeds(std::vector<int> speeds);

// One drive, opened for each use and never held between them.
class MmcDrive {
public:
    explicit MmcDrive(int number) : number_(number) {}
    int Number() const { return number_; }

    // False when the drive cannot be opened; keeps the handle until Close.
    bool Open();
    void Close() { handle_.reset(); }

    std::optional<InquiryText> Inquiry();
    // Ready with a medium; a unit attention (a medium just changed) is asked again once.
    bool TestUnitReady();
    std::optional<Configuration> GetConfiguration();
    std::optional<Capabilities> CapabilitiesPage();
    std::vector<int> WriteSpeeds();   // GET PERFORMANCE, else page 2A; empty when none
    // READ DISC INFORMATION: the disc status (0 blank, 1 appendable, 2
    // complete) and whether the disc can be erased.
    struct DiscInformation {
        int status = 0;
        bool erasable = false;
    };
    std::optional<DiscInformation> DiscInfo();
    bool StartStopUnit(bool load);
    // WRITE (10) of 2048-byte sectors at lba, asked again while the drive is
    // still busy with earlier ones (2/04/08, BUSY).
    ScsiResult Write(std::uint32_t lba, const std::uint8_t* data, std::uint16_t sectors);
    ScsiResult SynchronizeCache();
    // CLOSE TRACK/SESSION: function 1 closes track `number`, 2 the session.
    ScsiResult CloseTrackSession(std::uint8_t function, std::uint16_t number);
    const std::string& Path() const;

private:
    // The reply bytes the drive returned; nullopt when the command failed.
    std::optional<std::vector<std::uint8_t>> Read(const std::vector<std::uint8_t>& cdb, std::uint32_t length);
    ScsiResult Run(const std::vector<std::uint8_t>& cdb, ScsiDirection direction, void* buffer,
                   std::uint32_t length, std::uint32_t timeoutMs);

    int number_;
    std::shared_ptr<ScsiDriveHandle> handle_;
    std::string path_;
};

} // namespace dvdwrite
