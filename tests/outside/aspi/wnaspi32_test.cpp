#include "discrec/dkaspi.h"
#include "discrec/dksense.h"
#include "discrec/dkspti.h"
#include "rtl/syncobjs.h"
#include "testkit/fakescsi.h"
#include "win32/aspi.h"
#include "win32/dynlib.h"
#include "win32/scsi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// A virtual drive that holds each command until the test lets it through.
class GateTarget : public ScsiTarget {
public:
    ScsiResult Execute(const ScsiCommand& command) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        opcodes_.push_back(command.cdb[0]);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return open_; });
        ScsiResult result;
        if (command.cdb[0] == 0x12 && command.length >= 36) {
            const std::vector<unsigned char> reply = testkit::InquiryReply("KELDARA", "GATE", "1.00", 4);
            std::memcpy(command.buffer, reply.data(), 36);
        }
        return result;
    }
    bool Reset() override
    {
        ++resets;
        return true;
    }
    void Close()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = false;
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void WaitEntered(int count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return entered_ >= count; });
    }
    std::vector<std::uint8_t> Opcodes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return opcodes_;
    }
    std::atomic<int> resets{0};

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    int entered_ = 0;
    std::vector<std::uint8_t> opcodes_;
};

class WnAspi32 : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_.AddDrive("sr0", "4:0:1:0");
        fake_.AddDrive("sr1", "");
        gate_ = std::make_shared<GateTarget>();
        virtual_ = RegisterVirtualScsiDrive(gate_, "gate recorder");
        module_ = LoadLibrary("WNASPI32.DLL");
        ASSERT_NE(module_, nullptr) << LastLibraryError();
        info_ = reinterpret_cast<TGetASPI32SupportInfo>(GetProcAddress(module_, "GetASPI32SupportInfo"));
        send_ = reinterpret_cast<TSendASPI32Command>(GetProcAddress(module_, "SendASPI32Command"));
        ASSERT_NE(info_, nullptr);
        ASSERT_NE(send_, nullptr);
    }
    void TearDown() override
    {
        gate_->Open();
        if (module_)
            FreeLibrary(module_);
        UnregisterVirtualScsiDrive(virtual_);
    }

    TSRB_ExecSCSICmd Command(std::uint8_t ha, std::uint8_t target, std::uint8_t opcode, TEvent* event)
    {
        TSRB_ExecSCSICmd srb;
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = ha;
        srb.SRB_Target = target;
        srb.SRB_CDBLen = 6;
        srb.SRB_SenseLen = 24;
        srb.SRB_Flags = event ? SRB_EVENT_NOTIFY : 0;
        srb.SetPostProc(event);
        srb.CDBByte[0] = opcode;
        return srb;
    }

    testkit::FakeScsiSystem fake_;
    std::shared_ptr<GateTarget> gate_;
    int virtual_ = -1;
    HMODULE module_ = nullptr;
    TGetASPI32SupportInfo info_ = nullptr;
    TSendASPI32Command send_ = nullptr;
};

// sr0 on adapter 0, the virtual drive on the platform's adapter after the
// real ones (1), and sr1, whose address the system cannot tell, on the adapter
// after the largest (2), as the program's own layer numbers them.
TEST_F(WnAspi32, HostAdaptersAreNumberedAsThePassThroughLayerNumbersThem)
{
    EXPECT_EQ(info_(), (std::uint32_t{SS_COMP} << 8) | 3);

    TSRB_HAInquiry inquiry;
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    inquiry.SRB_HaId = 1;
    EXPECT_EQ(send_(&inquiry), SS_COMP);
    EXPECT_EQ(inquiry.HA_Count, 3);
    EXPECT_EQ(inquiry.HA_SCSI_ID, 7);
    EXPECT_EQ(std::string(inquiry.HA_ManagerId, 16), "KELDARA WNASPI32");
    EXPECT_STREQ(inquiry.HA_Identifier, "SG_IO 1");
    EXPECT_EQ(inquiry.HA_Unique.MaxTargets(), 8);
    inquiry.SRB_HaId = 3;
    EXPECT_EQ(send_(&inquiry), SS_INVALID_HA);

    TSRB_GetDiskInfo disk;
    disk.SRB_Cmd = SC_GET_DISK_INFO;
    disk.SRB_Target = 1;
    EXPECT_EQ(send_(&disk), SS_COMP);
    EXPECT_EQ(disk.SRB_DriveNumber, 0);
    disk.SRB_HaId = 1;
    disk.SRB_Target = 0;
    EXPECT_EQ(send_(&disk), SS_COMP);
    EXPECT_EQ(disk.SRB_DriveNumber, virtual_);
    disk.SRB_Target = 1;
    EXPECT_EQ(send_(&disk), SS_NO_DEVICE);
    disk.SRB_Target = 0;
    disk.SRB_HaId = 2;
    EXPECT_EQ(send_(&disk), SS_COMP);
    EXPECT_EQ(disk.SRB_DriveNumber, 1);
    disk.SRB_Target = 1;
    EXPECT_EQ(send_(&disk), SS_NO_DEVICE);

    // The device type comes from the drive's own INQUIRY.
    TSRB_GDEVBlock type;
    type.SRB_Cmd = SC_GET_DEV_TYPE;
    type.SRB_HaId = 1;
    EXPECT_EQ(send_(&type), SS_COMP);
    EXPECT_EQ(type.SRB_DeviceType, 4);
    type.SRB_HaId = 0;
    EXPECT_EQ(send_(&type), SS_NO_DEVICE);
    type.SRB_Target = 1;
    EXPECT_EQ(send_(&type), SS_COMP);
    EXPECT_EQ(type.SRB_DeviceType, 5);
    type.SRB_HaId = 2;
    type.SRB_Target = 0;
    EXPECT_EQ(send_(&type), SS_COMP);
}

