#pragma once
// The last stage of a disc-builder run, as the window reaches it: the burner
// set-up with its drive and speed lists, the check of the inserted medium
// before a run, the write of an authored DVD folder, the image and write of an
// SVCD or VCD run, and the writer's messages. The stage works on the window's
// controls and ends the run through the window's FinishRun.
//
// The program's stage (MakeDiscBurnStage) writes DVDs through the writing
// engine, builds the SVCD or VCD image through the image library and writes
// it with the CD burn stage; on a machine without a CD writer the image waits
// in the working folder.
#include "pipeline/burnstage.h"      // MSG_VCDIMAGE_DONE
#include "base/burnpubfunction.h"   // the writer messages
#include "win32/messages.h"

#include <array>
#include <memory>
#include <string>

class TQV_Video_DVD_Disc_Builder_Form;

// The speed labels the stage lists: DVD writers', and CD writers' by their
// multiple of 176 kB/s.
struct CdSpeedLabel {
    int multiplier;
    const char* label;
};
inline constexpr std::array<const char*, 10> kDvdSpeedLabels = {
    "DVD-1 X", "DVD-2 X", "DVD-2.4 X", "DVD-3 X", "DVD-4 X", "DVD-5 X", "DVD-6 X", "DVD-8 X", "DVD-12 X", "DVD-16 X"};
inline constexpr std::array<CdSpeedLabel, 8> kCdSpeedLabels = {{
    {1, "CD-1 X"}, {2, "CD-2 X"}, {4, "CD-4 X"}, {8, "CD-8 X"},
    {16, "CD-16 X"}, {32, "CD-32 X"}, {48, "CD-48 X"}, {52, "CD-52 X"},
}};

class DiscBurnStage {
public:
    virtual ~DiscBurnStage() = default;
    // The burner set-up of a run's preparation for the disc type (0, 1 DVD,
    // 2 SVCD, 3 VCD): fills the window's drive and speed lists. False when the
    // burning system cannot be used at all.
    virtual bool InitBurner(TQV_Video_DVD_Disc_Builder_Form& window, int discType) = 0;
    // Another writer was chosen in the drive list.
    virtual void OnDriveChange(TQV_Video_DVD_Disc_Builder_Form& window, int index) = 0;
    // Start asks before a run begins; false ends Start.
    virtual bool CheckDiscBeforeRun(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // The DVD folder `discFolder` (the parent of VIDEO_TS) is authored: writes
    // it with the volume label. The stage finishes the run when the write ends
    // or cannot start.
    virtual void StartDvdWrite(TQV_Video_DVD_Disc_Builder_Form& window, const std::string& discFolder,
                               const std::string& volumeLabel) = 0;
    // An SVCD or VCD run's clips are written: builds the image and writes it,
    // finishing the run when that ends.
    virtual void StartImageStage(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // The window's 500 ms tick while a run is active: the stage's own
    // progress. True when the tick is the stage's alone (a CD is written).
    virtual bool TimerTick(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // One of the writing engine's messages (MSG_WRITER_MEDIA ... MSG_WRITER_PROGRESS), or
    // the end of the image build (MSG_VCDIMAGE_DONE).
    virtual void WriterMessage(TQV_Video_DVD_Disc_Builder_Form& window, UINT message, WPARAM wparam,
                               LPARAM lparam) = 0;
    // Close while the disc is written: the write is aborted.
    virtual void AbortWrite(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // Close: the tray is closed again.
    virtual void CloseTray(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // The window closes: what the stage holds of the burners is let go.
    virtual void Release(TQV_Video_DVD_Disc_Builder_Form& window) = 0;
    // A run begins: the writers' messages are logged for it.
    virtual void RunBegun(TQV_Video_DVD_Disc_Builder_Form&) {}
    // The run ended (finished, stopped or closed): what it still runs is stopped,
    // and its late messages are not heard.
    virtual void RunEnded(TQV_Video_DVD_Disc_Builder_Form&) {}
};

// The program's burn stage.
std::unique_ptr<DiscBurnStage> MakeDiscBurnStage();
