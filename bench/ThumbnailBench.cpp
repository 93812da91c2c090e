// The thumbnail view's fill (LoadListView, run by the real dialog) against reading the same files
// alone (the floor) and against a plain Qt thumbnailer, on sets of bitmaps and icons written once into
// a temporary folder; then the peak memory of one fill of the largest bitmaps. A summary with the
// ratios follows Google Benchmark's own output.

#include "ImageFiles.hpp"
#include "TempDir.hpp"
#include "frmTolvane.hpp"

#include <QApplication>
#include <QImage>
#include <QImageReader>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct TFileSet
{
    std::string Name;
    std::string Folder;
    std::vector<std::string> Files;
    bool Icons = false;
};

// Writes Count files cycling through a few distinct images (page cache use is per file, not per
// content), named IMGnnnn.BMP or .ICO.
TFileSet WriteSet(const TempDir& Root, const std::string& Name, int Count,
                  const std::vector<std::string>& Contents, bool Icons)
{
    TFileSet Set{Name, Root.MakeDir(Name), {}, Icons};
    for (int I = 0; I < Count; ++I) {
        char FileName[32];
        std::snprintf(FileName, sizeof FileName, "IMG%04d.%s", I, Icons ? "ICO" : "BMP");
        Set.Files.push_back(
            Root.Write(Name + "/" + FileName, Contents[static_cast<std::size_t>(I) % Contents.size()]));
    }
    return Set;
}

// The first Count files of Source, linked into a folder of their own (the same files on disk).
TFileSet LinkedSubset(const TempDir& Root, const TFileSet& Source, int Count)
{
    const std::string Name = Source.Name.substr(0, Source.Name.rfind('_')) + "_n" + std::to_string(Count);
    TFileSet Set{Name, Root.MakeDir(Name), {}, Source.Icons};
    for (int I = 0; I < Count; ++I) {
        const std::filesystem::path From = Source.Files[static_cast<std::size_t>(I)];
        const std::filesystem::path To = std::filesystem::path(Set.Folder) / From.filename();
        std::filesystem::create_hard_link(From, To);
        Set.Files.push_back(To.string());
    }
    return Set;
}

std::vector<std::string> Bitmaps(int Width, int Height, int Distinct)
{
    std::vector<std::string> Contents;
    for (int Seed = 1; Seed <= Distinct; ++Seed)
        Contents.push_back(
            BmpFile(PatternImage(Width, Height, 0, 1, false, static_cast<std::uint32_t>(Seed))));
    return Contents;
}

std::vector<std::string> Icons(int Distinct)
{
    std::vector<std::string> Contents;
    for (int Seed = 1; Seed <= Distinct; ++Seed) {
        std::vector<IconEntry> Entries;
        for (int Size : {16, 32, 48}) {
            IconEntry Entry;
            Entry.Image = PatternImage(Size, Size, 0, 1, true, static_cast<std::uint32_t>(Seed));
            Entries.push_back(std::move(Entry));
        }
        Contents.push_back(IcoFile(Entries));
    }
    return Contents;
}

// (1) The floor: every file opened, read whole into one reused buffer, closed.
void ReadFiles(benchmark::State& State, const TFileSet* Set)
{
    std::vector<char> Buffer;
    for (auto _ : State) {
        for (const std::string& File : Set->Files) {
            const int Fd = ::open(File.c_str(), O_RDONLY | O_CLOEXEC);
            if (Fd < 0)
                throw std::runtime_error("cannot open " + File);
            struct stat Status = {};
            ::fstat(Fd, &Status);
            const auto Size = static_cast<std::size_t>(Status.st_size);
            if (Buffer.size() < Size)
                Buffer.resize(Size);
            std::size_t Done = 0;
            while (Done < Size) {
                const ssize_t Got = ::read(Fd, Buffer.data() + Done, Size - Done);
                if (Got <= 0)
                    break;
                Done += static_cast<std::size_t>(Got);
            }
            ::close(Fd);
            benchmark::DoNotOptimize(Buffer.data());
        }
    }
}

// (2) A plain thumbnailer: Qt's reader decodes the whole picture, which is then scaled down smoothly.
void PlainThumbnails(benchmark::State& State, const TFileSet* Set)
{
    for (auto _ : State)
        for (const std::string& File : Set->Files) {
            QImageReader Reader(QString::fromStdString(File));
            const QImage Thumbnail =
                Reader.read().scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            if (Thumbnail.isNull())
                throw std::runtime_error("Qt cannot read " + File);
            benchmark::DoNotOptimize(Thumbnail.constBits());
        }
}

// The dialog as the edit transaction opens it, shown without a modal loop of its own.
class TDialog
{
public:
    TDialog() : FForm(std::make_unique<TfrmTolvane>(nullptr))
    {
        FForm->Show();
        Application->ProcessMessages();
    }
    ~TDialog() { FForm->Hide(); }

