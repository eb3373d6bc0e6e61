#pragma once
// The disc builder: runs the whole road from the clips to a written disc. Each
// clip is encoded and multiplexed (and gets its subtitle); then a DVD run makes
// the title still and the chapter pages when it has a menu, authors the DVD
// folder named by the volume name and hands it to the burn stage, while an
// SVCD or VCD run hands its MPEG files to the burn stage's image building.
// Nothing is deleted or burnt unless the DVD folder was really authored.
#include "base/taskwindows.h"
#include "pipeline/discburnstage.h"
#include "pipeline/runmessages.h"
#include "pipeline/runprocessform.h"

#include <cstdint>
#include <memory>
#include <string>

class SpumuxJob;

class TQV_Video_DVD_Disc_Builder_Form : public TRunProcessForm, public DiscBuilderSteps {
public:
    explicit TQV_Video_DVD_Disc_Builder_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Disc_Builder_Form() override;

    // --- components of the disc builder ---------------------------------------------
    TkivGroupBox* kivGroupBox4 = nullptr;            // "Burner Device"
    TkivComboBox* kivComboBox_Drive = nullptr;       // "Device Name :"
    TkivComboBox* kivComboBox_WriteSpeed = nullptr;  // "Write Speed :"
    TkivEdit* kivEdit_VolumeName = nullptr;          // "Disc Volume :", 12 characters
    TkivImageButton* kivImageButton_Back = nullptr;  // hidden
    TkivImageButton* kivImageButton_Min = nullptr;

    // --- the task's steps ---------------------------------------------------------------
    // Made ready for a run of the output type: the display reset, the
    // settings read, the free volume name shown and the burner set up; false
    // when the burning system cannot be used.
    bool InitDiscBuilder(int outputType) override;
    void BuildWithoutMenu(int languageIndex) override;
    // The run takes the menus the designer wrote into RES.
    void BuildWithMenu(int languageIndex) override;
    void ShowDiscBuilder() override;

    // --- fields -------------------------------------------------------------------------
    bool WithMenu() const { return AuthorRun.WithMenu; }
    void SetWithMenu(bool withMenu) { AuthorRun.WithMenu = withMenu; }
    // The convert and author part of the run is in progress (cleared when the
    // burn stage begins).
    bool Converting = false;
    bool MenuPresent = false;
    bool VobFixNote = false;      // "Fix VOB file>>>" is still to be logged in this run
    int ChapterIndex = 0;         // the chapter page being multiplexed
    std::string SavedVolumeName;  // the volume name shown again when a run ends

    // The burn stage the runs end with (the program's unless a test gives another).
    void SetBurnStage(std::unique_ptr<DiscBurnStage> stage);
    DiscBurnStage& BurnStage() { return *burnStage_; }

    // --- behaviour ----------------------------------------------------------------------
    void kivImageButton_StartClick(TObject* Sender) override;
    void kivImageButton_StopClick(TObject* Sender) override;
    void kivImageButton_MinClick(TObject* Sender);
    void kivComboBox_DriveChange(TObject* Sender);
    void TimerTimer(TObject* Sender) override;
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void ClipStageOver() override;
    // Ends a run (the burn stage ends it too): the controls back, the volume
    // name restored, "Process finished." or "Process is terminated.".
    using TRunProcessForm::FinishRun;
    // Page ChapterIndex: its spumux description over its still into
    // "ChapterSub_<n>.vob", the still deleted. True only when spumux answered
    // success and the page's stream is there and not empty.
    bool MuxChapterPage();

    // MSG_SPUMUX_DONE and the writer messages; the base takes the worker's and the encoder's.
    void WndProc(TMessage& Message) override;

protected:
    std::string MissingFolderText() const override;
    void WorkFolderChosen() override;
    void MuxStepEnded(bool muxed, LPARAM lparam) override;
    void OnAuthorDone(LPARAM result) override;
    void RunEnding(bool finished) override;
    // Close asks while a run is active, then stops the conversion or aborts the write.
    bool ConfirmClose() override;

    // --- the stages that join the run later ---------------------------------------------
    // A DVD clip with a subtitle file: starts its subtitle job, which ends with
    // MSG_SPUMUX_DONE; false when none was started (the run goes on with the next clip).
    virtual bool StartSubtitleStage(int clipIndex);
    // MSG_SPUMUX_DONE: the subtitled stream takes the clip's place.
    virtual void SubtitleStageDone();
    // Stop and Close: the subtitle job is let go (its owner cleared, its child killed).
    virtual void CancelSubtitleStage();
    // The running subtitle job's percent, -1 when none runs.
    virtual int SubtitlePercent() const;
    // After the title still of a run with chapter pages: every page's still,
    // then, from ChapterIndex on, each page's buttons muxed onto its still
    // (MuxChapterPage). The window's messages are handled between pages; a
    // run that Stop or Close ended there answers false, as does any failure.
    virtual bool MakeChapterStills();
    virtual bool MuxChapterPages();

private:
    // The name the volume is made from: the one the user typed into the edit,
    // else the one the window last worked from (the disc kind's default at
    // first). A suffix the window added for a clash is never built upon.
    std::string VolumeNameBase() const;
    // The edit shows the name the window chose (so that it can tell a typed one).
    void ShowVolumeName(const std::string& name);
    // The base name as one folder name of the working folder, not yet taken there.
    void ShowFreeVolumeName();
    // False (after its box) when the run would write over or delete a file of the user's.
    bool SourcesUntouched();
    // The title still (and chapter stills), then MSG_MUX_DONE (kMuxSucceeded, kMuxTitleStill).
    void TitleStage();
    // MSG_MUX_DONE (kMuxSucceeded, kMuxTitleStill): the chapter pages multiplexed, then the author job.
    void ChapterAndAuthorStage();
    void StartAuthoring();
    // The run's intermediates once the DVD folder is authored.
    void DeleteIntermediates();
    void NextClip();
    void SetBuildControlsEnabled(bool enabled);
    // Handles the pending messages; true while run `run` still goes on.
    bool PumpWithinRun(std::uint64_t run);
    // Ends run `run` as terminated unless it ended already.
    void TerminateRun(std::uint64_t run);

    std::unique_ptr<DiscBurnStage> burnStage_;
    std::shared_ptr<SpumuxJob> spumuxJob_;
    std::string volumeBase_;   // see VolumeNameBase
    std::string shownVolume_;  // what the window last put into the edit   // the running subtitle job, shared with its thread
};
