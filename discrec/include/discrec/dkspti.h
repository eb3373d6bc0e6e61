#pragma once
// The library's own ASPI layer ("DKASPI32"): it answers the ASPI requests
// itself and sends SCSI commands to the drives through the system's
// pass-through. SPTIInit probes every drive once (INQUIRY) and numbers them
// by their SCSI address; drives whose address the system cannot tell share one
// extra host adapter, targets 0, 1, 2 in drive order. Commands complete before
// __SendASPI32Command returns.
//
// Thread-safe: the table is guarded, and a command runs outside the guard, so
// a long command on one drive holds up no other.
#include "win32/aspi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ScsiDriveHandle;

// Marks in a drive entry.
constexpr std::uint8_t kNoAddressLun = 250;   // the system could not tell the drive's address

struct TScsiDriveEntry {
    std::uint8_t HostAdapter = 0;
    std::uint8_t Target = 0;
    std::uint8_t Lun = 0;
    int DriveNumber = 0;                 // N of /dev/srN (or a virtual drive's number)
    bool Present = false;                // the drive answered the probing INQUIRY
    std::shared_ptr<ScsiDriveHandle> DeviceHandle;   // open while a command runs (see CloseFH)
    std::uint8_t InquiryData[40] = {};   // the start of its INQUIRY reply
    std::uint8_t InquiryLength = 0;      // bytes of it the drive really returned
    std::string DevicePath;              // "/dev/sr0", or the virtual drive's name
};

struct TScsiDrives {
    std::uint8_t HostAdapterCount = 0;
    std::vector<TScsiDriveEntry> Drives;   // in drive-number order
};

// SPTIInit has run and SPTIDeInit has not.
extern std::atomic<bool> SPTIAvailable;
// Close a drive's handle after every command. True (the default): a handle
// exists only for one command, so the layer keeps no drive open between
// commands; false keeps it open from first use to SPTIDeInit. A burn holds the
// drive exclusively for itself either way.
extern std::atomic<bool> CloseFH;

// Probes every drive once; answers how many answered (0 when already up).
std::uint8_t SPTIInit();
// Closes every handle and clears the table; false when the layer was not up.
bool SPTIDeInit();

// The layer's two ASPI entry points.
std::uint32_t __GetASPI32SupportInfo();
std::uint32_t __SendASPI32Command(TSRB_Header* srb);

// 'A' + the drive number of the present drive at an address, or the
// character 127 when none is there.
char GetDriveLetterDKASPI(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun);
// The device path of the present drive at an address, "" when none.
std::string GetDevicePathDKASPI(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun);

// A copy of the table as it stands.
TScsiDrives SPTIDriveTable();
