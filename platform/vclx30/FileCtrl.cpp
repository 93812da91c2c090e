#include "FileCtrl.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The extra indent of each level of the directory list, in pixels.
constexpr int LevelIndent = 8;

// Absolute, "." and ".." resolved in the text, no trailing separator but the root's. The empty
// path is the current directory.
std::string NormalizeDirectory(const std::string& Path)
{
    std::error_code Error;
    fs::path Absolute = fs::absolute(Path.empty() ? fs::path(".") : fs::path(Path), Error);
    if (Error)
        throw EInOutError("Cannot open directory '" + Path + "': " + Error.message());
    std::string Text = Absolute.lexically_normal().string();
    while (Text.size() > 1 && Text.back() == '/')
        Text.pop_back();
    return Text;
}

std::string JoinPath(const std::string& Directory, const std::string& Name)
{
    return Directory == "/" ? "/" + Name : Directory + "/" + Name;
}

// The names of the levels below the root: "/home/user" gives "home", "user".
std::vector<std::string> PathLevels(const std::string& Directory)
{
    std::vector<std::string> Levels;
    std::istringstream Parts(Directory);
    for (std::string Part; std::getline(Parts, Part, '/');)
        if (!Part.empty())
            Levels.push_back(Part);
    return Levels;
}

bool LessName(const std::string& A, const std::string& B)
{
    std::string LowerA = LowerCase(A);
    std::string LowerB = LowerCase(B);
    return LowerA != LowerB ? LowerA < LowerB : A < B;
}

enum class TEntryKind : std::uint8_t
{
    Directory,
    File
};

// The visible entries of Kind in Directory, sorted; links count as what they point to. Error tells
// when the directory cannot be listed, and the result is then empty.
std::vector<std::string> ReadNames(const std::string& Directory, TEntryKind Kind, std::error_code& Error)
{
    std::vector<std::string> Names;
    fs::directory_iterator It(Directory, Error);
    for (; !Error && It != fs::directory_iterator(); It.increment(Error)) {
        std::string Name = It->path().filename().string();
        if (Name.empty() || Name[0] == '.')
            continue;
        // An entry whose type cannot be told, such as a broken link, is neither kind.
        std::error_code Unknown;
        bool Wanted =
            Kind == TEntryKind::Directory ? It->is_directory(Unknown) : It->is_regular_file(Unknown);
        if (Wanted)
            Names.push_back(std::move(Name));
    }
    if (Error)
        return {};
    std::sort(Names.begin(), Names.end(), LessName);
    return Names;
}

// The home directory, else the current directory, else the root: the first that can be listed.
std::string StartingDirectory()
{
    std::vector<std::string> Candidates;
    if (const char* Home = std::getenv("HOME"); Home != nullptr && *Home != '\0')
        Candidates.emplace_back(Home);
    std::error_code Error;
    fs::path Current = fs::current_path(Error);
    if (!Error)
        Candidates.push_back(Current.string());
    for (const std::string& Candidate : Candidates) {
        std::string Directory = NormalizeDirectory(Candidate);
        fs::directory_iterator It(Directory, Error);
        if (!Error)
            return Directory;
    }
    return "/";
}

// True when the volume rooted at Root holds Directory.
bool OnVolume(const std::string& Root, const std::string& Directory)
{
    return Root == "/" || Directory == Root || Directory.rfind(Root + "/", 0) == 0;
}

char LowerChar(char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

// The position after the UTF-8 character that starts at I.
std::size_t NextChar(std::string_view S, std::size_t I)
{
    ++I;
    while (I < S.size() && (static_cast<unsigned char>(S[I]) & 0xC0) == 0x80)
        ++I;
    return I;
}

bool MatchesPattern(std::string_view Name, std::string_view Pattern)
{
    std::size_t N = 0;
    std::size_t P = 0;
    // The last '*' seen and where in Name its run ends so far, to widen the run on a mismatch.
    std::size_t Star = std::string_view::npos;
    std::size_t StarEnd = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() && Pattern[P] == '*') {
            Star = P++;
            StarEnd = N;
        } else if (P < Pattern.size() && Pattern[P] == '?') {
            N = NextChar(Name, N);
            ++P;
        } else if (P < Pattern.size() && LowerChar(Pattern[P]) == LowerChar(Name[N])) {
            ++N;
            ++P;
        } else if (Star != std::string_view::npos) {
            P = Star + 1;
            N = StarEnd = NextChar(Name, StarEnd);
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == '*')
        ++P;
    return P == Pattern.size();
}

