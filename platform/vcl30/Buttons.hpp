#pragma once
// Bitmap buttons: push buttons with a glyph, a kind and a modal result.

#include "Controls.hpp"

#include <cstdint>
#include <memory>

enum TBitBtnKind : std::uint8_t
{
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
const TTypeInfo* BitBtnKindTypeInfo();

// A push button with a glyph beside its caption.
// - Kind: bkOK and bkYes make the button the form's default button (Enter presses it while it is
//   enabled and visible), bkCancel and bkNo its cancel button (Esc presses it); each kind other
//   than bkCustom gives its modal result and the platform's standard glyph, and a caption only when
//   the button has none yet.
// - Glyph: the button's own bitmap; the colour of its bottom-left pixel is transparent, and a
//   disabled button draws it embossed in grey. Setting it copies the bitmap.
// - An ampersand in the caption marks the accelerator: Alt+letter presses the enabled button.
// - Click (a press by the user, or called): raises OnClick, then, when ModalResult is not mrNone,
//   sets the modal result of the button's form.
class TBitBtn : public TWinControl
{
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    using TControl::Caption;
    using TControl::SetCaption;
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies Value (nullptr clears the glyph); the button's kind becomes bkCustom.
    void SetGlyph(const TBitmap* Value);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }

    void Click() override;

protected:
    void CaptionChanged() override;

private:
    void GlyphChanged();
    TBitBtnKind FKind = bkCustom;
    std::unique_ptr<TBitmap> FGlyph;
    bool FSettingKind = false;
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};
