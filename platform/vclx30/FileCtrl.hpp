#pragma once
// File-system controls: the drive box, the directory list and the file list, linked so that the
// drive box drives the directory list and the directory list drives the file list.
//
// Paths are absolute with "/" as separator and no trailing separator except the root "/" itself.
// Hidden entries (names starting with '.') are not shown. Names are sorted without regard to the
// case of the letters a to z; names equal that way keep their byte order.

#include "Classes.hpp"
#include "StdCtrls.hpp"

#include <string>
#include <vector>

class TDirectoryListBox;
class TFileListBox;

// The roots of the volumes listed in a mount table (the text of /proc/self/mounts): "/" always and
// first, then, in byte order and each once, the mount points of block devices (device paths under
// /dev/, except squashfs package images) and of network filesystems (nfs, nfs4, cifs, smb3, smbfs,
// fuse.sshfs). Pseudo-filesystems (proc, sysfs, tmpfs, cgroup, overlay and the like) are left out.
// Octal escapes in mount points (\040 for a space) are decoded.
std::vector<std::string> ParseMountTable(const std::string& Text);

// The volumes of this system: ParseMountTable of /proc/self/mounts, keeping the mount points that
// are directories. Only "/" when the table cannot be read.
std::vector<std::string> MountedDrives();

// True when Name matches one of the semicolon-separated masks of Mask: '*' stands for any run of
// characters, '?' for one, letters a to z match either case, and "*.*" matches every name, with an
// extension or without. An empty mask matches nothing.
bool MatchesMask(const std::string& Name, const std::string& Mask);

// Drive selector: one entry per volume, shown as its root path (csDropDownList style). A choice by
// the user moves the linked directory list to that root, and the box follows the directory list to
// whichever volume holds its directory (the one whose root is the longest prefix of it).
class TDriveComboBox : public TComboBox
{
public:
    explicit TDriveComboBox(TComponent* AOwner);
    ~TDriveComboBox() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The selected volume's root, "" with none.
    std::string Drive() const;
    // Selects the volume with root Value and moves the linked directory list there. Raises
    // EInOutError for a root that is not in the list, and whatever the directory list raises.
    void SetDrive(const std::string& Value);
    // The volumes offered, MountedDrives() unless set.
    std::vector<std::string> Drives() const { return FDrives; }
    void SetDrives(const std::vector<std::string>& Roots);

    TDirectoryListBox* DirList() const { return FDirList; }
    // Links the directory list (nullptr unlinks); the box then shows its volume.
    void SetDirList(TDirectoryListBox* Value);

protected:
    // The user chose an entry: moves the directory list, then raises OnChange.
    void Change() override;

private:
    friend class TDirectoryListBox;
    // Selects the volume that holds Directory, without moving anything.
    void FollowDirectory(const std::string& Directory);
    void Unlink();

    std::vector<std::string> FDrives;
    TDirectoryListBox* FDirList = nullptr;
};

// The path from the root down to the current directory, one entry a level ("/", "home", "user"),
// then the current directory's subdirectories. A double-click on an entry, or Enter on the
// selected one, moves there: an ancestor entry up to it, a subdirectory entry into it.
// The list starts in the user's home directory ($HOME), else in the process's current directory,
// else in "/", whichever is first to be listed.
class TDirectoryListBox : public TCustomListBox
{
public:
    explicit TDirectoryListBox(TComponent* AOwner);
    ~TDirectoryListBox() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    const std::string& Directory() const { return FDirectory; }
    // Moves to Value (a relative path is taken from the process's current directory; "." and ".."
    // are resolved in the text). Then the drive box follows, the linked file list shows the
    // directory with its own mask, and only then OnChange is raised, for programmatic moves too.
    // Every move re-reads the directory, also to the one shown already.
    // A directory that cannot be listed (missing, not a directory, not readable) raises
    // EInOutError naming it and the reason, and nothing changes.
    void SetDirectory(const std::string& Value);

    // The directory that entry Index stands for; raises EListError out of bounds.
    std::string GetItemPath(int Index) const;

    TFileListBox* FileList() const { return FFileList; }
    // Links the file list (nullptr unlinks); it shows this list's directory from now on.
    void SetFileList(TFileListBox* Value);

    TNotifyEvent OnChange;

protected:
    // Raises OnChange.
    virtual void Change();
    // A double-click moves to the entry, then raises OnDblClick.
    void DblClick() override;
    void ItemActivated(int Index) override;

private:
    friend class TDriveComboBox;
    friend class TFileListBox;
    // Shows Directory with its subdirectories Names.
    void ShowDirectory(const std::string& Directory, const std::vector<std::string>& Names);

    std::string FDirectory;
    // The number of entries that are levels of the path; the subdirectories follow them.
    int FLevels = 0;
    TFileListBox* FFileList = nullptr;
    TDriveComboBox* FDriveCombo = nullptr;
};

// The regular files of a directory (symbolic links to regular files included) whose names match
// the mask. A directory that cannot be read gives an empty list. OnClick is raised on every change
// of the selection by the user, OnDblClick on a double-click on a file.
class TFileListBox : public TCustomListBox
{
public:
    explicit TFileListBox(TComponent* AOwner);
    ~TFileListBox() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The directory shown, in the same form as the directory list's. Setting it re-reads the list
    // and leaves nothing selected.
    const std::string& Directory() const { return FDirectory; }
    void SetDirectory(const std::string& Value);
    // Semicolon-separated masks, see MatchesMask; "*.*" by default. Setting it re-reads the list.
    const std::string& Mask() const { return FMask; }
    void SetMask(const std::string& Value);
    // The full path of the selected file, "" with none.
    std::string FileName() const;
    // Re-reads the directory; the selected file stays selected while it is still listed.
    void Update();

private:
    friend class TDirectoryListBox;
    void ReadFiles();

    std::string FDirectory;
    std::string FMask = "*.*";
    TDirectoryListBox* FDirList = nullptr;
};