std::string Trim(const std::string& S)
{
    std::size_t First = S.find_first_not_of(" \t");
    if (First == std::string::npos)
        return "";
    return S.substr(First, S.find_last_not_of(" \t") - First + 1);
}

// Decodes the octal escapes (\040 for a space) of a mount table field.
std::string UnescapeMountField(const std::string& Field)
{
    std::string Text;
    for (std::size_t I = 0; I < Field.size(); ++I) {
        bool Octal = Field[I] == '\\' && I + 3 < Field.size();
        if (Octal)
            for (std::size_t K = 1; K <= 3; ++K)
                Octal = Octal && Field[I + K] >= '0' && Field[I + K] <= '7';
        if (Octal) {
            Text += static_cast<char>((Field[I + 1] - '0') * 64 + (Field[I + 2] - '0') * 8 +
                                      (Field[I + 3] - '0'));
            I += 3;
        } else {
            Text += Field[I];
        }
    }
    return Text;
}

} // namespace

std::vector<std::string> ParseMountTable(const std::string& Text)
{
    // Real filesystems whose source is not a device path.
    static const std::vector<std::string> Sourceless = {"nfs",   "nfs4",       "cifs", "smb3",
                                                        "smbfs", "fuse.sshfs", "zfs"};
    std::vector<std::string> Roots;
    std::istringstream Lines(Text);
    for (std::string Line; std::getline(Lines, Line);) {
        std::istringstream Fields(Line);
        std::string Device;
        std::string MountPoint;
        std::string Type;
        if (!(Fields >> Device >> MountPoint >> Type))
            continue;
        bool BlockDevice = Device.rfind("/dev/", 0) == 0 && Type != "squashfs";
        bool Real = BlockDevice || std::find(Sourceless.begin(), Sourceless.end(), Type) != Sourceless.end();
        MountPoint = UnescapeMountField(MountPoint);
        while (MountPoint.size() > 1 && MountPoint.back() == '/')
            MountPoint.pop_back();
        if (Real && MountPoint.size() > 1 && MountPoint[0] == '/')
            Roots.push_back(MountPoint);
    }
    std::sort(Roots.begin(), Roots.end());
    Roots.erase(std::unique(Roots.begin(), Roots.end()), Roots.end());
    Roots.insert(Roots.begin(), "/");
    return Roots;
}

std::vector<std::string> MountedDrives()
{
    std::ifstream In("/proc/self/mounts");
    if (!In)
        return {"/"};
    std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    std::vector<std::string> Roots = ParseMountTable(Text);
    // Containers bind-mount single files (/etc/hosts) from real devices; only directories are drives.
    auto NotDirectory = [](const std::string& Root) {
        std::error_code Error;
        return Root != "/" && !fs::is_directory(Root, Error);
    };
    std::erase_if(Roots, NotDirectory);
    return Roots;
}

bool MatchesMask(const std::string& Name, const std::string& Mask)
{
    std::istringstream Parts(Mask);
    for (std::string Part; std::getline(Parts, Part, ';');) {
        std::string Pattern = Trim(Part);
        if (Pattern == "*.*" || (!Pattern.empty() && MatchesPattern(Name, Pattern)))
            return true;
    }
    return false;
}

// TDriveComboBox

const TTypeInfo* TDriveComboBox::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TDriveComboBox>(
        "TDriveComboBox", TComboBox::TypeInfo(),
        {ClassProp("DirList", &TDriveComboBox::DirList, &TDriveComboBox::SetDirList)});
    return &Info;
}

TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TComboBox(AOwner)
{
    SetStyle(csDropDownList);
    SetDrives(MountedDrives());
}

TDriveComboBox::~TDriveComboBox()
{
    Unlink();
}