TEST_F(WnAspi32, AnExecuteRequestIsPendingUntilItsEventIsSignalled)
{
    gate_->Close();
    TEvent done;
    TSRB_ExecSCSICmd srb = Command(1, 0, 0x00, &done);
    srb.SRB_Timeout = 180000;
    EXPECT_EQ(send_(&srb), SS_PENDING);
    gate_->WaitEntered(1);
    EXPECT_EQ(done.WaitFor(0), wrTimeout);
    gate_->Open();
    EXPECT_EQ(done.WaitFor(10000), wrSignaled);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);

    // INQUIRY reaches the drive itself.
    std::uint8_t reply[96] = {};
    done.ResetEvent();
    TSRB_ExecSCSICmd inquiry = Command(0, 1, 0x12, &done);
    inquiry.SRB_Flags |= SRB_DIR_IN;
    inquiry.SetBufPointer(reply);
    inquiry.SRB_BufLen = sizeof reply;
    inquiry.CDBByte[4] = sizeof reply;
    const int calls = fake_.SgIoCalls();
    EXPECT_EQ(send_(&inquiry), SS_PENDING);
    EXPECT_EQ(done.WaitFor(10000), wrSignaled);
    EXPECT_EQ(inquiry.SRB_Status, SS_COMP);
    EXPECT_EQ(fake_.SgIoCalls(), calls + 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply) + 16, 11), "SG_IO DRIVE");

    // A failure comes back decoded like any other.
    fake_.Node("/dev/sr0").sgio = [](sg_io_hdr_t& io) {
        io.host_status = DID_TIME_OUT;
        return 0;
    };
    done.ResetEvent();
    TSRB_ExecSCSICmd late = Command(0, 1, 0x00, &done);
    EXPECT_EQ(send_(&late), SS_PENDING);
    EXPECT_EQ(done.WaitFor(10000), wrSignaled);
    TScsiErrorRecord record;
    DecodeSense(record, late);
    EXPECT_EQ(record.LastError, "COMMAND TIMEOUT");

    // No drive at the address: answered at once.
    TSRB_ExecSCSICmd nobody = Command(0, 5, 0x00, nullptr);
    EXPECT_EQ(send_(&nobody), SS_NO_DEVICE);
    EXPECT_EQ(nobody.SRB_Status, SS_NO_DEVICE);
}

