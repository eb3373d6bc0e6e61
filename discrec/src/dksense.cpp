#include "discrec/dksense.h"

#include "discrec/dkconst.h"
#include "rtl/sysutils.h"
#include "win32/scsi.h"

#include <algorithm>
#include <cstring>

void TScsiErrorRecord::ClearForCommand()
{
    LastError.clear();
    Sense.fill(0);
    SenseValid = false;
}

void GetAspiError(TScsiErrorRecord& record, std::uint8_t status, std::uint8_t haStat, std::uint8_t targStat)
{
    record.TargetBusy = false;
    auto set = [&](std::string_view text) { record.LastError = text; };
    switch (status) {
    case SS_INVALID_CMD: set(ERR_INVALIDREQUEST); return;
    case SS_INVALID_HA: set(ERR_INVALIDHA); return;
    case SS_NO_DEVICE: set(ERR_NODEVICE); return;
    case SS_INVALID_SRB: set(ERR_INVALIDSRB); return;
    case SS_BUFFER_ALIGN: set(ERR_BUFFERALIGNMENT); return;
    case SS_ASPI_IS_BUSY: set(ERR_ASPIBUSY); return;
    case SS_BUFFER_TOO_BIG: set(ERR_BUFFERTOOBIG); return;
    case SS_ERR: break;
    default: return;
    }
    switch (haStat) {
    case HASTAT_TIMEOUT: set(ERR_TIMEOUT); return;
    case HASTAT_COMMAND_TIMEOUT: set(ERR_SRBTIMEOUT); return;
    case HASTAT_MESSAGE_REJECT: set(ERR_MESSAGEREJECT); return;
    case HASTAT_BUS_RESET: set(ERR_BUSRESET); return;
    case HASTAT_PARITY_ERROR: set(ERR_PARITYERR); return;
    case HASTAT_REQUEST_SENSE_FAILED: set(ERR_REQUESTSENSEFAILED); return;
    case HASTAT_SEL_TO: set(ERR_SELECTIONTIMEOUT); return;
    case HASTAT_DO_DU: set(ERR_DATAOVERRUN); return;
    case HASTAT_BUS_FREE: set(ERR_UNEXPECTEDBUSFREE); return;
    case HASTAT_OK: break;
    default: return;
    }
    switch (targStat) {
    case TARGSTAT_GOOD:
    case TARGSTAT_CHECK_CONDITION: set(ERR_CHECKCONDITION); return;
    case TARGSTAT_BUSY: record.TargetBusy = true; return;
    case TARGSTAT_RESERVATION_CONFLICT: set(ERR_TARGETCONFLICT); return;
    case TARGSTAT_QUEUE_FULL: set(ERR_QUEFULL); return;
    default: return;
    }
}

namespace {

std::string_view SenseKeyText(const std::uint8_t* sense)
{
    const std::uint8_t responseCode = sense[0] & 0x7F;
    if (responseCode == 0)
        return ERR_NONE;
    if (responseCode != 0x70 && responseCode != 0x71)
        return ERR_UNKNOWN;
    switch (sense[2] & 0x0F) {
    case 0x0:
        if (sense[2] & 0x80)
            return ERR_FILEMARK;
        if (sense[2] & 0x40)
            return ERR_ENDOFMEDIA;
        if (sense[2] & 0x20)
            return ERR_ILLEGALLENGTH;
        return ERR_AS_00_00;
    case 0x1: return ERR_RECOVEREDERROR;
    case 0x2: return ERR_NOTREADY;
    case 0x3: return ERR_MEDIUMERROR;
    case 0x4: return ERR_HARDWAREERROR;
    case 0x5: return ERR_ILLEGALREQUEST;
    case 0x6: return ERR_UNITATTENTION;
    case 0x7: return ERR_DATAPROTECT;
    case 0x8: return ERR_ERASECHECK;
    case 0xA: return ERR_COPYABORTED;
    case 0xB: return ERR_ABORTEDCOMMAND;
    case 0xD: return ERR_VOLUMEOVERFLOW;
    case 0xE: return ERR_MISCOMPARE;
    case 0xF: return ERR_RESERVED;
    default: return ERR_CHECKCONDITION;   // 9 and 12 have no text of their own
    }
}

bool IsKnownHostStatus(std::uint8_t haStat)
{
    return haStat == HASTAT_OK || haStat == HASTAT_TIMEOUT || haStat == HASTAT_COMMAND_TIMEOUT ||
           (haStat >= HASTAT_MESSAGE_REJECT && haStat <= HASTAT_BUS_FREE);
}

} // namespace

void AdditionalSenseInformation(TScsiErrorRecord& record, const TSRB_ExecSCSICmd& srb)
{
    const std::uint8_t asc = srb.SenseArea[12];
    const std::uint8_t ascq = srb.SenseArea[13];
    std::string ascText;
    if (asc <= 0x73)
        ascText = std::string(AdditionalSenseText(asc, ascq));
    if (ascText.empty())
        ascText = IntToStr(asc) + "," + IntToStr(ascq);
    std::memcpy(record.Sense.data(), srb.SenseArea, record.Sense.size());
    record.SenseValid = true;
    if (srb.SenseArea[7] != 0)
        record.LastError += " (" + ascText + ")";
}

void DecodeSense(TScsiErrorRecord& record, const TSRB_ExecSCSICmd& srb)
{
    GetAspiError(record, srb.SRB_Status, srb.SRB_HaStat, srb.SRB_TargStat);
    if (srb.SRB_Status == SS_ERR && srb.SRB_SysError != 0) {
        // Nothing reached the drive: there is no sense data to read.
        record.LastError = ScsiSystemErrorText(srb.SRB_SysError,
                                               record.DevicePath.empty() ? std::string("the drive") : record.DevicePath);
        return;
    }
    if (record.LastError == ERR_CHECKCONDITION)
        record.LastError = SenseKeyText(srb.SenseArea);
    else if (srb.SRB_Status == SS_ERR && !IsKnownHostStatus(srb.SRB_HaStat))
        record.LastError = ERR_UNKNOWN;
    AdditionalSenseInformation(record, srb);
}