    // Moves to the set's folder in the file view, as the user would, without filling.
    void Enter(const TFileSet& Set)
    {
        if (FForm->lsvImages->Visible())
            FForm->btnView->Click();
        FForm->PropertyType = Set.Icons ? ptIcon : ptBitmap;
        FForm->cbxFile->SetMask(Set.Icons ? "*.ICO" : "*.BMP");
        FForm->cbxDir->SetDirectory(Set.Folder);
        Application->ProcessMessages();
        if (FForm->cbxFile->Items()->Count() != static_cast<int>(Set.Files.size()))
            throw std::runtime_error("the file list of " + Set.Folder + " shows " +
                                     std::to_string(FForm->cbxFile->Items()->Count()) + " files");
    }

    // "View All": shows the thumbnail view, which fills it (LoadListView). Returns the fill's time.
    double Fill()
    {
        const auto Start = std::chrono::steady_clock::now();
        FForm->btnView->Click();
        const auto End = std::chrono::steady_clock::now();
        return std::chrono::duration<double>(End - Start).count();
    }

    // Back to the file view, and the widgets' deferred work done, outside any measurement.
    void Settle()
    {
        Application->ProcessMessages();
        if (FForm->lsvImages->Visible())
            FForm->btnView->Click();
        Application->ProcessMessages();
    }

    int Thumbnails() const { return FForm->iltImages->Count(); }

private:
    std::unique_ptr<TfrmTolvane> FForm;
};

TDialog* Dialog = nullptr;

// (3) LoadListView itself, timed from the click on "View All" to the end of the fill.
void FillThumbnailView(benchmark::State& State, const TFileSet* Set)
{
    Dialog->Enter(*Set);
    for (auto _ : State) {
        State.SetIterationTime(Dialog->Fill());
        if (Dialog->Thumbnails() != static_cast<int>(Set->Files.size())) {
            State.SkipWithError("not every file got its thumbnail");
            break;
        }
        Dialog->Settle();
    }
}

long StatusBytes(const std::string& Field)
{
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind(Field, 0) == 0)
            return std::stol(Line.substr(Field.size())) * 1024;
    return -1;
}

// The growth of the peak resident memory (VmHWM, reset through /proc/self/clear_refs) over the
// resident memory just before Run; none where the peak cannot be reset.
std::optional<long> PeakGrowth(const std::function<void()>& Run)
{
    {
        std::ofstream Reset("/proc/self/clear_refs");
        Reset << "5" << std::flush;
        if (!Reset)
            return std::nullopt;
    }
    const long Before = StatusBytes("VmRSS:");
    Run();
    return StatusBytes("VmHWM:") - Before;
}

// Keeps the median seconds per iteration of every benchmark by its name, besides printing as usual.
class TRecorder : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& Reports) override
    {
        for (const Run& R : Reports)
            if (R.run_type == Run::RT_Aggregate && R.aggregate_name == "median" && !R.error_occurred &&
                R.iterations > 0)
                Seconds[R.run_name.function_name] =
                    R.real_accumulated_time / static_cast<double>(R.iterations);
        ConsoleReporter::ReportRuns(Reports);
    }

    std::map<std::string, double> Seconds;
};

std::string Ms(double Seconds)
{
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.1f ms", Seconds * 1e3);
    return Text;
}

std::string Us(double Seconds)
{
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.1f us", Seconds * 1e6);
    return Text;
}

