#pragma once
// ASPI request blocks (SRBs): the requests that the two ASPI entry points,
// GetASPI32SupportInfo and SendASPI32Command, take. The program's own
// pass-through layer and the ASPI library (WNASPI32.DLL) share them as a
// binary interface: every field sits at the byte offset the ASPI layout gives
// it (little-endian, asserted below).
//
// That layout holds a pointer in four bytes. A 64-bit process keeps the low
// half of each pointer there and the high half in the block's reserved bytes
// (zero in a 32-bit one); BufPointer() and PostProc() put the halves together.
// The fields the ASPI layout does not know, the time-out, the residual and the
// system error of an execute request, live in reserved and trailing bytes.
//
// Ownership: SendASPI32Command may answer SS_PENDING and complete the request
// later on another thread. Until then the layer owns the SRB: the sender reads
// it only after the event in PostProc() is signalled (flag SRB_EVENT_NOTIFY),
// or after an abort request for it (SC_ABORT_SRB) has returned. Once complete,
// the layer never touches it again.
#include "win32/export.h"

#include <cstddef>
#include <cstdint>

class TEvent;
class ScsiDriveHandle;
struct ScsiResult;

// SRB_Cmd
constexpr std::uint8_t SC_HA_INQUIRY = 0x00;
constexpr std::uint8_t SC_GET_DEV_TYPE = 0x01;
constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;
constexpr std::uint8_t SC_ABORT_SRB = 0x03;
constexpr std::uint8_t SC_RESET_DEV = 0x04;
constexpr std::uint8_t SC_GET_DISK_INFO = 0x06;

// SRB_Status
constexpr std::uint8_t SS_PENDING = 0x00;
constexpr std::uint8_t SS_COMP = 0x01;
constexpr std::uint8_t SS_ABORTED = 0x02;
constexpr std::uint8_t SS_ABORT_FAIL = 0x03;
constexpr std::uint8_t SS_ERR = 0x04;
constexpr std::uint8_t SS_INVALID_CMD = 0x80;     // 128
constexpr std::uint8_t SS_INVALID_HA = 0x81;      // 129
constexpr std::uint8_t SS_NO_DEVICE = 0x82;       // 130
constexpr std::uint8_t SS_INVALID_SRB = 0xE0;     // 224
constexpr std::uint8_t SS_BUFFER_ALIGN = 0xE1;    // 225
constexpr std::uint8_t SS_NO_LAYER = 0xE2;        // 226: the program itself, when no layer is bound
constexpr std::uint8_t SS_ASPI_IS_BUSY = 0xE5;    // 229
constexpr std::uint8_t SS_BUFFER_TOO_BIG = 0xE6;  // 230
constexpr std::uint8_t SS_NO_ADAPTERS = 0xE8;     // 232

// SRB_HaStat
constexpr std::uint8_t HASTAT_OK = 0;
constexpr std::uint8_t HASTAT_TIMEOUT = 9;
constexpr std::uint8_t HASTAT_COMMAND_TIMEOUT = 11;
constexpr std::uint8_t HASTAT_MESSAGE_REJECT = 13;
constexpr std::uint8_t HASTAT_BUS_RESET = 14;
constexpr std::uint8_t HASTAT_PARITY_ERROR = 15;
constexpr std::uint8_t HASTAT_REQUEST_SENSE_FAILED = 16;
constexpr std::uint8_t HASTAT_SEL_TO = 17;
constexpr std::uint8_t HASTAT_DO_DU = 18;
constexpr std::uint8_t HASTAT_BUS_FREE = 19;
constexpr std::uint8_t HASTAT_PHASE_ERR = 20;

// SRB_TargStat
constexpr std::uint8_t TARGSTAT_GOOD = 0;
constexpr std::uint8_t TARGSTAT_CHECK_CONDITION = 2;
constexpr std::uint8_t TARGSTAT_BUSY = 8;
constexpr std::uint8_t TARGSTAT_RESERVATION_CONFLICT = 24;
constexpr std::uint8_t TARGSTAT_QUEUE_FULL = 40;

