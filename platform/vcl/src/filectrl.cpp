#include "vcl/filectrl.h"

#include "gfx/gdi.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "internal.h"
#include "vcl/dialogs.h"
#include "win32/drives.h"

#include <algorithm>

namespace {
constexpr int kIndent = 8;  // pixels per folder level
constexpr int kGlyph = 14;  // room for the folder picture

std::string CanonicalFolder(const std::string& value)
{
    std::string dir = ExpandFileName(value.empty() ? GetCurrentDir() : value);
    if (dir.size() > 1) dir = ExcludeTrailingPathDelimiter(dir);
    if (!DirectoryExists(dir)) throw EInOutError("Invalid directory: " + value);
    return dir;
}

int FindExact(const TStrings& items, const std::string& name)
{
    for (int i = 0; i < items.Count(); ++i)
        if (items.Get(i) == name) return i;
    return -1;
}

// A small folder: a tab on a box, with the lid lifted when open.
void FolderGlyph(TCanvas& c, int x, int y, bool open)
{
    const TColor body = RGB(0xF0, 0xC8, 0x50), edge = RGB(0x90, 0x70, 0x20);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(edge);
    c.FillRect(Rect(x, y, x + 5, y + 2));
    c.FillRect(Rect(x, y + 1, x + 12, y + 10));
    c.Brush()->SetColor(body);
    c.FillRect(Rect(x + 1, y + 2, x + 11, y + 9));
    if (open) {
        c.Brush()->SetColor(RGB(0xFF, 0xE8, 0x98));
        c.FillRect(Rect(x + 3, y + 5, x + 12, y + 9));
    }
}
} // namespace

// --- folder list ----------------------------------------------------------------
TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
    SetDirectory(GetCurrentDir());
}

void TDirectoryListBox::SetDirectory(const std::string& value)
{
    const std::string dir = CanonicalFolder(value);
    const bool changed = dir != directory_;
    directory_ = dir;
    ReadDirectory();
    if (changed) {
        if (fileList_) fileList_->SetDirectory(directory_);
        Change();
    }
}

void TDirectoryListBox::ReadDirectory()
{
    paths_.clear();
    Items()->BeginUpdate();
    Items()->Clear();
    // The root, each folder on the way down, then the current folder's subfolders.
    std::string path = "/";
    paths_.push_back(path);
    Items()->Add("/");
    std::size_t start = 1;
    while (start < directory_.size()) {
        std::size_t end = directory_.find('/', start);
        if (end == std::string::npos) end = directory_.size();
        const std::string name = directory_.substr(start, end - start);
        path = JoinPath(path, name);
        paths_.push_back(path);
        Items()->Add(name);
        start = end + 1;
    }
    openCount_ = Items()->Count();
    for (const std::string& name : ListFolder(directory_, "*", ListKind::Folders)) {
        paths_.push_back(JoinPath(directory_, name));
        Items()->Add(name);
    }
    Items()->EndUpdate();
    SetItemIndex(openCount_ - 1);
}

std::string TDirectoryListBox::GetItemPath(int index) const
{
    if (index < 0 || index >= static_cast<int>(paths_.size()))
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return paths_[static_cast<std::size_t>(index)];
}

void TDirectoryListBox::OpenCurrent()
{
    if (ItemIndex() >= 0) SetDirectory(GetItemPath(ItemIndex()));
}

void TDirectoryListBox::SetFileList(TFileListBox* value)
{
    if (fileList_ == value) return;
    if (fileList_) fileList_->RemoveFreeNotification(this);
    fileList_ = value;
    if (value) {
        value->FreeNotification(this);
        value->SetDirectory(directory_);
    }
}

void TDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomListBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fileList_) fileList_ = nullptr;
}

void TDirectoryListBox::Change()
{
    if (OnChange && !Loading()) OnChange(this);
}

void TDirectoryListBox::DblClick()
{
    TCustomListBox::DblClick();
    OpenCurrent();
}

void TDirectoryListBox::KeyPress(char& Key)
{
    if (Key == '\r') {
        OpenCurrent();
        Key = 0;
        return;
    }
    TCustomListBox::KeyPress(Key);
}

void TDirectoryListBox::DrawItem(int Index, TRect R, TOwnerDrawState State)
{
    if (OnDrawItem && Style() != lbStandard) {
        TCustomListBox::DrawItem(Index, R, State);
        return;
    }
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor((State & odSelected) ? clHighlight : Color());
    c.FillRect(R);
    // Open folders step in one level each; subfolders sit one level below the current one.
    const int level = Index < openCount_ ? Index : openCount_;
    const int x = R.Left + 2 + level * kIndent;
    FolderGlyph(c, x, R.Top + std::max(0, (R.Height() - 10) / 2), Index < openCount_);
    c.Font()->SetColor((State & odDisabled) ? clGrayText : (State & odSelected) ? clHighlightText : Font()->Color());
    c.Brush()->SetStyle(bsClear);
    TRect tr = R;
    tr.Left = x + kGlyph;
    DrawText(&c, Items()->Get(Index), tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}

// --- file list -------------------------------------------------------------------
TFileListBox::TFileListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
    SetDirectory(GetCurrentDir());
}

void TFileListBox::SetDirectory(const std::string& value)
{
    directory_ = CanonicalFolder(value);
    ReadDirectory();
}

void TFileListBox::SetMask(const std::string& value)
{
    mask_ = value.empty() ? "*.*" : value;
    ReadDirectory();
}

