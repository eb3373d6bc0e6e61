#pragma once
// TSCSIDevice: one CD/DVD drive reached through the ASPI entry points (Dkaspi).
// It lists the drives, selects one by its device string, runs SCSI/MMC
// commands on it with time-outs, debug lines and sense decoding, and reads the
// drive's capabilities, speeds, buffer and disc.
//
// Device strings: "H:T:L,<drive>: " + vendor (8) + product (16) + revision (4),
// with " (not supported)" for a write-once (type 4) device. <drive> is the
// device node ("/dev/sr0"), or a virtual drive's own name.
//
// Threads: commands may come from the caller's thread and from the writer,
// cache and erase threads at once. Every command has its own request block and
// reply buffers; the decoded text of the last failure is kept under a guard.
// Sequences that must not interleave take Lock()/Unlock().
#include "discrec/dksense.h"
#include "rtl/classes.h"
#include "rtl/syncobjs.h"
#include "vcl/components.h"
#include "win32/aspi.h"
#include "win32/scsi.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

enum TScsiDeviceCapability : unsigned {
    dcReadCDR,
    dcReadCDRW,
    dcReadMethod2,
    dcReadDVD,
    dcReadDVDR,
    dcReadDVDRW,
    dcReadDVDRAM,
    dcReadDVDPLUSR,
    dcReadDVDPLUSRW,
    dcWriteCDR,
    dcWriteCDRW,
    dcWriteTest,
    dcWriteDVDR,
    dcWriteDVDRW,
    dcWriteDVDRAM,
    dcWriteDVDPLUSR,
    dcWriteDVDPLUSRW,
    dcWriteISRC,
    dcUnderrunProtection,
};

enum TWriteMethod : unsigned { wmDAO, wmSAO, wmTAO };

// A set of enumeration values, as the framework's sets hold them.
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            Include(v);
    }
    constexpr void Include(E v) { bits_ |= Bit(v); }
    constexpr void Exclude(E v) { bits_ &= ~Bit(v); }
    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Clear() { bits_ = 0; }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) = default;

private:
    static constexpr std::uint32_t Bit(E v) { return std::uint32_t{1} << static_cast<unsigned>(v); }
    std::uint32_t bits_ = 0;
};
using TScsiDeviceCapabilities = TEnumSet<TScsiDeviceCapability>;
using TWriteMethods = TEnumSet<TWriteMethod>;

using TDeviceChangedEvent = std::function<void(TObject* Sender)>;
// mType: 0 errors and command logs, 1 progress and notes, 4 the burner's notes on the disc.
using TOnDebugMsg = std::function<void(TObject* Sender, const std::string& Message, std::uint8_t mType)>;
using TEraseDoneEvent = std::function<void(TObject* Sender, bool WithError)>;

// Disc kinds, as DiscType answers them. Kinds below 4 are CD kinds.
enum : std::uint8_t {
    dkUnknown = 0,
    dkCDROM = 1,
    dkCDR = 2,
    dkCDRW = 3,
    dkDVDROM = 4,
    dkDVDR = 5,
    dkDVDRAM = 6,
    dkDVDRW = 7,              // never produced
    dkDVDRWRestricted = 8,
    dkDVDRWSequential = 9,
    dkDVDPLUSRW = 10,
    dkDVDPLUSR = 11,
    dkDDCDROM = 12,
    dkDDCDR = 13,
    dkDDCDRW = 14,
};
extern const std::array<std::string_view, 15> DiscTypeString;
inline bool IsCDKind(std::uint8_t kind) { return kind < dkDVDROM; }

// Log every command as a debug line (else only a failing first command of a device).
extern std::atomic<bool> GenerateLogs;
// The debug-line name of an opcode: 22 characters for the known ones, else two hex digits.
std::string_view CommandName(std::uint8_t opcode);

// Whether sense bytes report "not ready yet" (sense key 2, ASC 04: becoming
// ready, format, long write or operation in progress).
bool IsNotReadyYet(const std::uint8_t* sense);

