#include "win32/aspi.h"

#include "win32/scsi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

void SetSrbOutcome(TSRB_ExecSCSICmd& srb, const ScsiResult& result)
{
    srb.SRB_HaStat = HASTAT_OK;
    srb.SRB_TargStat = TARGSTAT_GOOD;
    srb.SRB_SysError = 0;
    srb.SRB_Residual = srb.SRB_BufLen;   // nothing came until the drive says otherwise
    if (result.error != 0) {
        srb.SRB_SysError = result.error;
        srb.SRB_Status = SS_ERR;
        return;
    }
    srb.SRB_Status = SS_ERR;
    switch (result.hostStatus) {
    case DID_OK: break;
    case DID_TIME_OUT: srb.SRB_HaStat = HASTAT_TIMEOUT; return;
    case DID_NO_CONNECT:
    case DID_BAD_TARGET: srb.SRB_HaStat = HASTAT_SEL_TO; return;
    case DID_RESET: srb.SRB_HaStat = HASTAT_BUS_RESET; return;
    case DID_PARITY: srb.SRB_HaStat = HASTAT_PARITY_ERROR; return;
    case DID_BUS_BUSY: srb.SRB_TargStat = TARGSTAT_BUSY; return;
    default: srb.SRB_HaStat = HASTAT_PHASE_ERR; return;
    }
    if ((result.driverStatus & 0x0F) == DRIVER_TIMEOUT) {
        srb.SRB_HaStat = HASTAT_TIMEOUT;
        return;
    }
    srb.SRB_Residual = static_cast<std::uint32_t>(std::clamp<std::int64_t>(result.residual, 0, srb.SRB_BufLen));
    switch (result.status & 0x3E) {
    case SAM_STAT_GOOD: srb.SRB_Status = SS_COMP; return;
    case SAM_STAT_CHECK_CONDITION: {
        srb.SRB_TargStat = TARGSTAT_CHECK_CONDITION;
        const std::size_t wanted = std::min<std::size_t>(srb.SRB_SenseLen, sizeof srb.SenseArea);
        const std::size_t count = std::min<std::size_t>(wanted, result.senseLength);
        std::memset(srb.SenseArea, 0, wanted);
        std::memcpy(srb.SenseArea, result.sense.data(), count);
        return;
    }
    case SAM_STAT_BUSY: srb.SRB_TargStat = TARGSTAT_BUSY; return;
    case SAM_STAT_RESERVATION_CONFLICT: srb.SRB_TargStat = TARGSTAT_RESERVATION_CONFLICT; return;
    case SAM_STAT_TASK_SET_FULL: srb.SRB_TargStat = TARGSTAT_QUEUE_FULL; return;
    default: srb.SRB_TargStat = result.status; return;
    }
}

std::uint8_t ExecuteScsiSrb(ScsiDriveHandle* drive, TSRB_ExecSCSICmd& srb, int openError)
{
    ScsiResult result;
    if (!drive) {
        result.error = openError ? openError : ENODEV;
        SetSrbOutcome(srb, result);
        return srb.SRB_Status;
    }
    ScsiCommand command;
    command.cdb = std::span<const std::uint8_t>(srb.CDBByte, std::min<std::size_t>(srb.SRB_CDBLen, sizeof srb.CDBByte));
    if (srb.SRB_Flags & SRB_DIR_IN)
        command.direction = ScsiDirection::In;
    else if (srb.SRB_Flags & SRB_DIR_OUT)
        command.direction = ScsiDirection::Out;
    command.buffer = srb.BufPointer();
    command.length = command.buffer ? srb.SRB_BufLen : 0;
    command.timeoutMs = srb.SRB_Timeout ? srb.SRB_Timeout : kDefaultSrbTimeoutMs;
    SetSrbOutcome(srb, drive->Execute(command));
    return srb.SRB_Status;
}