// SRB_Flags
constexpr std::uint8_t SRB_DIR_IN = 0x08;
constexpr std::uint8_t SRB_DIR_OUT = 0x10;
constexpr std::uint8_t SRB_EVENT_NOTIFY = 0x40;

constexpr std::uint32_t kDefaultSrbTimeoutMs = 120000;
constexpr int kSrbSenseSize = 64;

// A pointer kept as two 32-bit halves (see above).
inline std::uint32_t LowHalf(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }
inline std::uint32_t HighHalf(const void* p)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)) >> 32);
}
inline void* JoinHalves(std::uint32_t low, std::uint32_t high)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>((static_cast<std::uint64_t>(high) << 32) | low));
}

// The fields every request begins with.
struct TSRB_Header {
    std::uint8_t SRB_Cmd = 0;
    std::uint8_t SRB_Status = 0;
    std::uint8_t SRB_HaId = 0;
    std::uint8_t SRB_Flags = 0;
    std::uint32_t SRB_Hdr_Rsvd = 0;
};

// SC_HA_INQUIRY: what a host adapter is.
struct TSRB_HAInquiry : TSRB_Header {
    std::uint8_t HA_Count = 0;             // host adapters of the layer
    std::uint8_t HA_SCSI_ID = 0;
    char HA_ManagerId[16] = {};            // the layer, blank-padded ASCII
    char HA_Identifier[16] = {};           // the adapter, NUL-padded ASCII
    // 0-1 buffer alignment mask, 2 residual-count flags, 3 maximum targets,
    // 4-7 maximum transfer length, 8-15 reserved.
    struct THAUnique {
        std::uint8_t Bytes[16] = {};
        std::uint16_t BufferAlignMask() const { return static_cast<std::uint16_t>(Bytes[0] | Bytes[1] << 8); }
        std::uint8_t ResidualFlags() const { return Bytes[2]; }
        std::uint8_t MaxTargets() const { return Bytes[3]; }
        std::uint32_t MaxTransferLength() const
        {
            return std::uint32_t{Bytes[4]} | std::uint32_t{Bytes[5]} << 8 | std::uint32_t{Bytes[6]} << 16 |
                   std::uint32_t{Bytes[7]} << 24;
        }
        void Set(std::uint16_t alignMask, std::uint8_t residualFlags, std::uint8_t maxTargets,
                 std::uint32_t maxTransferLength)
        {
            Bytes[0] = static_cast<std::uint8_t>(alignMask), Bytes[1] = static_cast<std::uint8_t>(alignMask >> 8);
            Bytes[2] = residualFlags;
            Bytes[3] = maxTargets;
            for (int i = 0; i < 4; ++i)
                Bytes[4 + i] = static_cast<std::uint8_t>(maxTransferLength >> (8 * i));
        }
    } HA_Unique;
    std::uint16_t HA_Rsvd1 = 0;
};

// SC_GET_DEV_TYPE: the peripheral type at an address.
struct TSRB_GDEVBlock : TSRB_Header {
    std::uint8_t SRB_Target = 0;
    std::uint8_t SRB_Lun = 0;
    std::uint8_t SRB_DeviceType = 0;
    std::uint8_t SRB_Rsvd1 = 0;
};

