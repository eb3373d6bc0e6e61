#pragma once
// What the disc builder's tests share: the convert window's headless program
// (its clips, clock, pumping loops and child-process checks) with the disc
// builder made beside it, and a burn stage that records what reaches it.
#include "convertfixture.h"

#include "pipeline/discburnstage.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"

// A burn stage with writers of its own that records each call; the write
// ends the run at once unless `keepBurning` holds it.
class RecordingBurnStage final : public DiscBurnStage {
public:
    bool InitBurner(TQV_Video_DVD_Disc_Builder_Form& window, int discType) override
    {
        calls.push_back("init " + std::to_string(discType));
        window.kivComboBox_Drive->Items()->Clear();
        for (const std::string& writer : writers) window.kivComboBox_Drive->Items()->Add(writer);
        window.kivComboBox_Drive->SetItemIndex(writers.empty() || !selectFirst ? -1 : 0);
        return initAnswer;
    }
    void OnDriveChange(TQV_Video_DVD_Disc_Builder_Form&, int index) override
    {
        calls.push_back("drive " + std::to_string(index));
    }
    bool CheckDiscBeforeRun(TQV_Video_DVD_Disc_Builder_Form&) override
    {
        calls.push_back("check");
        return true;
    }
    void StartDvdWrite(TQV_Video_DVD_Disc_Builder_Form& window, const std::string& folder,
                       const std::string& label) override
    {
        calls.push_back("write");
        discFolder = folder;
        volumeLabel = label;
        if (!keepBurning) window.FinishRun(true);
    }
    void StartImageStage(TQV_Video_DVD_Disc_Builder_Form& window) override
    {
        calls.push_back("image");
        window.FinishRun(true);
    }
    bool TimerTick(TQV_Video_DVD_Disc_Builder_Form&) override { return false; }
    void WriterMessage(TQV_Video_DVD_Disc_Builder_Form&, UINT message, WPARAM, LPARAM) override
    {
        calls.push_back("message " + std::to_string(message));
    }
    void AbortWrite(TQV_Video_DVD_Disc_Builder_Form&) override { calls.push_back("abort"); }
    void CloseTray(TQV_Video_DVD_Disc_Builder_Form&) override { calls.push_back("tray"); }
    void Release(TQV_Video_DVD_Disc_Builder_Form&) override { calls.push_back("release"); }

    bool Called(const std::string& call) const
    {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    std::vector<std::string> writers{"Virtual DVD writer"};
    bool selectFirst = true;
    bool initAnswer = true;
    bool keepBurning = false;
    std::vector<std::string> calls;
    std::string discFolder, volumeLabel;
};

class BuilderTest : public ConvertTest {
protected:
    void SetUp() override
    {
        ConvertTest::SetUp();
        app->CreateForm(QV_Video_DVD_Disc_Builder_Form);
        builder = QV_Video_DVD_Disc_Builder_Form;
    }
    void TearDown() override
    {
        ConvertTest::TearDown();
        QV_Video_DVD_Disc_Builder_Form = nullptr;
    }
    // Gives the window a recording burn stage; answers it.
    RecordingBurnStage& Record()
    {
        auto stage = std::make_unique<RecordingBurnStage>();
        RecordingBurnStage& kept = *stage;
        builder->SetBurnStage(std::move(stage));
        return kept;
    }
    // The window made ready as the clips window makes it (kind 1 DVD, 2 SVCD, 3 VCD).
    void ReadyBuilder(int kind, bool withMenu = false)
    {
        ASSERT_TRUE(builder->InitDiscBuilder(kind));
        if (!withMenu) builder->BuildWithoutMenu(0);
        builder->kivEdit_WorkingFolder->SetText(work_);
    }
    void StartBuilder() { builder->kivImageButton_StartClick(nullptr); }
    bool BuildToEnd(int seconds = 300)
    {
        return PumpUntil([this] { return !builder->RunActive(); }, seconds);
    }
    std::vector<std::string> BuilderLog() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < builder->Memo1->Lines()->Count(); ++i) lines.push_back(builder->Memo1->Lines()->Get(i));
        return lines;
    }

    TQV_Video_DVD_Disc_Builder_Form* builder = nullptr;
};
