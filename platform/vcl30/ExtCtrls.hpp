#pragma once
// Panels and the image control.

#include "Controls.hpp"

#include <cstdint>
#include <memory>

enum TPanelBevel : std::uint8_t
{
    bvNone,
    bvLowered,
    bvRaised
};
const TTypeInfo* PanelBevelTypeInfo();

// A panel: a container drawn with an outer and an inner bevel, each BevelWidth pixels wide.
// Docked children stay inside the bevels: with the default raised outer bevel of width 1 they
// start at 1, 1. A caption, if any, is drawn centred.
class TPanel : public TWinControl
{
public:
    explicit TPanel(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    using TControl::Caption;
    using TControl::SetCaption;
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);

protected:
    void AdjustClientRect(TRect& Rect) const override;
    void CaptionChanged() override;

private:
    void BevelChanged();
    TPanelBevel FBevelOuter = bvRaised;
    TPanelBevel FBevelInner = bvNone;
    int FBevelWidth = 1;
};

// Shows a picture: without Stretch at its own size from the top-left corner, with Stretch scaled
// to fill the control. Repaints whenever the picture changes. Metafiles are drawn as an empty
// frame of their size.
class TImage : public TGraphicControl
{
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The image's own picture.
    TPicture* Picture() const { return FPicture.get(); }
    // Copies Value into the image's picture (nullptr empties it).
    void SetPicture(const TPicture* Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);

private:
    friend class TImageWidget;
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
};