// SC_EXEC_SCSI_CMD: one command to the device at an address.
struct TSRB_ExecSCSICmd : TSRB_Header {
    std::uint8_t SRB_Target = 0;
    std::uint8_t SRB_Lun = 0;
    std::uint16_t SRB_Rsvd1 = 0;
    std::uint32_t SRB_BufLen = 0;
    std::uint32_t SRB_BufPointerLow = 0;   // BufPointer()
    std::uint8_t SRB_SenseLen = 0;         // sense bytes wanted in SenseArea (at most 64)
    std::uint8_t SRB_CDBLen = 0;
    std::uint8_t SRB_HaStat = 0;
    std::uint8_t SRB_TargStat = 0;
    std::uint32_t SRB_PostProcLow = 0;     // PostProc()
    std::uint32_t SRB_Rsvd2 = 0;
    // The ASPI layout's 16 reserved bytes.
    std::uint32_t SRB_BufPointerHigh = 0;
    std::uint32_t SRB_PostProcHigh = 0;
    std::uint32_t SRB_Timeout = 0;         // milliseconds; 0 means kDefaultSrbTimeoutMs
    std::uint32_t SRB_Residual = 0;        // bytes of the buffer the drive did not fill (or take)
    std::uint8_t CDBByte[16] = {};
    std::uint8_t SenseArea[kSrbSenseSize] = {};
    // After the sense area.
    std::int32_t SRB_SysError = 0;         // errno of a pass-through call that failed, else 0

    // The data buffer (SRB_BufLen bytes).
    void* BufPointer() const { return JoinHalves(SRB_BufPointerLow, SRB_BufPointerHigh); }
    void SetBufPointer(void* p) { SRB_BufPointerLow = LowHalf(p), SRB_BufPointerHigh = HighHalf(p); }
    // Signalled on completion when SRB_EVENT_NOTIFY is set.
    TEvent* PostProc() const { return static_cast<TEvent*>(JoinHalves(SRB_PostProcLow, SRB_PostProcHigh)); }
    void SetPostProc(TEvent* e) { SRB_PostProcLow = LowHalf(e), SRB_PostProcHigh = HighHalf(e); }
};

// SC_ABORT_SRB: take back a request still in the layer's hands.
struct TSRB_Abort : TSRB_Header {
    TSRB_Header* SRB_ToAbort = nullptr;
};

// SC_RESET_DEV: reset the device at an address.
struct TSRB_BusDeviceReset : TSRB_Header {
    std::uint8_t SRB_Target = 0;
    std::uint8_t SRB_Lun = 0;
    std::uint8_t SRB_Rsvd1[12] = {};
    std::uint8_t SRB_HaStat = 0;            // as an execute request has them
    std::uint8_t SRB_TargStat = 0;
};

// SC_GET_DISK_INFO: the drive number of the device at an address.
struct TSRB_GetDiskInfo : TSRB_Header {
    std::uint8_t SRB_Target = 0;
    std::uint8_t SRB_Lun = 0;
    std::uint8_t SRB_DriveFlags = 0;
    std::uint8_t SRB_DriveNumber = 0;      // N of /dev/srN
};

// The byte layout (offsetof on these single-inheritance blocks is well defined in GCC and Clang).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(TSRB_Header) == 8 && offsetof(TSRB_Header, SRB_Status) == 1 &&
              offsetof(TSRB_Header, SRB_HaId) == 2 && offsetof(TSRB_Header, SRB_Flags) == 3 &&
              offsetof(TSRB_Header, SRB_Hdr_Rsvd) == 4);
static_assert(offsetof(TSRB_HAInquiry, HA_Count) == 8 && offsetof(TSRB_HAInquiry, HA_SCSI_ID) == 9 &&
              offsetof(TSRB_HAInquiry, HA_ManagerId) == 10 && offsetof(TSRB_HAInquiry, HA_Identifier) == 26 &&
              offsetof(TSRB_HAInquiry, HA_Unique) == 42 && offsetof(TSRB_HAInquiry, HA_Rsvd1) == 58 &&
              sizeof(TSRB_HAInquiry) == 60);