std::string TDriveComboBox::Drive() const
{
    int Index = ItemIndex();
    return Index < 0 ? std::string() : Items()->Strings(Index);
}

void TDriveComboBox::SetDrive(const std::string& Value)
{
    std::string Root = NormalizeDirectory(Value);
    const std::vector<std::string> Entries = Items()->ToVector();
    auto It = std::find(Entries.begin(), Entries.end(), Root);
    if (It == Entries.end())
        throw EInOutError("Drive '" + Value + "' is not one of the drives");
    if (FDirList != nullptr)
        FDirList->SetDirectory(Root);
    else
        SetItemIndex(static_cast<int>(It - Entries.begin()));
}

void TDriveComboBox::SetDrives(const std::vector<std::string>& Roots)
{
    FDrives.clear();
    for (const std::string& Root : Roots) {
        std::string Normal = NormalizeDirectory(Root);
        if (std::find(FDrives.begin(), FDrives.end(), Normal) == FDrives.end())
            FDrives.push_back(Normal);
    }
    Items()->Clear();
    for (const std::string& Root : FDrives)
        Items()->Add(Root);
    FollowDirectory(FDirList != nullptr ? FDirList->Directory() : StartingDirectory());
}

void TDriveComboBox::SetDirList(TDirectoryListBox* Value)
{
    if (Value == FDirList)
        return;
    Unlink();
    if (Value == nullptr)
        return;
    if (Value->FDriveCombo != nullptr)
        Value->FDriveCombo->FDirList = nullptr;
    Value->FDriveCombo = this;
    FDirList = Value;
    FollowDirectory(Value->Directory());
}

void TDriveComboBox::Change()
{
    std::string Root = Drive();
    if (FDirList != nullptr && !Root.empty()) {
        try {
            FDirList->SetDirectory(Root);
        } catch (...) {
            // The box keeps showing the volume the directory list is still on.
            FollowDirectory(FDirList->Directory());
            throw;
        }
    }
    TComboBox::Change();
}

void TDriveComboBox::FollowDirectory(const std::string& Directory)
{
    int Best = -1;
    std::size_t BestLength = 0;
    for (int I = 0; I < Items()->Count(); ++I) {
        std::string Root = Items()->Strings(I);
        if (OnVolume(Root, Directory) && (Best < 0 || Root.size() > BestLength)) {
            Best = I;
            BestLength = Root.size();
        }
    }
    SetItemIndex(Best);
}

void TDriveComboBox::Unlink()
{
    if (FDirList != nullptr)
        FDirList->FDriveCombo = nullptr;
    FDirList = nullptr;
}

// TDirectoryListBox

const TTypeInfo* TDirectoryListBox::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TDirectoryListBox>(
        "TDirectoryListBox", TCustomListBox::TypeInfo(),
        {ClassProp("FileList", &TDirectoryListBox::FileList, &TDirectoryListBox::SetFileList),
         EventProp("OnChange", NotifyEventTypeInfo(), &TDirectoryListBox::OnChange)});
    return &Info;
}

TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
    std::string Start = StartingDirectory();
    std::error_code Error;
    ShowDirectory(Start, ReadNames(Start, TEntryKind::Directory, Error));
}

TDirectoryListBox::~TDirectoryListBox()
{
    if (FFileList != nullptr)
        FFileList->FDirList = nullptr;
    if (FDriveCombo != nullptr)
        FDriveCombo->FDirList = nullptr;
}

void TDirectoryListBox::SetDirectory(const std::string& Value)
{
    std::string Directory = NormalizeDirectory(Value);
    std::error_code Error;
    std::vector<std::string> Names = ReadNames(Directory, TEntryKind::Directory, Error);
    if (Error)
        throw EInOutError("Cannot open directory '" + Directory + "': " + Error.message());
    ShowDirectory(Directory, Names);
    if (FDriveCombo != nullptr)
        FDriveCombo->FollowDirectory(Directory);
    if (FFileList != nullptr)
        FFileList->SetDirectory(Directory);
    Change();
}

