// Folder and file lists over a real folder: the way down from the root, the
// subfolders, opening one, a linked file list, masks matched case-insensitively
// and the selected file's path.
#include "democontrols.h"

#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/filectrl.h"

#include <fstream>

namespace {

class FileCtrlTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(400, 300);
        root = ExcludeTrailingPathDelimiter(MakeTempFolder("filectrl"));
        ForceDirectories(JoinPath(root, "clips/Extra"));
        ForceDirectories(JoinPath(root, "Menus"));
        for (const char* name : {"clips/b.VOB", "clips/a.vob", "clips/notes.txt", "clips/c.Mpg", "clips/d.vob.bak"})
            std::ofstream(JoinPath(root, name)) << "x";
    }
    void TearDown() override
    {
        DeleteFilesIn(root, true);
        for (const char* f : {"clips/Extra", "clips", "Menus", ""}) RemoveDir(JoinPath(root, f));
        HeadlessTest::TearDown();
    }
    static std::vector<std::string> ItemsOf(TCustomListBox& list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items()->Get(i));
        return out;
    }
    TForm* form = nullptr;
    std::string root;
};

TEST_F(FileCtrlTest, FolderListShowsTheWayDownThenTheSubfoldersAndOpensOne)
{
    auto* dirs = new TDirectoryListBox(form);
    dirs->SetParent(form);
    dirs->SetBounds(10, 10, 180, 200);
    int changes = 0;
    dirs->OnChange = [&](TObject*) { ++changes; };
    dirs->SetDirectory(root + "/");
    EXPECT_EQ(dirs->Directory(), root);
    EXPECT_EQ(changes, 1);

    // "/", each folder down to root, then its subfolders in name order; the current one selected.
    const auto items = ItemsOf(*dirs);
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(items.front(), "/");
    const int current = dirs->ItemIndex();
    EXPECT_EQ(items[static_cast<std::size_t>(current)], ExtractFileName(root));
    EXPECT_EQ(dirs->GetItemPath(current), root);
    EXPECT_EQ(dirs->GetItemPath(0), "/");
    ASSERT_EQ(items.size(), static_cast<std::size_t>(current) + 3);
    EXPECT_EQ(items[static_cast<std::size_t>(current) + 1], "clips");
    EXPECT_EQ(items[static_cast<std::size_t>(current) + 2], "Menus");
    EXPECT_EQ(dirs->GetItemPath(current + 1), JoinPath(root, "clips"));
    EXPECT_THROW(dirs->GetItemPath(static_cast<int>(items.size())), EListError);

    // Double-clicking a subfolder moves into it; Enter on an upper folder moves back up.
    form->Show();
    const TRect r = dirs->ItemRect(current + 1);
    headless->DoubleClick(*form, 10 + r.Left + 20, 10 + r.Top + r.Height() / 2);
    EXPECT_EQ(dirs->Directory(), JoinPath(root, "clips"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(dirs->Items()->Get(dirs->Count() - 1), "Extra");
    dirs->SetFocus();
    headless->PressKey(VK_UP);
    headless->Char('\r');
    EXPECT_EQ(dirs->Directory(), root);

    // A folder that does not exist is refused and changes nothing.
    EXPECT_THROW(dirs->SetDirectory(JoinPath(root, "missing")), EInOutError);
    EXPECT_EQ(dirs->Directory(), root);
    EXPECT_EQ(changes, 3);
}

TEST_F(FileCtrlTest, FileListMatchesMasksWithoutCaseAndFollowsItsFolderList)
{
    auto* files = new TFileListBox(form);
    files->SetParent(form);
    auto* dirs = new TDirectoryListBox(form);
    dirs->SetParent(form);
    dirs->SetDirectory(root);
    dirs->SetFileList(files);
    EXPECT_EQ(files->Directory(), root);
    EXPECT_EQ(files->Count(), 0); // folders are no files

    dirs->SetDirectory(JoinPath(root, "clips"));
    EXPECT_EQ(files->Directory(), JoinPath(root, "clips"));
    EXPECT_EQ(ItemsOf(*files), (std::vector<std::string>{"a.vob", "b.VOB", "c.Mpg", "d.vob.bak", "notes.txt"}));
    files->SetMask("*.VOB; *.mpg");
    EXPECT_EQ(ItemsOf(*files), (std::vector<std::string>{"a.vob", "b.VOB", "c.Mpg"}));

    // The selected file's path; a path elsewhere moves the list there first.
    int changes = 0;
    files->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(files->FileName(), "");
    files->SetFileName("b.VOB");
    EXPECT_EQ(files->FileName(), JoinPath(root, "clips/b.VOB"));
    EXPECT_EQ(changes, 1);
    files->ReadDirectory(); // the selection stays on the same file
    EXPECT_EQ(files->FileName(), JoinPath(root, "clips/b.VOB"));
    files->SetMask("");
    EXPECT_EQ(files->Mask(), "*.*");
    files->SetFileName(JoinPath(root, "clips/notes.txt"));
    EXPECT_EQ(files->FileName(), JoinPath(root, "clips/notes.txt"));

    // The file list forgets a freed folder list's link and the other way round.
    files->Free();
    EXPECT_EQ(dirs->FileList(), nullptr);
    dirs->SetDirectory(root);
}

} // namespace
