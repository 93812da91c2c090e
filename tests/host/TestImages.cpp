// tolvane-test-images DIR: writes the image files that the host's end-to-end scripts use into DIR.

#include "ImageFiles.hpp"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

namespace {

struct TFixture
{
    const char* Path;
    std::function<std::string()> Bytes;
};

IconEntry Entry(TestImage Image)
{
    IconEntry E;
    E.Image = std::move(Image);
    return E;
}

BmpOptions BitsPerPixel(int Bits)
{
    BmpOptions O;
    O.BitsPerPixel = Bits;
    return O;
}

std::string CorruptBitmap()
{
    // A bitmap header that promises far more pixels than follow.
    std::string Bytes = BmpFile(PatternImage(24, 24));
    Bytes.resize(60);
    return Bytes;
}

const TFixture Fixtures[] = {
    {"bitmaps/glyph.bmp", [] { return BmpFile(PatternImage(24, 24)); }},
    {"bitmaps/wide.bmp", [] { return BmpFile(PatternImage(64, 32, 16), BitsPerPixel(8)); }},
    {"bitmaps/corrupt.bmp", CorruptBitmap},
    {"bitmaps/notes.txt", [] { return std::string("not an image\n"); }},
    {"icons/app.ico",
     [] {
         return IcoFile({Entry(PatternImage(16, 16)), Entry(PatternImage(32, 32, 16, 1, false, 2))});
     }},
    {"icons/large.ico", [] { return IcoFile({Entry(PatternImage(48, 48, 16, 1, false, 3))}); }},
    {"mixed/a.bmp", [] { return BmpFile(PatternImage(20, 10)); }},
    {"mixed/b.ico", [] { return IcoFile({Entry(PatternImage(32, 32))}); }},
    {"mixed/c.emf", [] { return EmfFile(0, 0, 100, 50); }},
    {"mixed/d.bmp", [] { return BmpFile(PatternImage(10, 20)); }},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: tolvane-test-images DIR\n";
        return 2;
    }
    const std::filesystem::path Root(argv[1]);
    std::filesystem::create_directories(Root / "empty");
    for (const TFixture& F : Fixtures) {
        const std::filesystem::path Path = Root / F.Path;
        std::filesystem::create_directories(Path.parent_path());
        const std::string Bytes = F.Bytes();
        std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
        Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
        if (!Out) {
            std::cerr << "tolvane-test-images: cannot write " << Path << "\n";
            return 1;
        }
    }
    return 0;
}