std::string TDirectoryListBox::GetItemPath(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("Directory list '" + Name() + "': item index out of bounds (" + IntToStr(Index) +
                         ")");
    if (Index >= FLevels)
        return JoinPath(FDirectory, Items()->Strings(Index));
    std::string Path = "/";
    std::vector<std::string> Levels = PathLevels(FDirectory);
    for (int I = 0; I < Index; ++I)
        Path = JoinPath(Path, Levels[static_cast<std::size_t>(I)]);
    return Path;
}

void TDirectoryListBox::SetFileList(TFileListBox* Value)
{
    if (Value == FFileList)
        return;
    if (FFileList != nullptr)
        FFileList->FDirList = nullptr;
    FFileList = nullptr;
    if (Value == nullptr)
        return;
    if (Value->FDirList != nullptr)
        Value->FDirList->FFileList = nullptr;
    Value->FDirList = this;
    FFileList = Value;
    Value->SetDirectory(FDirectory);
}

void TDirectoryListBox::Change()
{
    if (OnChange && !Destroying())
        OnChange(this);
}

void TDirectoryListBox::DblClick()
{
    int Index = ItemIndex();
    if (Index >= 0)
        SetDirectory(GetItemPath(Index));
    TCustomListBox::DblClick();
}

void TDirectoryListBox::ItemActivated(int Index)
{
    SetDirectory(GetItemPath(Index));
}

void TDirectoryListBox::ShowDirectory(const std::string& Directory, const std::vector<std::string>& Names)
{
    std::vector<std::string> Levels = PathLevels(Directory);
    Levels.insert(Levels.begin(), "/");
    Items()->Clear();
    for (std::size_t I = 0; I < Levels.size(); ++I) {
        Items()->Add(Levels[I]);
        SetItemImage(static_cast<int>(I), nullptr, static_cast<int>(I) * LevelIndent);
    }
    for (const std::string& Name : Names)
        SetItemImage(Items()->Add(Name), nullptr, static_cast<int>(Levels.size()) * LevelIndent);
    FDirectory = Directory;
    FLevels = static_cast<int>(Levels.size());
    SetItemIndex(FLevels - 1);
}

// TFileListBox

const TTypeInfo* TFileListBox::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TFileListBox>("TFileListBox", TCustomListBox::TypeInfo(),
                                        {StrProp("Mask", &TFileListBox::Mask, &TFileListBox::SetMask)});
    return &Info;
}

TFileListBox::TFileListBox(TComponent* AOwner) : TCustomListBox(AOwner), FDirectory(StartingDirectory())
{
    ReadFiles();
}

TFileListBox::~TFileListBox()
{
    if (FDirList != nullptr)
        FDirList->FFileList = nullptr;
}

void TFileListBox::SetDirectory(const std::string& Value)
{
    FDirectory = NormalizeDirectory(Value);
    ReadFiles();
}

void TFileListBox::SetMask(const std::string& Value)
{
    FMask = Value;
    ReadFiles();
}

std::string TFileListBox::FileName() const
{
    int Index = ItemIndex();
    return Index < 0 ? std::string() : JoinPath(FDirectory, Items()->Strings(Index));
}

void TFileListBox::Update()
{
    int Index = ItemIndex();
    std::string Selected = Index < 0 ? std::string() : Items()->Strings(Index);
    ReadFiles();
    if (Selected.empty())
        return;
    const std::vector<std::string> Names = Items()->ToVector();
    auto It = std::find(Names.begin(), Names.end(), Selected);
    if (It != Names.end())
        SetItemIndex(static_cast<int>(It - Names.begin()));
}

void TFileListBox::ReadFiles()
{
    // A directory that cannot be read shows as empty.
    std::error_code Unreadable;
    std::vector<std::string> Names = ReadNames(FDirectory, TEntryKind::File, Unreadable);
    Items()->Clear();
    for (const std::string& Name : Names)
        if (MatchesMask(Name, FMask))
            Items()->Add(Name);
}

namespace {

[[maybe_unused]] const bool Registered = [] {
    RegisterClass(TDriveComboBox::TypeInfo());
    RegisterClass(TDirectoryListBox::TypeInfo());
    RegisterClass(TFileListBox::TypeInfo());
    return true;
}();

} // namespace
