#pragma once
// What the two run windows, the convert window and the disc builder, share:
// the working folder with its space check, the TV standard, the encoder
// choice, the log, the time lines and the three bars; the clip stage driven
// by the encode step (whose view this window is), the multiplex step on the
// multiplex/author worker, the 500 ms timer, Stop, the close question and the
// end of a run. Each window adds its Start, what follows the clip stage and
// its own messages.
//
// A run is active from its Start until it finishes; the worker's and the
// encoder's messages count only then: one that arrives late, after Stop or
// Close, finds an idle window and changes nothing.
#include "pipeline/authorxml.h"
#include "pipeline/encodesequence.h"
#include "pipeline/runlayout.h"

#include "vcl/forms.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TLabel;
class TTimer;
class TfsChooseFolder;
class TkivCheckBox;
class TkivComboBox;
class TkivEdit;
class TkivGroupBox;
class TkivImageButton;
class TkivMemo;
class TkivProgressBar;
class TkivSkinForm;

// Output megabytes of a run lasting `seconds` at the fixed rate of its output
// type (30, 30, 22, 13 MB a minute), and the disc it must fit (4300, 4300, 600,
// 600 MB). The type is clamped to 0..3.
std::int64_t RunEstimateMB(int outputType, double seconds);
std::int64_t RunDiscSizeMB(int outputType);

class TRunProcessForm : public TForm, public pipeline::EncodeView {
public:
    TRunProcessForm(TComponent* AOwner, const runlayout::Layout& layout, const std::string& name,
                    const std::string& caption, pipeline::ClipEncodeSequence::RunWindow kind);
    ~TRunProcessForm() override;

    // --- components ---------------------------------------------------------------
    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivGroupBox* kivGroupBox2 = nullptr;            // "Working Folder"
    TkivEdit* kivEdit_WorkingFolder = nullptr;       // read-only
    TkivImageButton* kivImageButton_Browse = nullptr;
    TkivImageButton* kivImageButton_Check = nullptr; // hidden
    TLabel* Label_FreeSpace = nullptr;               // "Free Space must > 5 GB"
    TkivGroupBox* kivGroupBox3 = nullptr;            // "Output Setup"
    TkivCheckBox* Label4 = nullptr;                  // "PAL"
    TkivCheckBox* Label5 = nullptr;                  // "NTSC"
    TLabel* Label16 = nullptr;                       // the encoder choice's caption
    TkivComboBox* kivComboBox_ConvertEngine = nullptr;
    TkivMemo* Memo1 = nullptr;                       // the run's log
    TkivProgressBar* kivProgressBar = nullptr;       // the first bar (its caption is the window's)
    TkivProgressBar* kivProgressBar1 = nullptr;      // "Converting Process :"
    TkivProgressBar* kivProgressBar2 = nullptr;      // "Muxing Process :"
    TLabel* BarCaptions[3] = {};
    TLabel* Label_UsedTime = nullptr;
    TLabel* Label_FPS = nullptr;
    TLabel* Label_CurrentFame = nullptr;
    TLabel* Label_TotalTime = nullptr;
    TLabel* Label_FileName = nullptr;
    TkivImageButton* kivImageButton_Start = nullptr;
    TkivImageButton* kivImageButton_Stop = nullptr;
    TkivImageButton* kivImageButton1 = nullptr;      // close
    TfsChooseFolder* fsChooseFolde = nullptr;
    TTimer* Timer = nullptr;

    // --- fields -------------------------------------------------------------------
    // The clip stage's fields (ClipCount, CurrentClipIndex, TickCount, the
    // seconds, EncodeStage, EncoderRunning, Muxing, OutputType, the encoder's
    // records) live in the encode step of the current run.
    pipeline::ClipEncodeSequence& Encode() { return *encode_; }
    const pipeline::ClipEncodeSequence& Encode() const { return *encode_; }
    int OutputType = 1;                // 0, 1 DVD, 2 SVCD, 3 VCD
    // What the dvdauthor control file is written from: the menu language,
    // WithMenu, and whether the titles are the user's finished VOB files.
    AuthorXmlRun AuthorRun;
    bool RunActive() const { return active_; }
    // Counts the runs begun: work that lets the window's messages through
    // (and with them Stop, Close and a new Start) sees whether its run is still the one going.
    std::uint64_t RunNumber() const { return runNumber_; }

    // The encoder library the runs drive (the linked one unless a test gives another).
    void SetEncoderLibrary(pipeline::EncoderLibrary& library) { library_ = &library; }

