#pragma once
// The sample component of the host's built-in form: one property of each picture kind, a class
// derived from TBitmap under a name of its own, and a bitmap property whose value is a null
// reference.

#include "Graphics.hpp"

#include <memory>

class TShadedBitmap : public TBitmap
{
public:
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    std::unique_ptr<TGraphic> Clone() const override;
};

class TSampleComponent : public TComponent
{
public:
    explicit TSampleComponent(TComponent* AOwner);
    ~TSampleComponent() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // Each write copies the graphic handed to it; nullptr empties the property.
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value);
    TShadedBitmap* Shaded() const { return FShaded.get(); }
    void SetShaded(TShadedBitmap* Value);
    // Holds no object until something is written into it.
    TBitmap* Missing() const { return FMissing.get(); }
    void SetMissing(TBitmap* Value);

private:
    std::unique_ptr<TBitmap> FGlyph;
    std::unique_ptr<TIcon> FIcon;
    std::unique_ptr<TPicture> FPicture;
    std::unique_ptr<TShadedBitmap> FShaded;
    std::unique_ptr<TBitmap> FMissing;
};