std::string Times(double Ratio)
{
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.2fx", Ratio);
    return Text;
}

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const TempDir Root;
    // The dialog's settings go to the temporary folder, not to the user's.
    setenv("XDG_CONFIG_HOME", Root.MakeDir("config").c_str(), 1);
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    int Messages = 0;
    Application->OnMessageShown = [&Messages](const TMessageBox& Box) {
        ++Messages;
        return Box.DefaultResult;
    };

    std::fprintf(stderr, "Writing the image files into %s ...\n", Root.Path().c_str());
    std::vector<TFileSet> Sets;
    Sets.push_back(WriteSet(Root, "bmp256x256_n1000", 1000, Bitmaps(256, 256, 8), false));
    Sets.push_back(WriteSet(Root, "bmp1024x768_n200", 200, Bitmaps(1024, 768, 4), false));
    Sets.push_back(WriteSet(Root, "bmp4000x3000_n20", 20, Bitmaps(4000, 3000, 2), false));
    Sets.push_back(WriteSet(Root, "ico16-32-48_n200", 200, Icons(8), true));
    Sets.push_back(LinkedSubset(Root, Sets[0], 250));
    Sets.push_back(LinkedSubset(Root, Sets[0], 500));

    TDialog TheDialog;
    Dialog = &TheDialog;
    // Side by side over the same files, the floor first (it also brings them into the page cache).
    // Each is repeated and its median kept: the machine may be busy with other work now and then.
    auto Register = [](const std::string& Name, auto Function, const TFileSet& Set) {
        return benchmark::RegisterBenchmark(Name.c_str(), Function, &Set)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(Set.Name.starts_with("bmp4000") ? 1.0 : 0.5)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    for (const TFileSet& Set : Sets) {
        Register("Floor/" + Set.Name, ReadFiles, Set);
        Register("Plain/" + Set.Name, PlainThumbnails, Set);
        Register("LoadListView/" + Set.Name, FillThumbnailView, Set)->UseManualTime();
    }
    // Peak memory of a fill of the largest bitmaps: the dialog's first fill, before the benchmarks,
    // and one after them.
    const TFileSet& Largest = Sets[2];
    auto FillPeak = [&] {
        TheDialog.Enter(Largest);
        const std::optional<long> Peak = PeakGrowth([&] { TheDialog.Fill(); });
        TheDialog.Settle();
        return Peak;
    };
    const std::optional<long> FirstFillPeak = FillPeak();

    TRecorder Recorder;
    benchmark::RunSpecifiedBenchmarks(&Recorder);

    const std::optional<long> LaterFillPeak = FillPeak();
    const std::optional<long> PlainPeak = PeakGrowth([&] {
        for (const std::string& File : Largest.Files) {
            QImageReader Reader(QString::fromStdString(File));
            benchmark::DoNotOptimize(
                Reader.read().scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    });

    std::printf("\nThumbnail performance (median time per pass over the set)\n\n");
    std::printf(
        "| set | files | floor | plain | LoadListView | LoadListView / floor | plain / LoadListView | "
        "LoadListView per file |\n|---|---|---|---|---|---|---|---|\n");
    bool Met = true;
    for (const TFileSet& Set : Sets) {
        const auto Time = [&](const char* Kind) {
            const auto Found = Recorder.Seconds.find(std::string(Kind) + "/" + Set.Name);
            return Found == Recorder.Seconds.end() ? -1.0 : Found->second;
        };
        const double Floor = Time("Floor"), Plain = Time("Plain"), Fill = Time("LoadListView");
        if (Floor <= 0 || Plain <= 0 || Fill <= 0) {
            std::printf("| %s | (not run) |\n", Set.Name.c_str());
            continue;
        }
        const double Limit = Set.Icons ? 8 : 4;
        Met = Met && Fill / Floor <= Limit && (Set.Icons || Plain / Fill >= 2);
        std::printf("| %s | %zu | %s | %s | %s | %s | %s | %s |\n", Set.Name.c_str(), Set.Files.size(),
                    Ms(Floor).c_str(), Ms(Plain).c_str(), Ms(Fill).c_str(), Times(Fill / Floor).c_str(),
                    Times(Plain / Fill).c_str(), Us(Fill / static_cast<double>(Set.Files.size())).c_str());
    }
    // Linearity: the fill's time per file of one picture size at 250, 500 and 1000 files.
    double Fastest = 0, Slowest = 0;
    for (const TFileSet& Set : Sets) {
        const auto Found = Recorder.Seconds.find("LoadListView/" + Set.Name);
        if (!Set.Name.starts_with("bmp256x256_") || Found == Recorder.Seconds.end())
            continue;
        const double PerFile = Found->second / static_cast<double>(Set.Files.size());
        Fastest = Fastest == 0 ? PerFile : std::min(Fastest, PerFile);
        Slowest = std::max(Slowest, PerFile);
    }
    if (Fastest > 0) {
        std::printf("\nLinearity, 256 x 256 bitmaps at 250, 500 and 1000 files: time per file varies by %s\n",
                    Times(Slowest / Fastest).c_str());
        Met = Met && Slowest / Fastest <= 1.25;
    }
    auto Mb = [](const std::optional<long>& Bytes) {
        char Text[48];
        if (Bytes)
            std::snprintf(Text, sizeof Text, "%+.1f MB", static_cast<double>(*Bytes) / (1 << 20));
        else
            std::snprintf(Text, sizeof Text, "not measurable here");
        return std::string(Text);
    };
    std::printf(
        "\nPeak resident memory over the resident memory before, %s: LoadListView %s (first fill), %s "
        "(after the benchmarks); plain thumbnailer %s\n",
        Largest.Name.c_str(), Mb(FirstFillPeak).c_str(), Mb(LaterFillPeak).c_str(), Mb(PlainPeak).c_str());
    for (const std::optional<long>& Peak : {FirstFillPeak, LaterFillPeak})
        if (Peak && *Peak > 8 << 20)
            Met = false;
    if (Messages != 0)
        std::printf("%d message boxes were shown during the fills\n", Messages);
    std::printf("Targets (fill <= 4x floor for bitmaps, <= 8x for icons; >= 2x faster than plain on bitmaps; "
                "per file within 1.25x; peak <= 8 MB): %s\n",
                Met ? "met" : "NOT met");
    Dialog = nullptr;
    benchmark::Shutdown();
    return 0;
}
