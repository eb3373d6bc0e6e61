#pragma once
// Raw commands to a registered virtual recorder through one of the two ASPI
// layers, with each failure decoded as the disc-recording library decodes it.
#include "discrec/dkaspi.h"
#include "discrec/dksense.h"
#include "discrec/dkspti.h"
#include "rtl/syncobjs.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testkit {

struct Answer {
    std::uint8_t status = 0;   // SRB status
    std::uint8_t haStat = 0, targStat = 0;
    std::uint8_t key = 0, asc = 0, ascq = 0;
    std::string text;          // the decoded failure, "" when it succeeded
    std::vector<std::uint8_t> data;
    bool Ok() const { return status == SS_COMP; }
};

inline std::ostream& operator<<(std::ostream& os, const Answer& a)
{
    return os << "status " << int(a.status) << " " << std::hex << int(a.key) << "/" << int(a.asc) << "/" << int(a.ascq)
              << std::dec << " \"" << a.text << "\"";
}

class RecorderLink {
public:
    // useSpti: the program's own pass-through layer, else the ASPI library.
    explicit RecorderLink(bool useSpti)
    {
        EXPECT_TRUE(_InitializeASPI(useSpti, ""));
        EXPECT_EQ(ASPILayerName(), useSpti ? "DKASPI32" : "WNASPI32.DLL");
    }
    ~RecorderLink()
    {
        _DeInitializeASPI();
        SPTIDeInit();
        ASPIDLLLoaded = false;
    }
    RecorderLink(const RecorderLink&) = delete;
    RecorderLink& operator=(const RecorderLink&) = delete;

    // In: inLength bytes come back; Out: out is sent.
    Answer Send(std::vector<std::uint8_t> cdb, std::uint32_t inLength = 0, const std::vector<std::uint8_t>& out = {},
                std::uint32_t timeoutMs = 10000)
    {
        std::vector<std::uint8_t> buffer = out.empty() ? std::vector<std::uint8_t>(inLength) : out;
        TEvent done;
        TSRB_ExecSCSICmd srb;
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = address.hostAdapter;
        srb.SRB_Target = address.target;
        srb.SRB_Lun = address.lun;
        srb.SRB_Flags = SRB_EVENT_NOTIFY | (out.empty() ? (inLength ? SRB_DIR_IN : 0) : SRB_DIR_OUT);
        srb.SetPostProc(&done);
        srb.SetBufPointer(buffer.empty() ? nullptr : buffer.data());
        srb.SRB_BufLen = static_cast<std::uint32_t>(buffer.size());
        srb.SRB_SenseLen = 24;
        srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
        srb.SRB_Timeout = timeoutMs;
        std::copy(cdb.begin(), cdb.end(), srb.CDBByte);
        if (SendASPI32Command(&srb) == SS_PENDING) {
            EXPECT_EQ(done.WaitFor(30000), wrSignaled);
        }
        Answer answer;
        answer.status = srb.SRB_Status;
        answer.haStat = srb.SRB_HaStat;
        answer.targStat = srb.SRB_TargStat;
        if (srb.SRB_Status != SS_COMP) {
            TScsiErrorRecord record;
            DecodeSense(record, srb);
            answer.text = record.LastError;
            answer.key = srb.SenseArea[2] & 0x0F;
            answer.asc = srb.SenseArea[12];
            answer.ascq = srb.SenseArea[13];
        }
        if (out.empty())
            answer.data = std::move(buffer);
        return answer;
    }

    ScsiAddress address;   // with no real drives, the recorder sits at 0:0:0
};

// Names the parameter of tests run through both layers.
inline std::string LayerName(const ::testing::TestParamInfo<bool>& param) { return param.param ? "Dkaspi32" : "Wnaspi32"; }

inline std::uint32_t Be16(const std::vector<std::uint8_t>& b, std::size_t at) { return (b[at] << 8) | b[at + 1]; }
inline std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return (Be16(b, at) << 16) | Be16(b, at + 2);
}

// Command blocks.
inline std::vector<std::uint8_t> Cdb6(std::uint8_t op, std::uint8_t b4 = 0, std::uint8_t b1 = 0)
{
    return {op, b1, 0, 0, b4, 0};
}
inline std::vector<std::uint8_t> Cdb10(std::uint8_t op, std::uint32_t lba = 0, std::uint16_t length = 0,
                                       std::uint8_t b1 = 0, std::uint8_t b2 = 0)
{
    std::vector<std::uint8_t> c(10, 0);
    c[0] = op;
    c[1] = b1;
    if (b2)
        c[2] = b2;
    else {
        c[2] = static_cast<std::uint8_t>(lba >> 24), c[3] = static_cast<std::uint8_t>(lba >> 16);
        c[4] = static_cast<std::uint8_t>(lba >> 8), c[5] = static_cast<std::uint8_t>(lba);
    }
    c[7] = static_cast<std::uint8_t>(length >> 8), c[8] = static_cast<std::uint8_t>(length);
    return c;
}

} // namespace testkit
