// libFuzzer entry point: every input is read as a bitmap, an icon and a metafile. Invalid input may
// raise the platform's Exception and nothing else; crashes, leaks and reads out of bounds are faults.

#include "Graphics.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::vector<std::uint8_t> Bytes(Data, Data + Size);
    TBitmap Bitmap;
    TIcon Icon;
    TMetafile Metafile;
    for (TGraphic* Graphic : {static_cast<TGraphic*>(&Bitmap), static_cast<TGraphic*>(&Icon),
                              static_cast<TGraphic*>(&Metafile)}) {
        try {
            Graphic->LoadFromBytes(Bytes, "fuzz input");
        } catch (const Exception&) {
        }
    }
    // Read back a corner of whatever loaded, so the decoded pixels are touched.
    if (!Bitmap.Empty())
        (void)Bitmap.Pixel(Bitmap.Width() - 1, Bitmap.Height() - 1);
    for (int I = 0; I < Icon.ImageCount(); ++I)
        (void)Icon.Alpha(I, Icon.ImageWidth(I) - 1, Icon.ImageHeight(I) - 1);
    return 0;
}
