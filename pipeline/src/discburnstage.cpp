#include "pipeline/discburnstage.h"

#include "pipeline/qv_videodvddiscbuilderform.h"

#include "shell/projectdata.h"
#include "skin/kivcombobox.h"
#include "vcl/dialogs.h"

namespace {

// The burn stage of a machine without a DVD writer: the run may go on, and
// what it made stays in the working folder.
class NoWriterBurnStage final : public DiscBurnStage {
public:
    bool InitBurner(TQV_Video_DVD_Disc_Builder_Form& window, int discType) override
    {
        if (discType < 0 || discType > 3) {
            MessageDlg("Burning mode error!", mtError, MsgButtons({mbOK}));
            return false;
        }
        if (discType <= 1) window.Log("No DVD writer.");
        window.kivComboBox_Drive->Items()->Clear();
        window.kivComboBox_WriteSpeed->Items()->Clear();
        window.kivComboBox_WriteSpeed->Items()->Add("No Support!");
        window.kivComboBox_WriteSpeed->SetItemIndex(0);
        window.kivComboBox_WriteSpeed->SetEnabled(false);
        return true;
    }
    void OnDriveChange(TQV_Video_DVD_Disc_Builder_Form&, int) override {}
    bool CheckDiscBeforeRun(TQV_Video_DVD_Disc_Builder_Form&) override
    {
        return MessageDlg("No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" to cancel "
                          "progress!",
                          mtConfirmation, MsgButtons({mbYes, mbCancel})) == mrYes;
    }
    void StartDvdWrite(TQV_Video_DVD_Disc_Builder_Form& window, const std::string& discFolder,
                       const std::string&) override
    {
        window.Log("No DVD writer: the DVD folder stays in " + discFolder + ".");
        window.FinishRun(true);
    }
    void StartImageStage(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        window.Converting = false;
        window.Log("No CD writer: the MPEG files stay in " + s_WorkFolderPath + ".");
        window.FinishRun(true);
    }
    bool TimerTick(TQV_Video_DVD_Disc_Builder_Form&) override { return false; }
    void WriterMessage(TQV_Video_DVD_Disc_Builder_Form&, UINT, WPARAM, LPARAM) override {}
    void AbortWrite(TQV_Video_DVD_Disc_Builder_Form&) override {}
    void CloseTray(TQV_Video_DVD_Disc_Builder_Form&) override {}
    void Release(TQV_Video_DVD_Disc_Builder_Form&) override {}
};

} // namespace

std::unique_ptr<DiscBurnStage> MakeDiscBurnStage() { return std::make_unique<NoWriterBurnStage>(); }
