#pragma once
// Folder and file lists. The folder list shows the folders from the root down
// to the current one, then the current folder's subfolders; the file list
// shows the files of one folder whose names match a wildcard mask.
#include "vcl/stdctrls_list.h"

#include <string>
#include <vector>

class TFileListBox;

class TDirectoryListBox : public TCustomListBox {
public:
    explicit TDirectoryListBox(TComponent* AOwner);

    // The current folder, absolute, without a trailing '/' ("/" for the root).
    const std::string& Directory() const { return directory_; }
    // Raises EInOutError for a folder that does not exist; the list stays as it was.
    void SetDirectory(const std::string& value);
    // The folder an item stands for.
    std::string GetItemPath(int index) const;
    // Moves into the selected item's folder (what a double-click and Enter do).
    void OpenCurrent();
    // Reads the current folder again.
    void ReadDirectory();
    // A file list that follows this list's folder.
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* value);

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
    void DblClick() override;
    void KeyPress(char& Key) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::string directory_;
    std::vector<std::string> paths_; // one per item
    int openCount_ = 0;              // items up to the current folder (open folders)
    TFileListBox* fileList_ = nullptr;
};

class TFileListBox : public TCustomListBox {
public:
    explicit TFileListBox(TComponent* AOwner);

    const std::string& Directory() const { return directory_; }
    // Raises EInOutError for a folder that does not exist.
    void SetDirectory(const std::string& value);
    // Wildcards, case-insensitive; several masks are separated by ';' ("*.vob;*.mpg").
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& value);
    // The selected file's full path, "" when none is selected.
    std::string FileName() const;
    // Selects a file of the list by name; a path to another folder moves there first.
    void SetFileName(const std::string& value);
    // Reads the folder again.
    void ReadDirectory();

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void Click() override;

private:
    std::string directory_;
    std::string mask_ = "*.*";
};

// The mounted volumes, one item each: the mount point and, in brackets, the
// device ("/media/stick [sdb1]"). A folder list linked by DirList moves to
// the volume the user chooses.
class TDriveComboBox : public TCustomComboBox {
public:
    explicit TDriveComboBox(TComponent* AOwner);

    // The chosen volume's mount point with a trailing '/', "" when none is chosen.
    std::string Drive() const;
    // Chooses the volume that holds the path; a path on no listed volume changes nothing.
    void SetDrive(const std::string& value);
    // Lists the mounted volumes again, keeping the choice while it is still mounted.
    void ReadVolumes();
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* value);

protected:
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<std::string> mountPoints_; // one per item
    TDirectoryListBox* dirList_ = nullptr;
};

// The texts of a file filter ("Videos|*.avi;*.mpg|All files|*.*") as items,
// the first one chosen; Mask is the chosen pair's masks. A file list linked by
// FileList shows the files the chosen masks match.
class TFilterComboBox : public TCustomComboBox {
public:
    explicit TFilterComboBox(TComponent* AOwner);

    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value);
    // The chosen pair's masks joined by ';', "*.*" when none is chosen.
    std::string Mask() const;
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* value);

protected:
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::string filter_;
    std::vector<std::string> masks_;       // one per item
    TFileListBox* fileList_ = nullptr;
};
