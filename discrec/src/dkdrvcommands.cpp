// TSCSIDevice: one wrapper per SCSI/MMC command the library sends.
#include "discrec/dkdrvlib.h"

#include "dkreply.h"

#include <algorithm>
#include <cstring>

namespace {

// A command block under construction; multi-byte fields are big-endian.
class Cdb {
public:
    Cdb(std::uint8_t opcode, std::size_t length) : bytes_(length, 0) { bytes_[0] = opcode; }
    Cdb& At(std::size_t i, std::uint8_t v)
    {
        bytes_[i] = v;
        return *this;
    }
    Cdb& Be16(std::size_t i, std::uint32_t v)
    {
        bytes_[i] = static_cast<std::uint8_t>(v >> 8);
        bytes_[i + 1] = static_cast<std::uint8_t>(v);
        return *this;
    }
    Cdb& Be24(std::size_t i, std::uint32_t v)
    {
        bytes_[i] = static_cast<std::uint8_t>(v >> 16);
        return Be16(i + 1, v & 0xFFFF);
    }
    Cdb& Be32(std::size_t i, std::uint32_t v)
    {
        Be16(i, v >> 16);
        return Be16(i + 2, v & 0xFFFF);
    }
    operator const std::vector<std::uint8_t>&() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

constexpr std::uint8_t kNone = 0;
constexpr std::uint8_t kIn = SRB_DIR_IN;
constexpr std::uint8_t kOut = SRB_DIR_OUT;

// Raises a flag for the length of a scope.
class FlagScope {
public:
    FlagScope(std::atomic<bool>& flag, bool raise) : flag_(raise ? &flag : nullptr)
    {
        if (flag_)
            *flag_ = true;
    }
    ~FlagScope()
    {
        if (flag_)
            *flag_ = false;
    }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    std::atomic<bool>* flag_;
};

} // namespace

bool TSCSIDevice::Run(const std::vector<std::uint8_t>& cdb, std::uint8_t direction, void* buffer,
                      std::uint32_t length, int timeout, TSRB_ExecSCSICmd* out, std::uint32_t* returned)
{
    TSRB_ExecSCSICmd srb;
    srb.SRB_Flags = static_cast<std::uint8_t>(SRB_EVENT_NOTIFY | direction);
    srb.SetBufPointer(length ? buffer : nullptr);
    srb.SRB_BufLen = buffer ? length : 0;
    srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    std::memcpy(srb.CDBByte, cdb.data(), cdb.size());
    ExecScsiCommand(srb, timeout);
    const bool done = srb.SRB_Status == SS_COMP;
    // What the drive did not return is not its reply: no stale or stray byte is read as one.
    const std::uint32_t came = done ? srb.SRB_BufLen - std::min(srb.SRB_Residual, srb.SRB_BufLen) : 0;
    if ((direction & SRB_DIR_IN) && srb.BufPointer() && came < srb.SRB_BufLen)
        std::memset(static_cast<std::uint8_t*>(srb.BufPointer()) + came, 0, srb.SRB_BufLen - came);
    if (returned)
        *returned = came;
    if (out)
        *out = srb;
    return done;
}

bool TSCSIDevice::TestUnitReady(int Timeout) { return Run(Cdb(0x00, 6), kNone, nullptr, 0, Timeout); }

bool TSCSIDevice::Rewind() { return Run(Cdb(0x01, 6).At(1, 1), kNone, nullptr, 0, 10000); }

bool TSCSIDevice::RequestSense(void* Buf, std::uint8_t Len, std::uint32_t* Returned)
{
    return Run(Cdb(0x03, 6).At(4, Len), kIn, Buf, Len, 10000, nullptr, Returned);
}

bool TSCSIDevice::FormatUnit(std::uint8_t Flags, const void* Buf, std::uint32_t Len)
{
    return Run(Cdb(0x04, 6).At(1, Flags), Buf ? kOut : kNone, const_cast<void*>(Buf), Len, 10000);
}

bool TSCSIDevice::Inquiry()
{
    std::uint32_t returned = 0;
    if (!Run(Cdb(0x12, 6).At(4, 128), kIn, inquiryData_.data(), static_cast<std::uint32_t>(inquiryData_.size()),
             10000, nullptr, &returned))
        return false;
    // Fields the drive did not return read as zeros (blanks in the names); a
    // reply without its peripheral type tells nothing. The additional length
    // (byte 4) is not trusted over the bytes: drives often leave it short.
    return returned > 0;
}

bool TSCSIDevice::LoadMedium(bool Eject)
{
    FlagScope medium(mediumCommand_, true);
    return Run(Cdb(0x1B, 6).At(4, Eject ? 2 : 3), kNone, nullptr, 0, 20000);
}

bool TSCSIDevice::LockMedium(bool Unlock)
{
    FlagScope medium(mediumCommand_, Unlock);
    return Run(Cdb(0x1E, 6).At(4, Unlock ? 0 : 1), kNone, nullptr, 0, 10000);
}

bool TSCSIDevice::ReadCapacity(std::uint32_t& LBA, std::uint32_t& BlockLen)
{
    alignas(8) std::uint8_t bytes[8] = {};
    std::uint32_t returned = 0;
    if (!Run(Cdb(0x25, 10), kIn, bytes, sizeof bytes, 10000, nullptr, &returned) || returned < sizeof bytes)
        return false;
    const TReply reply(bytes, returned);
    LBA = reply.Be32(0);
    BlockLen = reply.Be32(4);
    return true;
}

bool TSCSIDevice::Read10(std::uint32_t LBA, std::uint16_t Blocks, void* Buf, std::uint32_t Len,
                          std::uint32_t* Returned)
{
    return Run(Cdb(0x28, 10).Be32(2, LBA).Be16(7, Blocks), kIn, Buf, Len, 10000, nullptr, Returned);
}

bool TSCSIDevice::Write10(std::int32_t LBA, std::uint16_t Blocks, const void* Buf, std::uint32_t Len,
                          std::uint8_t Flags)
{
    TSRB_ExecSCSICmd srb;
    // The outcome is judged from the request itself: a layer may leave it pending and still have sent it.
    (void)Run(Cdb(0x2A, 10).Be32(2, static_cast<std::uint32_t>(LBA)).Be16(7, Blocks), Flags & ~SRB_EVENT_NOTIFY,
              const_cast<void*>(Buf), Len, 120000, &srb);
    return srb.SRB_Status == SS_COMP || srb.SRB_Status == SS_PENDING;
}

bool TSCSIDevice::FlushCache(int Timeout, bool Immed)
{
    return Run(Cdb(0x35, 10).At(1, Immed ? 2 : 0), kNone, nullptr, 0, Timeout);
}

bool TSCSIDevice::ReadTOC(std::uint8_t Format, void* Buf, std::uint16_t Len, std::uint8_t Track, bool MSF,
                          std::uint8_t Control, std::uint32_t* Returned)
{
    return Run(Cdb(0x43, 10).At(1, MSF ? 2 : 0).At(2, Format).At(6, Track).Be16(7, Len).At(9, Control), kIn, Buf,
               Len, 10000, nullptr, Returned);
}

bool TSCSIDevice::GetConfigData(std::uint8_t RT, std::uint16_t Feature, void* Buf, std::uint16_t Len,
                                std::uint32_t* Returned)
{
    return Run(Cdb(0x46, 10).At(1, RT).Be16(2, Feature).Be16(7, Len), kIn, Buf, Len, 30000, nullptr, Returned);
}

bool TSCSIDevice::ReadDiscInformationRaw(void* Buf, std::uint16_t Len, std::uint32_t* Returned)
{
    return Run(Cdb(0x51, 10).Be16(7, Len), kIn, Buf, Len, 10000, nullptr, Returned);
}

bool TSCSIDevice::ReserveTrack(std::uint32_t Size)
{
    return Run(Cdb(0x53, 12).Be32(5, Size), kNone, nullptr, 0, 10000);
}

bool TSCSIDevice::SendOPC() { return Run(Cdb(0x54, 10).At(1, 1), kNone, nullptr, 0, 150000); }

bool TSCSIDevice::ModeSelect10(const void* Buf, std::uint16_t Len)
{
    return Run(Cdb(0x55, 10).At(1, 0x10).Be16(7, Len), kOut, const_cast<void*>(Buf), Len, 10000);
}

bool TSCSIDevice::ModeSense10(std::uint8_t Page, void* Buf, bool Default, std::uint16_t Len,
                               std::uint32_t* Returned)
{
    return Run(Cdb(0x5A, 10).At(2, static_cast<std::uint8_t>(Page | (Default ? 0x80 : 0))).Be16(7, Len), kIn, Buf,
               Len, 20000, nullptr, Returned);
}

bool TSCSIDevice::CloseTrack(bool Immed, bool Session, std::uint8_t Track)
{
    Cdb cdb(0x5B, 10);
    cdb.At(1, Immed ? 1 : 0).At(2, Session ? 2 : 1);
    if (!Session)
        cdb.At(5, Track);
    return Run(cdb, kNone, nullptr, 0, 180000);
}

bool TSCSIDevice::CloseTrackDVD(bool Immed, std::uint8_t Func, std::uint8_t B3, std::uint8_t B4, std::uint8_t B5)
{
    return Run(Cdb(0x5B, 10).At(1, Immed ? 1 : 0).At(2, Func).At(3, B3).At(4, B4).At(5, B5), kNone, nullptr, 0,
               180000);
}

bool TSCSIDevice::ReadBufferCapacity(std::uint32_t& Total, std::uint32_t& Free)
{
    alignas(8) std::uint8_t bytes[32] = {};
    std::uint32_t returned = 0;
    const bool done = Run(Cdb(0x5C, 10).Be16(7, sizeof bytes), kIn, bytes, sizeof bytes, 10000, nullptr, &returned);
    // Both sizes (bytes 4-11) must be there, and within the reply's own length (bytes 0-1).
    const TReply reply = TReply(bytes, returned).Within(0, 2);
    if (!done || !reply.Has(4, 8)) {
        deviceFreeBufferSize_ = 0;
        return false;
    }
    Total = reply.Be32(4);
    Free = reply.Be32(8);
    deviceBufferSize_ = Total;
    deviceFreeBufferSize_ = Free == 0xFFFFFFFF ? Total : Free;
    return true;
}

bool TSCSIDevice::SendCueSheet(const void* Buf, std::uint32_t Len)
{
    return Run(Cdb(0x5D, 10).Be24(6, Len), kOut, const_cast<void*>(Buf), Len, 30000);
}

bool TSCSIDevice::ReadDVDStructure(std::uint8_t Layer, std::uint8_t Format, void* Buf, std::uint16_t Len,
                                    std::uint32_t* Returned)
{
    return Run(Cdb(0xAD, 12).At(6, Layer).At(7, Format).Be16(8, Len), kIn, Buf, Len, 10000, nullptr, Returned);
}

bool TSCSIDevice::SetStreaming(const void* Buf, std::uint16_t Len)
{
    return Run(Cdb(0xB6, 12).Be16(9, Len), kOut, const_cast<void*>(Buf), Len, 10000);
}

bool TSCSIDevice::SetCDSpeed(std::uint16_t Read, std::uint16_t Write)
{
    return Run(Cdb(0xBB, 12).Be16(2, Read).Be16(4, Write), kNone, nullptr, 0, 10000);
}

bool TSCSIDevice::ReadCD(std::uint32_t LBA, std::uint32_t Blocks, void* Buf, std::uint32_t Len,
                         std::uint8_t SectorType, std::uint8_t Flags, std::uint8_t Sub, std::uint32_t* Returned)
{
    return Run(Cdb(0xBE, 12).At(1, SectorType).Be32(2, LBA).Be24(6, Blocks).At(9, Flags).At(10, Sub), kIn, Buf, Len,
               10000, nullptr, Returned);
}

bool TSCSIDevice::SendDVDStructure(std::uint8_t Format, const void* Buf, std::uint16_t Len)
{
    return Run(Cdb(0xBF, 12).At(7, Format).Be16(8, Len), kOut, const_cast<void*>(Buf), Len, 10000);
}

bool TSCSIDevice::SendDVDStructureTimeStamp(TDateTime DateTime)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(DateTime, year, month, day);
    DecodeTime(DateTime, hour, minute, second, msec);
    const std::string stamp = Format("%.4d%.2d%.2d%.2d%.2d%.2d", year, month, day, hour, minute, second);
    // Parameter list: length, two reserved bytes, four reserved bytes, then the time stamp text.
    std::vector<std::uint8_t> list(8 + stamp.size(), 0);
    list[1] = static_cast<std::uint8_t>(list.size() - 2);
    std::memcpy(list.data() + 8, stamp.data(), stamp.size());
    return SendDVDStructure(0x0F, list.data(), static_cast<std::uint16_t>(list.size()));
}