void TFileListBox::ReadDirectory()
{
    std::vector<std::string> masks;
    std::size_t start = 0;
    while (start <= mask_.size()) {
        std::size_t end = mask_.find(';', start);
        if (end == std::string::npos) end = mask_.size();
        std::string m = Trim(mask_.substr(start, end - start));
        if (!m.empty()) masks.push_back(m);
        start = end + 1;
    }
    const std::string old = ItemIndex() >= 0 ? Items()->Get(ItemIndex()) : std::string();
    Items()->BeginUpdate();
    Items()->Clear();
    for (const std::string& name : ListFolder(directory_, "*", ListKind::Files))
        if (std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return MatchesMask(name, m); }))
            Items()->Add(name);
    Items()->EndUpdate();
    // The selection stays on the same file when it is still there.
    SetItemIndex(old.empty() ? -1 : FindExact(*Items(), old));
}

std::string TFileListBox::FileName() const
{
    const int i = ItemIndex();
    if (i < 0) return {};
    return JoinPath(directory_, Items()->Get(i));
}

void TFileListBox::SetFileName(const std::string& value)
{
    const std::string folder = ExtractFileDir(value);
    if (!folder.empty() && CanonicalFolder(folder) != directory_) SetDirectory(folder);
    const int found = FindExact(*Items(), ExtractFileName(value));
    if (found != ItemIndex()) {
        SetItemIndex(found);
        Change();
    }
}

void TFileListBox::Change()
{
    if (OnChange && !Loading()) OnChange(this);
}

void TFileListBox::Click()
{
    TCustomListBox::Click();
    Change();
}

// --- drive combo box ---------------------------------------------------------------------
TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
    ReadVolumes();
    SetDrive(GetCurrentDir());
}

void TDriveComboBox::ReadVolumes()
{
    const std::string chosen = Drive();
    mountPoints_.clear();
    {
        TStringsUpdate update(*Items());
        Items()->Clear();
        for (const Volume& v : EnumerateVolumes()) {
            const std::string shown =
                v.mountPoint.size() > 1 ? ExcludeTrailingPathDelimiter(v.mountPoint) : v.mountPoint;
            const std::string device = ExtractFileName(v.device);
            Items()->Add(device.empty() ? shown : shown + " [" + device + "]");
            mountPoints_.push_back(v.mountPoint);
        }
    }
    const auto it = std::find(mountPoints_.begin(), mountPoints_.end(), chosen);
    SetItemIndex(it == mountPoints_.end() ? -1 : static_cast<int>(it - mountPoints_.begin()));
}

std::string TDriveComboBox::Drive() const
{
    const int i = ItemIndex();
    return i >= 0 && i < static_cast<int>(mountPoints_.size()) ? mountPoints_[static_cast<std::size_t>(i)] : "";
}

void TDriveComboBox::SetDrive(const std::string& value)
{
    // The longest mount point the path lies under.
    const std::string path = IncludeTrailingPathDelimiter(ExpandFileName(value));
    int best = -1;
    for (int i = 0; i < static_cast<int>(mountPoints_.size()); ++i) {
        const std::string& m = mountPoints_[static_cast<std::size_t>(i)];
        if (path.compare(0, m.size(), m) == 0 && (best < 0 || m.size() > mountPoints_[static_cast<std::size_t>(best)].size()))
            best = i;
    }
    if (best < 0 || best == ItemIndex()) return;
    SetItemIndex(best);
    Change();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* value)
{
    if (dirList_) dirList_->RemoveFreeNotification(this);
    dirList_ = value;
    if (value) value->FreeNotification(this);
}

void TDriveComboBox::Change()
{
    // The folder list moves to the chosen volume unless it already shows a folder on it.
    const std::string drive = Drive();
    if (dirList_ && !drive.empty()) {
        const std::string shown = IncludeTrailingPathDelimiter(dirList_->Directory());
        if (shown.compare(0, drive.size(), drive) != 0) dirList_->SetDirectory(drive);
    }
    TCustomComboBox::Change();
}

void TDriveComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dirList_) dirList_ = nullptr;
}

// --- filter combo box --------------------------------------------------------------------
TFilterComboBox::TFilterComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
    SetFilter("All files (*.*)|*.*");
}

void TFilterComboBox::SetFilter(const std::string& value)
{
    filter_ = value;
    masks_.clear();
    {
        TStringsUpdate update(*Items());
        Items()->Clear();
        for (const TFileFilter& f : ParseFileFilter(value)) {
            std::string joined;
            for (const std::string& m : f.Masks) joined += (joined.empty() ? "" : ";") + m;
            Items()->Add(f.Text);
            masks_.push_back(joined);
        }
    }
    SetItemIndex(masks_.empty() ? -1 : 0);
    Change();
}

std::string TFilterComboBox::Mask() const
{
    const int i = ItemIndex();
    return i >= 0 && i < static_cast<int>(masks_.size()) ? masks_[static_cast<std::size_t>(i)] : "*.*";
}

void TFilterComboBox::SetFileList(TFileListBox* value)
{
    if (fileList_) fileList_->RemoveFreeNotification(this);
    fileList_ = value;
    if (value) {
        value->FreeNotification(this);
        value->SetMask(Mask());
    }
}

void TFilterComboBox::Change()
{
    if (fileList_) fileList_->SetMask(Mask());
    TCustomComboBox::Change();
}

void TFilterComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fileList_) fileList_ = nullptr;
}
