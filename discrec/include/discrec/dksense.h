#pragma once
// Turning a failed command into one readable text. A device keeps a
// TScsiErrorRecord; after every command whose SRB status is neither pending
// nor complete it calls DecodeSense, and the record then holds the text, the
// sense bytes and whether the target was busy.
#include "win32/aspi.h"

#include <array>
#include <cstdint>
#include <string>

struct TScsiErrorRecord {
    std::string LastError;                    // "" when the last command did not fail (or failed without text)
    std::array<std::uint8_t, 33> Sense{};     // the first 33 bytes of the last sense area
    bool SenseValid = false;                  // Sense holds the bytes of the last command
    bool TargetBusy = false;                  // the target answered BUSY
    std::string DevicePath;                   // "/dev/sr0": names the drive in system-error texts

    // What every command clears before it is sent (the busy flag and the path stay).
    void ClearForCommand();
};

// The text of an ASPI status with its host-adapter and target statuses. Clears
// the busy flag first; statuses without a text leave the previous text.
void GetAspiError(TScsiErrorRecord& record, std::uint8_t status, std::uint8_t haStat, std::uint8_t targStat);

// The whole decoding: GetAspiError, then for CHECK CONDITION the sense key,
// then the additional sense (see AdditionalSenseInformation). A pass-through
// call that failed (SRB_SysError) reads as the system's reason, for example
// "no permission on /dev/sr0".
void DecodeSense(TScsiErrorRecord& record, const TSRB_ExecSCSICmd& srb);

// Looks up the ASC/ASCQ of the sense area (the two numbers in decimal, "100,3",
// when the table has no text), keeps the sense bytes, and when the sense data
// has additional bytes appends " (" + that text + ")" to the last error text.
void AdditionalSenseInformation(TScsiErrorRecord& record, const TSRB_ExecSCSICmd& srb);
