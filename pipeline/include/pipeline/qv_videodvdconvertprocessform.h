#pragma once
// The convert window: encodes every clip of the list into MPEG files and
// multiplexes each into VOB_n.vob (DVD) or VOB_n.mpg (SVCD, VCD) in the
// working folder. Opened by the menu designer instead (author-only), it
// encodes nothing: the clips are finished VOB files, and the run makes the
// title still, the title menu and the DVD folder. The user's VOB files are
// only read.
#include "base/taskwindows.h"
#include "pipeline/runprocessform.h"

class TQV_Video_DVD_Convert_Process_Form : public TRunProcessForm, public ConvertProcessSteps {
public:
    explicit TQV_Video_DVD_Convert_Process_Form(TComponent* AOwner);

    // --- the task's steps ---------------------------------------------------------
    // Made ready for a run: the display reset, the settings read; withMenu
    // (the menu designer's run) and the output type kept. Always true.
    bool InitConvertProcess(bool withMenu, int outputType) override;
    void ReleaseRunWorker() override;
    void SetWorkingFolderText(const std::string& folder) override;
    void SetWithMenu(bool withMenu) override { AuthorRun.WithMenu = withMenu; }
    void ShowClipPanels() override;
    void SetAuthorOnly(int menuLanguageIndex) override;
    void ShowConvertProcess() override;

    bool WithMenu() const { return AuthorRun.WithMenu; }
    bool AuthorOnly() const { return AuthorRun.FromMenuDesigner; }

    void kivImageButton_StartClick(TObject* Sender) override;
    void ClipStageOver() override;

protected:
    void MuxStepEnded(bool muxed, LPARAM lparam) override;
    void OnAuthorDone(LPARAM result) override;
    void RunEnding(bool finished) override;

private:
    // Writes Title.vob and posts MSG_MUX_DONE (kMuxSucceeded, kMuxTitleStill) to the window; false (logged) when it cannot.
    bool ComposeTitleStill();
    // After the title still: the title menu's control file and the author job.
    void MakeMenuAndAuthor();
    // False (after its box) when the run would write over or delete a file of the user's.
    bool SourcesUntouched();
};