TEST_F(WnAspi32, AbortTakesBackAQueuedRequestAndWaitsForARunningOne)
{
    gate_->Close();
    TEvent firstDone, secondDone;
    TSRB_ExecSCSICmd first = Command(1, 0, 0x00, &firstDone);
    TSRB_ExecSCSICmd second = Command(1, 0, 0x2A, &secondDone);
    EXPECT_EQ(send_(&first), SS_PENDING);
    gate_->WaitEntered(1);
    EXPECT_EQ(send_(&second), SS_PENDING);

    TSRB_Abort abortSecond;
    abortSecond.SRB_Cmd = SC_ABORT_SRB;
    abortSecond.SRB_ToAbort = &second;
    EXPECT_EQ(send_(&abortSecond), SS_COMP);
    EXPECT_EQ(secondDone.WaitFor(0), wrSignaled);
    EXPECT_EQ(second.SRB_Status, SS_ABORTED);

    // Aborting the running request returns only once it is complete, so the
    // aborter may read it as soon as the abort returns.
    std::atomic<bool> returned{false};
    std::uint8_t statusSeenByAborter = 0xFF;
    TSRB_Abort abortFirst;
    abortFirst.SRB_Cmd = SC_ABORT_SRB;
    abortFirst.SRB_ToAbort = &first;
    std::thread aborter([&] {
        send_(&abortFirst);
        statusSeenByAborter = first.SRB_Status;
        returned = true;
    });
    for (int i = 0; i < 10000 && !returned; ++i)
        std::this_thread::yield();   // give the aborter time to reach the library
    EXPECT_FALSE(returned);         // the request is still with the drive
    gate_->Open();
    aborter.join();
    EXPECT_EQ(statusSeenByAborter, SS_COMP);
    EXPECT_EQ(firstDone.WaitFor(0), wrSignaled);
    EXPECT_EQ(gate_->Opcodes(), (std::vector<std::uint8_t>{0x00}));

    // A request the library does not hold cannot be aborted.
    EXPECT_EQ(send_(&abortFirst), SS_ABORT_FAIL);

    TSRB_BusDeviceReset reset;
    reset.SRB_Cmd = SC_RESET_DEV;
    reset.SRB_HaId = 1;
    EXPECT_EQ(send_(&reset), SS_COMP);
    EXPECT_EQ(gate_->resets, 1);
}

TEST_F(WnAspi32, FreeingTheLibraryFinishesTheRunningRequestAndAbortsTheQueue)
{
    gate_->Close();
    TEvent firstDone, secondDone;
    TSRB_ExecSCSICmd first = Command(1, 0, 0x00, &firstDone);
    TSRB_ExecSCSICmd second = Command(1, 0, 0x00, &secondDone);
    EXPECT_EQ(send_(&first), SS_PENDING);
    gate_->WaitEntered(1);
    EXPECT_EQ(send_(&second), SS_PENDING);
    std::thread unload([&] { EXPECT_TRUE(FreeLibrary(module_)); });
    EXPECT_EQ(secondDone.WaitFor(10000), wrSignaled);
    EXPECT_EQ(second.SRB_Status, SS_ABORTED);
    gate_->Open();
    unload.join();
    module_ = nullptr;
    EXPECT_EQ(firstDone.WaitFor(0), wrSignaled);
    EXPECT_EQ(first.SRB_Status, SS_COMP);
}

TEST_F(WnAspi32, BothLayersReachTheSameDrivesAtTheSameAddresses)
{
    for (bool useSpti : {false, true}) {
        ASSERT_TRUE(_InitializeASPI(useSpti, "")) << useSpti;
        EXPECT_EQ(ASPILayerName(), useSpti ? "DKASPI32" : "WNASPI32.DLL");
        for (std::uint8_t ha : {0, 1, 2}) {
            TSRB_HAInquiry inquiry;
            inquiry.SRB_Cmd = SC_HA_INQUIRY;
            inquiry.SRB_HaId = ha;
            EXPECT_EQ(SendASPI32Command(&inquiry), SS_COMP);
            EXPECT_EQ(inquiry.HA_Count, 3);
        }
        const struct {
            std::uint8_t ha, target;
            const char* product;
        } drives[] = {{0, 1, "SG_IO DRIVE"}, {1, 0, "GATE"}, {2, 0, "SG_IO DRIVE"}};
        for (const auto& drive : drives) {
            TEvent done;
            std::uint8_t reply[36] = {};
            TSRB_ExecSCSICmd srb = Command(drive.ha, drive.target, 0x12, &done);
            srb.SRB_Flags |= SRB_DIR_IN;
            srb.SetBufPointer(reply);
            srb.SRB_BufLen = sizeof reply;
            srb.CDBByte[4] = sizeof reply;
            const std::uint32_t status = SendASPI32Command(&srb);
            if (status == SS_PENDING) {
                ASSERT_EQ(done.WaitFor(10000), wrSignaled);
            }
            EXPECT_EQ(srb.SRB_Status, SS_COMP) << int(drive.ha) << ":" << int(drive.target);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(reply) + 16, std::strlen(drive.product)), drive.product);
        }
        _DeInitializeASPI();
        SPTIDeInit();
        ASPIDLLLoaded = false;
    }
}

TEST_F(WnAspi32, ThreeThreadsSendingAtOnce)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                TEvent done;
                const std::uint8_t addresses[3][2] = {{0, 1}, {1, 0}, {2, 0}};
                TSRB_ExecSCSICmd srb = Command(addresses[t][0], addresses[t][1], 0x00, &done);
                if (send_(&srb) != SS_PENDING || done.WaitFor(10000) != wrSignaled || srb.SRB_Status != SS_COMP)
                    ++failures;
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(failures, 0);
}

} // namespace
