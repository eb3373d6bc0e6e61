#pragma once
// CD-ROM sectors as they lie on a disc: 2352 bytes of sync, header and data,
// in mode 1 (2048 data bytes) or mode 2 (CD-ROM XA form 1, 2048 data bytes, or
// form 2, 2324), with their error detection (EDC) and correction (ECC) codes
// as ECMA-130 and the CD-ROM XA specification lay them out.
//
//   bytes    mode 1          mode 2 form 1          mode 2 form 2
//   0-11     sync            sync                   sync
//   12-15    header: BCD minute, second, frame of the address, then the mode
//   16-23    data            sub-header (4 bytes, twice)
//   24-      ...             data 2048, EDC, ECC    data 2324, EDC
//   2064     EDC, 8 zeros, P and Q parity
#include "win32/export.h"

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kCdRawSectorSize = 2352;

// The sub-header of a mode 2 form 1 data sector (file 0, channel 0, data).
constexpr std::uint8_t kCdForm1SubHeader[8] = {0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x08, 0x00};

// Writes the sync pattern and the header of the sector at `lba` (LBA 0 is 00:02:00).
WIN32_API void CdSectorHeader(std::uint8_t* raw, std::int32_t lba, std::uint8_t mode);
// Fills in the EDC, and for mode 1 and form 1 the ECC, of a sector whose
// header, sub-header (mode 2) and data are in place. The mode byte (15) and
// the form bit of the sub-header (byte 18, 0x20) tell the layout.
WIN32_API void CdSectorCodes(std::uint8_t* raw);
// The EDC (a CRC-32) of a byte range, as the sector stores it little-endian.
WIN32_API std::uint32_t CdSectorEdc(const std::uint8_t* data, std::size_t length);
// Whether a mode 2 sector is of form 2.
inline bool CdSectorForm2(const std::uint8_t* raw) { return (raw[18] & 0x20) != 0; }
