// The drive and filter combo boxes over a described set of volumes and a real
// folder: item texts, the chosen volume or masks, and the linked lists following.
#include "democontrols.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/filectrl.h"
#include "win32/drives.h"

#include <fstream>

namespace {

class FileCombosTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
        root = ExcludeTrailingPathDelimiter(MakeTempFolder("filecombos"));
        for (const char* dir : {"disk/clips", "stick"}) ForceDirectories(JoinPath(root, dir));
        for (const char* name : {"disk/clips/a.vob", "disk/clips/b.MPG", "disk/clips/notes.txt"})
            std::ofstream(JoinPath(root, name)) << "x";
        SetDriveSource(DriveSource{"/dev/sda1 " + root + "/disk ext4 rw 0 0\n"
                                   "/dev/sdb1 " + root + "/stick vfat rw 0 0\n"
                                   "proc /proc proc rw 0 0\n",
                                   "", "", {}});
    }
    void TearDown() override
    {
        SetDriveSource(DriveSource{});
        DeleteFilesIn(root, true);
        for (const char* f : {"disk/clips", "disk", "stick", ""}) RemoveDir(JoinPath(root, f));
        HeadlessTest::TearDown();
    }
    TForm* form = nullptr;
    std::string root;
};

TEST_F(FileCombosTest, DriveComboListsVolumesAndMovesItsFolderList)
{
    auto* drives = new TDriveComboBox(form);
    drives->SetParent(form);
    drives->SetBounds(10, 10, 200, 21);
    ASSERT_EQ(drives->Items()->Count(), 2);
    EXPECT_EQ(drives->Items()->Get(0), root + "/disk [sda1]");
    EXPECT_EQ(drives->Items()->Get(1), root + "/stick [sdb1]");
    EXPECT_EQ(drives->Style(), csDropDownList);

    auto* dirs = new TDirectoryListBox(form);
    dirs->SetParent(form);
    dirs->SetBounds(10, 40, 200, 150);
    dirs->SetDirectory(root + "/disk/clips");
    drives->SetDirList(dirs);
    int changes = 0;
    drives->OnChange = [&](TObject*) { ++changes; };

    drives->SetDrive(root + "/disk/clips/a.vob"); // the folder list already shows a folder there
    EXPECT_EQ(drives->Drive(), root + "/disk/");
    EXPECT_EQ(dirs->Directory(), root + "/disk/clips");
    EXPECT_EQ(changes, 1);
    drives->SetDrive("/nowhere/at/all");          // on no listed volume: nothing changes
    EXPECT_EQ(drives->Drive(), root + "/disk/");
    EXPECT_EQ(changes, 1);

    form->Show();
    drives->SetFocus();
    headless->PressKey(VK_DOWN);                  // the user's choice moves the folder list
    EXPECT_EQ(drives->Drive(), root + "/stick/");
    EXPECT_EQ(dirs->Directory(), root + "/stick");
    EXPECT_EQ(changes, 2);
    dirs->Free();                                 // a freed folder list is let go
    EXPECT_EQ(drives->DirList(), nullptr);
    drives->SetDrive(root + "/disk");
    EXPECT_EQ(drives->Drive(), root + "/disk/");
}

TEST_F(FileCombosTest, FilterComboShowsTheTextsAndHandsItsMasksToTheFileList)
{
    auto* filters = new TFilterComboBox(form);
    filters->SetParent(form);
    filters->SetBounds(10, 10, 200, 21);
    EXPECT_EQ(filters->Items()->Get(0), "All files (*.*)");
    EXPECT_EQ(filters->Mask(), "*.*");

    auto* files = new TFileListBox(form);
    files->SetParent(form);
    files->SetBounds(10, 40, 200, 150);
    files->SetDirectory(root + "/disk/clips");
    filters->SetFilter("Video files|*.vob;*.mpg|Text|*.txt|Broken");
    ASSERT_EQ(filters->Items()->Count(), 2);      // a text without masks is dropped
    EXPECT_EQ(filters->ItemIndex(), 0);
    EXPECT_EQ(filters->Mask(), "*.vob;*.mpg");
    filters->SetFileList(files);
    EXPECT_EQ(files->Mask(), "*.vob;*.mpg");
    EXPECT_EQ(files->Count(), 2);                 // b.MPG matches ignoring case

    form->Show();
    filters->SetFocus();
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(filters->Mask(), "*.txt");
    ASSERT_EQ(files->Count(), 1);
    EXPECT_EQ(files->Items()->Get(0), "notes.txt");
    filters->SetFilter("");
    EXPECT_EQ(filters->ItemIndex(), -1);
    EXPECT_EQ(filters->Mask(), "*.*");
}

} // namespace