static_assert(offsetof(TSRB_GDEVBlock, SRB_Target) == 8 && offsetof(TSRB_GDEVBlock, SRB_Lun) == 9 &&
              offsetof(TSRB_GDEVBlock, SRB_DeviceType) == 10 && sizeof(TSRB_GDEVBlock) == 12);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Target) == 8 && offsetof(TSRB_ExecSCSICmd, SRB_Lun) == 9 &&
              offsetof(TSRB_ExecSCSICmd, SRB_Rsvd1) == 10 && offsetof(TSRB_ExecSCSICmd, SRB_BufLen) == 12 &&
              offsetof(TSRB_ExecSCSICmd, SRB_BufPointerLow) == 16 && offsetof(TSRB_ExecSCSICmd, SRB_SenseLen) == 20 &&
              offsetof(TSRB_ExecSCSICmd, SRB_CDBLen) == 21 && offsetof(TSRB_ExecSCSICmd, SRB_HaStat) == 22 &&
              offsetof(TSRB_ExecSCSICmd, SRB_TargStat) == 23 && offsetof(TSRB_ExecSCSICmd, SRB_PostProcLow) == 24 &&
              offsetof(TSRB_ExecSCSICmd, SRB_Rsvd2) == 28 && offsetof(TSRB_ExecSCSICmd, SRB_BufPointerHigh) == 32 &&
              offsetof(TSRB_ExecSCSICmd, SRB_PostProcHigh) == 36 && offsetof(TSRB_ExecSCSICmd, SRB_Timeout) == 40 &&
              offsetof(TSRB_ExecSCSICmd, SRB_Residual) == 44 && offsetof(TSRB_ExecSCSICmd, CDBByte) == 48 &&
              offsetof(TSRB_ExecSCSICmd, SenseArea) == 64 &&
              offsetof(TSRB_ExecSCSICmd, SRB_SysError) == 64 + kSrbSenseSize &&
              sizeof(TSRB_ExecSCSICmd) == 68 + kSrbSenseSize);
static_assert(offsetof(TSRB_Abort, SRB_ToAbort) == 8);
static_assert(offsetof(TSRB_BusDeviceReset, SRB_Target) == 8 && offsetof(TSRB_BusDeviceReset, SRB_Lun) == 9 &&
              offsetof(TSRB_BusDeviceReset, SRB_HaStat) == 22 && offsetof(TSRB_BusDeviceReset, SRB_TargStat) == 23);
static_assert(offsetof(TSRB_GetDiskInfo, SRB_Target) == 8 && offsetof(TSRB_GetDiskInfo, SRB_Lun) == 9 &&
              offsetof(TSRB_GetDiskInfo, SRB_DriveFlags) == 10 && offsetof(TSRB_GetDiskInfo, SRB_DriveNumber) == 11 &&
              sizeof(TSRB_GetDiskInfo) == 12);
#pragma GCC diagnostic pop

// The two entry points.
using TGetASPI32SupportInfo = std::uint32_t (*)();            // status << 8 | host-adapter count
using TSendASPI32Command = std::uint32_t (*)(TSRB_Header* srb); // the SRB status

// Runs an execute request on an opened drive and fills in its outcome (see
// SetSrbOutcome); a null drive fails the request with openError as if the
// pass-through call had failed. Answers the SRB status.
WIN32_API std::uint8_t ExecuteScsiSrb(ScsiDriveHandle* drive, TSRB_ExecSCSICmd& srb, int openError = 0);

// How a pass-through outcome reads as an SRB:
//   all well                         status SS_COMP
//   CHECK CONDITION                  SS_ERR, target status 2, sense copied (SRB_SenseLen bytes at most)
//   BUSY / RESERVATION CONFLICT /    SS_ERR, target status 8 / 24 / 40
//   TASK SET FULL
//   host DID_TIME_OUT, driver time-out  SS_ERR, host-adapter status 9
//   DID_NO_CONNECT, DID_BAD_TARGET   SS_ERR, host-adapter status 17
//   DID_RESET / DID_PARITY           SS_ERR, host-adapter status 14 / 15
//   DID_BUS_BUSY                     SS_ERR, target status 8
//   any other host status            SS_ERR, host-adapter status 20
//   the call itself failed           SS_ERR, SRB_SysError = errno
// A residual (fewer bytes than asked for) is no error: SRB_Residual says how
// many of SRB_BufLen bytes did not come (or go).
WIN32_API void SetSrbOutcome(TSRB_ExecSCSICmd& srb, const ScsiResult& result);