    // --- behaviour ----------------------------------------------------------------
    // Whether the run may go on in the folder of the folder box: an absolute
    // folder, the estimate within the disc (or the user goes on anyway) and
    // room for it on the folder's volume (or, unless silent, the user goes on).
    bool CheckWorkFolder(bool silent);
    // The sum of the clips' longer lengths (audio or video), in seconds.
    static double ClipsTotalSeconds();

    void kivImageButton_BrowseClick(TObject* Sender);
    void kivImageButton_CheckClick(TObject* Sender);
    void Label4Click(TObject* Sender);    // PAL and NTSC exclude each other
    void Label5Click(TObject* Sender);
    virtual void kivImageButton_StartClick(TObject* Sender) = 0;
    virtual void kivImageButton_StopClick(TObject* Sender);
    virtual void kivImageButton1Click(TObject* Sender);
    virtual void TimerTimer(TObject* Sender);
    virtual void FormClose(TObject* Sender, TCloseAction& Action);

    // MSG_AUTHOR_DONE OnAuthorDone, MSG_MUX_DONE OnMuxDone, MSG_ENCODER_DONE OnEncoderDone; each only while a run is active.
    void WndProc(TMessage& Message) override;

    // --- the encode step's view ---------------------------------------------------
    void Log(const std::string& line) override;
    void SetFileLabel(const std::string& text) override;
    void SetUsedTime(int seconds) override;
    void SetFramesPerSecond(int fps) override;
    void SetCurrentTime(int seconds) override;
    void SetConvertingBar(int percent) override;
    void SetTotalBar(int percent) override;
    // Multiplexes the encoded clip on a fresh worker, or skips a clip whose
    // encoder outputs are missing.
    void MuxClip(int clipIndex) override;
    void RunTerminated() override { FinishRun(false); }

protected:
    // The text of the box for a folder box that holds no usable folder.
    virtual std::string MissingFolderText() const;
    // The folder box got a folder from Browse.
    virtual void WorkFolderChosen() {}
    // The multiplex job of the current clip ended, muxed or not (or the title
    // still was written: lparam 6); the worker is gone and the failure lines are logged.
    virtual void MuxStepEnded(bool muxed, LPARAM lparam) = 0;
    virtual void OnAuthorDone(LPARAM result) = 0;
    virtual void OnEncoderDone(LPARAM result);
    // Before the run's last line: finished is false for a terminated run.
    virtual void RunEnding(bool /*finished*/) {}

    // Marks the run active and sets the window up for it: timer on, controls
    // that shape the run disabled, Start hidden and Stop shown, bars at 0, log cleared.
    void BeginRun();
    // The clips of the run, in title order, as the encode step reads them.
    std::vector<pipeline::EncodeClipInfo> RunClips() const;
    // Starts the clip stage over the clips with the first clip.
    void StartClipStage(std::vector<pipeline::EncodeClipInfo> clips, bool pal, int engineItem);
    bool ClipStageRunning() const { return clipStage_; }
    // The clip of the run at an index (nullptr outside the run's clips).
    const pipeline::EncodeClipInfo* RunClip(int index) const;
    // Ends a run: timer off, Start back, the controls enabled, the last log
    // line: "Process is terminated.", "Process finished.", or, when clips of
    // a finished run failed, "Process finished, but N of M clips failed.".
    void FinishRun(bool finished);
    // Stops what runs (the encoder, the worker's job) and finishes as terminated.
    void StopRun();
    // The global worker replaced by a fresh one reporting to this window.
    void ReplaceWorker();
    // The run ends without a last line (the window goes back to idle).
    void EndQuietly();
    // The stop question of Close: true when the window may close (after
    // stopping what ran), false when the user keeps it.
    virtual bool ConfirmClose();
    // The working folder of the run (the folder box, with its separator).
    std::string FolderText() const;
    // The user's files are only read: when a file the run writes or deletes
    // (`written`) is one of `sources` (however spelt), the box says which and
    // the answer is false; the run must not start.
    bool SourcesStayUntouched(const std::vector<std::string>& written, const std::vector<std::string>& sources);
    void ResetDisplay();

    const runlayout::Layout& layout_;

private:
    void OnMuxDone(WPARAM wparam, LPARAM lparam);
    void CloseQueryHandler(TObject* Sender, bool& CanClose);

    pipeline::ClipEncodeSequence::RunWindow kind_;
    pipeline::EncoderLibrary* library_;
    std::unique_ptr<pipeline::ClipEncodeSequence> encode_;
    std::vector<pipeline::EncodeClipInfo> clips_;
    bool active_ = false;
    std::uint64_t runNumber_ = 0;
    bool clipStage_ = false;
    bool closing_ = false;     // Close was confirmed: the close query lets it through
};