// The capabilities page (0x2A) as last read, its speed words in host order (kB/s).
struct TCapabilityPage {
    std::vector<std::uint8_t> Bytes;   // the page from its code byte
    std::uint16_t MaxReadSpeed = 0;
    std::uint16_t CurrentReadSpeed = 0;
    std::uint16_t MaxWriteSpeed = 0;
    std::uint16_t CurrentWriteSpeed = 0;
    std::uint16_t BufferSizeKB = 0;
};

// What GetDiscInformation tells about the disc in the drive.
struct TDisc {
    bool Present = false;             // the drive was ready with a disc
    std::uint32_t Capacity = 0;       // blocks
    std::uint32_t UsedBlocks = 0;
    std::uint32_t BlockSize = 2048;
    std::uint8_t FirstTrack = 0;      // of the table of contents
    std::uint8_t LastTrack = 0;
    std::uint16_t CurrentProfile = 0;
    std::string Description;          // "CD-R", "DVD+RW", "???????"
    bool Erasable = false;
    std::int16_t DiscStatus = -1;     // 0 empty, 1 incomplete, 2 complete, 3 other
    std::int16_t LastSessionStatus = -1;
    std::uint32_t LeadOut = 0;        // where the lead-out may start (CD, from the ATIP), blocks
    std::uint32_t TrackStart = 0;     // of the last track (CD) or track 1 (DVD)
    std::uint32_t FreeBlocks = 0;
};

// The disc kind of a GET CONFIGURATION profile (dkUnknown for any other).
std::uint8_t DiscKindOfProfile(std::uint16_t profile);
// The medium description of a profile: "CD-R", "DVD+RW", ... "???????" for one not known.
std::string_view MediumDescription(std::uint16_t profile);

// "SYNCHRONIZE CACHE FAILED [MEDIUM ERROR (WRITE ERROR)]": a command that
// failed, named by its opcode, with the drive's reason.
std::string CommandFailedText(std::uint8_t opcode, const std::string& reason);

// Room for a CD image: a .bin of BinBytes takes ceil(BinBytes / 2352) sectors
// (the 2-second pregap lies before LBA 0 and takes none), and fits when that
// is no more than the disc's free blocks (FreeBlocksOnDisc, sectors on CD).
std::uint64_t CDImageSectors(std::uint64_t BinBytes);
bool CDImageFits(std::uint64_t BinBytes, std::uint32_t FreeBlocks);

class TEraseThread;

class TSCSIDevice : public TComponent {
public:
    explicit TSCSIDevice(TComponent* AOwner);
    ~TSCSIDevice() override;

    // ---- the ASPI layer ----
    [[nodiscard]] bool InitializeASPI(bool UseSPTI, const std::string& DllPath);
    [[nodiscard]] bool DeInitializeASPI();
    bool ASPIInitialized() const;
    void GetHostAdapterInfo(std::uint8_t Ha);

    // ---- drives ----
    TStrings& Devices() { return *devices_; }
    void ScanDevices();
    void SetDeviceID(const std::string& ID);
    [[nodiscard]] bool SelectDevice(const std::string& ID);
    [[nodiscard]] bool SetDeviceByDriveLetter(char Letter);
    [[nodiscard]] bool SetDriveLetter(char Letter) { return SetDeviceByDriveLetter(Letter); }
    // 'A' + the drive number of the selected drive, the character 0 when unknown.
    char GetDriveLetter();
    // The device node of the selected drive ("/dev/sr0", a virtual drive's name), "" when unknown.
    std::string GetDevicePath();
    // The drive number the ASPI layer gives for an address (get disk info), 255 when none.
    std::uint8_t GetDiskLetter(std::uint8_t Ha, std::uint8_t Target, std::uint8_t Lun);
    std::string DeviceID() const;
    std::string DeviceDescription() const;
    std::uint8_t PeripheralType() const { return peripheralType_; }
    bool DeviceSelected() const { return address_.hostAdapter != 254; }
    ScsiAddress Address() const { return address_; }

    // ---- commands ----
    // Runs one execute request on the selected drive: the drive's LUN goes
    // into bits 5-7 of CDB byte 1; a time-out below 10001 ms becomes 10000 ms;
    // a request the layer does not finish in time is taken back (abort
    // request) and reads as failed with host-adapter status 9.
    // Success is SRB status 1. Answers 226 without sending when no layer is
    // bound or no drive is selected, else 1.
    int ExecScsiCommand(TSRB_ExecSCSICmd& SRB, int Timeout);
    [[nodiscard]] bool ScsiReset();
    [[nodiscard]] bool AbortSCSICommand(TSRB_Header* SRB);

