#include "pipeline/discburnstage.h"

#include "pipeline/burnerdevicegroup.h"
#include "pipeline/burnstage.h"
#include "pipeline/cdburnstage.h"
#include "pipeline/qv_videodvddiscbuilderform.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivprogressbar.h"
#include "vcl/timer.h"

#include <algorithm>

namespace {

// The disc builder's controls as the burn stage sees them.
class BuilderBurnView final : public BurnView, public CdBurnView, public BurnerComboLists {
public:
    TQV_Video_DVD_Disc_Builder_Form* window = nullptr;

    HWND WindowHandle() override { return window->Handle(); }
    void Log(const std::string& line) override { window->Log(line); }
    void SetWriteBar(int percent) override
    {
        window->kivProgressBar->SetMax(100);
        window->kivProgressBar->SetPosition(percent);
    }
    void SetConvertingBar(int percent) override { window->kivProgressBar1->SetPosition(percent); }
    void ShowWriting() override
    {
        window->kivImageButton_Start->SetVisible(false);
        window->kivImageButton_Stop->SetVisible(true);
    }
    void Repaint() override { window->Repaint(); }
    bool TimerOn() override { return window->Timer->Enabled(); }
    void CountTick() override { window->SetUsedTime(++window->Encode().TickCount / 2); }
    void FinishRun(bool finished) override
    {
        if (window->RunActive()) window->FinishRun(finished);
    }
    void ConvertingOver() override { window->Converting = false; }
    void ImageReady(const std::string& cuePath, const std::string& binPath) override
    {
        if (cd && cdReady) return cd->Burn(cuePath, binPath);
        // Without a CD writer the image waits in the working folder.
        window->Log("No CD writer: the disc image stays in " + cuePath + ".");
        FinishRun(true);
    }
    std::string VolumeName() override { return window->kivEdit_VolumeName->Text(); }
    void CdBurnStarting() override
    {
        window->kivProgressBar1->SetPosition(100);
        window->kivProgressBar2->SetPosition(0);
    }
    void SetCdProgress(int position, int maximum) override
    {
        window->kivProgressBar->SetMax(maximum > 0 ? maximum : 1);
        window->kivProgressBar->SetPosition(position);
    }

    CdBurnStage* cd = nullptr;
    bool cdReady = false;   // a CD writer was set up for this run's kind

private:
    TkivComboBox* DriveList() override { return window->kivComboBox_Drive; }
    TkivComboBox* SpeedList() override { return window->kivComboBox_WriteSpeed; }
};

// The program's burn stage: the writing engine's DVD writers and the image library.
class ProgramBurnStage final : public DiscBurnStage {
public:
    ProgramBurnStage()
    {
        view_.cd = &cd_;
        // Without a DVD writer, a disc in a CD drive is disc enough to start a DVD run.
        stage_.CdDriveReady = [this] { return cd_.DriveReady(); };
    }
    bool InitBurner(TQV_Video_DVD_Disc_Builder_Form& window, int discType) override
    {
        const bool ready = On(window).InitBurner(discType);
        // A machine without a CD writer still builds the image: it then waits in the working folder.
        view_.cdReady = ready && discType >= 2 && cd_.InitBurner(false);
        return ready;
    }
    void OnDriveChange(TQV_Video_DVD_Disc_Builder_Form& window, int index) override
    {
        if (UsesCd(window)) return cd_.OnDriveChange(index);
        On(window).OnDriveChange(index);
    }
    bool CheckDiscBeforeRun(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        if (UsesCd(window)) return cd_.CheckDiscBeforeRun();
        return On(window).CheckDiscBeforeRun();
    }
    void StartDvdWrite(TQV_Video_DVD_Disc_Builder_Form& window, const std::string& discFolder,
                       const std::string& volumeLabel) override
    {
        On(window).StartDvdWrite(discFolder, volumeLabel);
    }
    void StartImageStage(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        std::vector<std::string> mpgs;
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            if (const TQV_MovieImage* clip = MyMovieImage[i])
                mpgs.push_back(s_WorkFolderPath + StripFileExt(clip->OutputName) + ".mpg");
        window.AuthorRun.EncodeStage = false;
        std::int64_t bytes = 0;
        for (const std::string& mpg : mpgs) bytes += std::max<std::int64_t>(FileSize64(mpg), 0);
        window.AuthorRun.AuthorTotalMB = static_cast<int>(bytes / (1024 * 1024));
        On(window).StartImageStage(window.OutputType, window.kivEdit_VolumeName->Text(), s_WorkFolderPath, mpgs);
    }
    bool TimerTick(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        if (UsesCd(window) && cd_.TimerTick()) return true;
        return On(window).TimerTick();
    }
    void WriterMessage(TQV_Video_DVD_Disc_Builder_Form& window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == MSG_CDWRITE_DONE) {
            On(window);
            cd_.WriteDone(wparam);
        } else if (message == MSG_VCDIMAGE_DONE)
            On(window).ImageDone(wparam, lparam);
        else
            On(window).WriterMessage(message, wparam);
    }
    void AbortWrite(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        On(window).AbortWrite();
        cd_.AbortBurn();   // a CD write is aborted and waited for
    }
    void CloseTray(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        if (UsesCd(window)) return cd_.CloseTray();
        On(window).CloseTray();
    }
    void Release(TQV_Video_DVD_Disc_Builder_Form& window) override { On(window).Release(); }
    void RunBegun(TQV_Video_DVD_Disc_Builder_Form& window) override { On(window).RunBegun(); }
    void RunEnded(TQV_Video_DVD_Disc_Builder_Form& window) override { On(window).RunEnded(); }

private:
    BurnStage& On(TQV_Video_DVD_Disc_Builder_Form& window)
    {
        view_.window = &window;
        return stage_;
    }
    // The run's kind is a CD one and a CD writer was set up for it.
    bool UsesCd(TQV_Video_DVD_Disc_Builder_Form& window)
    {
        view_.window = &window;
        return view_.cdReady;
    }

    BuilderBurnView view_;
    BurnStage stage_{view_};
    CdBurnStage cd_{view_, MakeCueBurner()};
};

} // namespace

std::unique_ptr<DiscBurnStage> MakeDiscBurnStage() { return std::make_unique<ProgramBurnStage>(); }