    // Every command answers whether the drive completed it; a failure leaves
    // its decoded text in LastError. Commands that read a reply zero the bytes
    // of Buf the drive did not return, and tell how many it did in *Returned.
    [[nodiscard]] bool TestUnitReady(int Timeout);
    [[nodiscard]] bool Rewind();
    [[nodiscard]] bool RequestSense(void* Buf, std::uint8_t Len, std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool FormatUnit(std::uint8_t Flags, const void* Buf, std::uint32_t Len);
    [[nodiscard]] bool Inquiry();
    [[nodiscard]] bool LoadMedium(bool Eject);
    [[nodiscard]] bool LockMedium(bool Unlock);
    [[nodiscard]] bool LockDrive(bool Lock) { return LockMedium(Lock); }
    [[nodiscard]] bool GetFormatCapacity(std::uint32_t& Capacity, std::uint32_t& BlockLength);
    [[nodiscard]] bool ReadCapacity(std::uint32_t& LBA, std::uint32_t& BlockLen);
    [[nodiscard]] bool Read10(std::uint32_t LBA, std::uint16_t Blocks, void* Buf, std::uint32_t Len,
                              std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool Write10(std::int32_t LBA, std::uint16_t Blocks, const void* Buf, std::uint32_t Len,
                               std::uint8_t Flags);
    [[nodiscard]] bool FlushCache(int Timeout, bool Immed);
    [[nodiscard]] bool ReadTOC(std::uint8_t Format, void* Buf, std::uint16_t Len, std::uint8_t Track, bool MSF,
                               std::uint8_t Control, std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool GetConfigData(std::uint8_t RT, std::uint16_t Feature, void* Buf, std::uint16_t Len,
                                     std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool ReadDiscInformationRaw(void* Buf, std::uint16_t Len, std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool ReserveTrack(std::uint32_t Size);
    [[nodiscard]] bool SendOPC();
    [[nodiscard]] bool ModeSelect10(const void* Buf, std::uint16_t Len);
    [[nodiscard]] bool ModeSense10(std::uint8_t Page, void* Buf, bool Default, std::uint16_t Len,
                                   std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool CloseTrack(bool Immed, bool Session, std::uint8_t Track);
    [[nodiscard]] bool CloseTrackDVD(bool Immed, std::uint8_t Func, std::uint8_t B3 = 0, std::uint8_t B4 = 0,
                                     std::uint8_t B5 = 0);
    [[nodiscard]] bool ReadBufferCapacity(std::uint32_t& Total, std::uint32_t& Free);
    [[nodiscard]] bool SendCueSheet(const void* Buf, std::uint32_t Len);
    [[nodiscard]] bool ReadDVDStructure(std::uint8_t Layer, std::uint8_t Format, void* Buf, std::uint16_t Len,
                                        std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool SetStreaming(const void* Buf, std::uint16_t Len);
    // Speeds in kB/s, sent as given: 0xFFFF asks for the drive's fastest, a
    // speed below the drive's slowest (0 among them) for its slowest.
    [[nodiscard]] bool SetCDSpeed(std::uint16_t Read, std::uint16_t Write);
    [[nodiscard]] bool ReadCD(std::uint32_t LBA, std::uint32_t Blocks, void* Buf, std::uint32_t Len,
                              std::uint8_t SectorType, std::uint8_t Flags, std::uint8_t Sub,
                              std::uint32_t* Returned = nullptr);
    [[nodiscard]] bool SendDVDStructure(std::uint8_t Format, const void* Buf, std::uint16_t Len);
    [[nodiscard]] bool SendDVDStructureTimeStamp(TDateTime DateTime);

    // ---- capabilities, speeds and write parameters ----
    [[nodiscard]] bool GetDeviceCapabilities(bool Default = true);
    TScsiDeviceCapabilities Capabilities() const;
    TCapabilityPage CapabilityPage() const;
    bool IsJustLinkCapable();
    std::uint16_t MaxWriteSpeed();
    std::uint16_t MaxReadSpeed();
    std::uint16_t CurrentReadSpeed();
    std::uint16_t CurrentWriteSpeed();
    std::uint16_t DeviceMaxWriteSpeed() const { return deviceMaxWriteSpeed_; }
    std::uint16_t DeviceMaxReadSpeed() const { return deviceMaxReadSpeed_; }
    std::uint32_t DeviceBufferSize() const { return deviceBufferSize_; }
    std::uint32_t DeviceFreeBufferSize() const { return deviceFreeBufferSize_; }
    std::uint16_t ReadSpeed() const { return readSpeed_; }
    void SetReadSpeed(std::uint16_t S) { readSpeed_ = S; }
    std::uint16_t WriteSpeed() const { return writeSpeed_; }
    // SET CD SPEED with ReadSpeed and S; WriteSpeed becomes S whatever the drive answered.
    void SetWriteSpeed(std::uint16_t S);

    [[nodiscard]] bool CheckWriteMethod(TWriteMethod wm);
    TWriteMethods GetWriteMethods();
    TWriteMethods WriteMethods() const { return writeMethods_; }
    // Writes page 5 for a disc kind (nothing for DVD-RAM).
    [[nodiscard]] bool SetWriteParams(bool TestWrite, bool BufferUnderrun, std::uint8_t DiscKind);

    // Waits until the drive stops reporting "not ready yet"; false when Timeout ms ran out.
    [[nodiscard]] bool WaitForReady(int Timeout, int Interval);

    // ---- the disc (every query answers a neutral value when a command fails) ----
    std::uint8_t DiscType();
    // The current profile of GET CONFIGURATION, 0 when none.
    std::uint16_t CurrentProfile();
    [[nodiscard]] bool ReadDiscInformation();
    [[nodiscard]] bool ReadTrackInformation(std::uint32_t Track);
    bool Erasable();
    std::int16_t DiscStatus();
    std::int16_t LastSessionStatus();
    std::int16_t SessionsOnDisc();
    // Blocks: of 2048 bytes on DVD, sectors on CD. FreeBlocksOnDisc writes the
    // write-parameters page for the disc first (every burn writes its own).
    std::uint32_t FreeBlocksOnDisc();
    std::uint32_t UsedBlocksOnDisc();
    std::uint32_t TotalBlocksOnDisc();
    // The volume size of an ISO 9660 file system on the disc, 0 when none.
    std::uint32_t GetLastRecordedAddress();
    TDisc GetDiscInformation();
    [[nodiscard]] bool GetDiskInformation();
    // The last disc kind DiscType found.
    std::uint16_t MediumIs() const { return mediumIs_; }
    // The last READ DISC INFORMATION reply (its length word in host order).
    std::array<std::uint8_t, 56> DiscInfo() const;
    // The last READ TRACK INFORMATION reply, its double words in host order.
    struct TTrackInfo {
        std::array<std::uint8_t, 40> Bytes{};
        std::uint32_t TrackStart = 0, NextWritable = 0, FreeBlocks = 0, PacketSize = 0, TrackSize = 0,
                      LastRecorded = 0;
        bool NextWritableValid = false;   // the drive said so, and the reply holds it
    };
    TTrackInfo TrackInfo() const;

    // ---- erase ----
    // Starts blanking (CD-RW, DVD-RW) or formatting (DVD+RW, DVD-RAM) the disc;
    // EraseType is BLANK's type (0 whole disc, 1 minimal). A thread then waits
    // for the drive and fires OnEraseDone on the main thread. A disc that
    // cannot be erased fails with "NOT SUPPORTED" and OnEraseDone(true) at once.
    [[nodiscard]] bool EraseDisc(std::uint8_t EraseType);
    // Percent of the expected time while erasing (99 at most until done), else 0.
    int EraseProgress() const;
    bool Erasing() const { return erasing_; }
    TEraseDoneEvent OnEraseDone;

    // ---- texts and events ----
    std::string LastError() const;
    TScsiErrorRecord ErrorRecord() const;
    void DebugMsg(const std::string& Message, std::uint8_t mType);
    bool DoDebug = false;
    TDeviceChangedEvent OnDeviceChange;
    TOnDebugMsg OnDebugMessage;

    void Lock() { lock_.Enter(); }
    void Unlock() { lock_.Leave(); }

    // Model flags from the product string.
    bool FlagA() const { return flagA_; }
    bool FlagB() const { return flagB_; }
    bool FlagD() const { return flagD_; }
    bool LateReady() const { return lateReady_; }

    // Byte order helpers.
    static std::uint16_t L2MW(std::uint16_t W);
    static std::uint32_t L2MDW(std::uint32_t DW);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Runs a command block; success is SRB status 1. `out` receives the request
    // as it came back. A reply read into `buffer` counts only as far as the
    // drive returned it: the bytes past that are zeroed, and *returned (0 on
    // failure) says how many came.
    [[nodiscard]] bool Run(const std::vector<std::uint8_t>& cdb, std::uint8_t direction, void* buffer,
                           std::uint32_t length, int timeout, TSRB_ExecSCSICmd* out = nullptr,
                           std::uint32_t* returned = nullptr);
    // A mode page as MODE SENSE returned it: the whole reply, where the page
    // begins, and how many of its bytes (header included) really came.
    struct TModePage {
        std::vector<std::uint8_t> reply;
        std::size_t at = 0;
        std::size_t length = 0;
        std::uint8_t* Bytes() { return reply.data() + at; }
    };
    [[nodiscard]] bool ReadModePage(std::uint8_t page, bool defaults, std::uint16_t allocation, TModePage& mode);
    // Sends a MODE SENSE reply back as a MODE SELECT parameter list.
    [[nodiscard]] bool WriteModePage(TModePage& mode);
    // Sets the last error text for a failure of the library's own.
    void SetLastError(std::string_view text);

    // Holds the medium-command flag while a tray command runs.
    std::atomic<bool> mediumCommand_{false};
    std::atomic<bool> erasing_{false};
    std::atomic<std::uint16_t> mediumIs_{0};   // the last disc kind found (DVD-RAM needs no disc polling)

private:
    friend class TEraseThread;

    void DeviceChanged();
    void LogCommand(const TSRB_ExecSCSICmd& srb, const TScsiErrorRecord& record);
    void ClearSelection();
    // The drive key and node of an address (0 and "" when unknown).
    char DriveLetterOf(ScsiAddress address);
    std::string DevicePathOf(ScsiAddress address);
    // "H:T:L,<drive>: " + the identification of the device at the current address,
    // "" when it is no CD/DVD device.
    std::string ProbeDeviceString();
    // The last failed command reported "not ready yet".
    bool SenseNotReadyYet() const;
    bool ReadDiscInformationInto(std::array<std::uint8_t, 56>& info);
    std::uint32_t DvdFreeBlocks(std::uint8_t kind, std::uint8_t track);

    ScsiAddress address_{254, 254, 254};
    std::string deviceId_;
    std::string description_;
    std::uint8_t peripheralType_ = 127;
    alignas(8) std::array<std::uint8_t, 128> inquiryData_{};
    std::unique_ptr<TStringList> devices_;
    std::vector<char> deviceLetters_;   // beside Devices: the drive key of each
    TSRB_HAInquiry haInquiry_;
    int hostAdapterCount_ = -1;         // -1: the layer did not answer

    mutable std::mutex stateMutex_;       // guards the fields below it that threads share
    TScsiErrorRecord error_;
    TScsiDeviceCapabilities capabilities_;
    TCapabilityPage capabilityPage_;
    std::array<std::uint8_t, 56> discInfo_{};
    TTrackInfo trackInfo_;

    std::atomic<std::uint16_t> deviceMaxWriteSpeed_{0};
    std::atomic<std::uint16_t> deviceMaxReadSpeed_{0};
    std::atomic<std::uint32_t> deviceBufferSize_{0};
    std::atomic<std::uint32_t> deviceFreeBufferSize_{0};
    std::atomic<std::uint16_t> readSpeed_{0};
    std::atomic<std::uint16_t> writeSpeed_{0};
    TWriteMethods writeMethods_;
    bool flagA_ = false, flagB_ = false, flagD_ = false, lateReady_ = false;
    std::atomic<bool> firstCommand_{true};
    TCriticalSection lock_;
    mutable std::mutex eraseMutex_;
    std::unique_ptr<TEraseThread> eraseThread_;
};
