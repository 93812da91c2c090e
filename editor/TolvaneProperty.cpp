#include "TolvaneProperty.hpp"

#include "Graphics.hpp"
#include "PictureKinds.hpp"
#include "frmTolvane.hpp"

#include <memory>

namespace {

// Points frmTolvane at the running transaction's dialog for as long as the transaction runs.
class TCurrentDialog
{
public:
    explicit TCurrentDialog(TfrmTolvane* Dialog) { frmTolvane = Dialog; }
    ~TCurrentDialog() { frmTolvane = nullptr; }
    TCurrentDialog(const TCurrentDialog&) = delete;
    TCurrentDialog& operator=(const TCurrentDialog&) = delete;
};

// Shows Value in the preview when it is a non-empty graphic of class G; a value of another class,
// or none, leaves the preview blank.
template <class G> void PreviewGraphic(TfrmTolvane& Dialog, TObject* Value)
{
    auto* Graphic = dynamic_cast<G*>(Value);
    if (Graphic == nullptr)
        return;
    auto FrontLoad = std::make_unique<TPicture>();
    FrontLoad->SetGraphic(Graphic);
    if (!FrontLoad->Graphic()->Empty())
        Dialog.imgView->Picture()->Assign(FrontLoad.get());
}

// A graphic holding an image; a null reference, or an object that is no graphic, holds none.
bool HoldsImage(TObject* Value)
{
    auto* Graphic = dynamic_cast<TGraphic*>(Value);
    return Graphic != nullptr && !Graphic->Empty();
}

} // namespace

const TPropertyEditorClass* TTolvaneProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TTolvaneProperty>("TTolvaneProperty");
    return &Class;
}

TPropertyAttributes TTolvaneProperty::GetAttributes()
{
    return TPropertyAttributes{paDialog};
}

void TTolvaneProperty::SetValue(const std::string& /*Value*/)
{
}

TObject* TTolvaneProperty::CurrentValue() const
{
    return GetOrdProp(GetComponent(0), GetPropInfo()).Object;
}

std::string TTolvaneProperty::GetValue()
{
    std::string Result = ValueTextNone;
    const std::string Name = UpperCase(GetPropType()->Name);
    if (Name == "TBITMAP") {
        if (HoldsImage(CurrentValue()))
            Result = ValueTextBitmap;
    } else if (Name == "TICON") {
        if (HoldsImage(CurrentValue()))
            Result = ValueTextIcon;
    } else if (Name == "TPICTURE") {
        // Each probe may replace the copy's graphic by an empty one of the probed class, so the
        // copy is refilled before the next; the property's own picture is never touched.
        auto P = std::make_unique<TPicture>();
        auto Refill = [&] { P->Assign(dynamic_cast<TPersistent*>(CurrentValue())); };
        Refill();
        if (P->Height() == 0)
            return Result;
        if (!P->Bitmap()->Empty())
            return ValueTextBitmap;
        Refill();
        if (!P->Icon()->Empty())
            return ValueTextIcon;
        Refill();
        if (!P->Metafile()->Empty())
            return ValueTextMetafile;
    }
    return Result;
}

void TTolvaneProperty::Edit()
{
    auto Picture = std::make_unique<TPicture>();
    const TTypeInfo* EnumType = GetPropType();
    auto Dialog = std::make_unique<TfrmTolvane>(Application);
    TCurrentDialog Current(Dialog.get());
    if (std::optional<TPropertyType> Kind = ClassifyPropertyType(EnumType->Name))
        frmTolvane->PropertyType = *Kind;
    frmTolvane->cbxFile->SetMask(FileMaskOf(frmTolvane->PropertyType));
    frmTolvane->Cleared = false;
    switch (frmTolvane->PropertyType) {
    case ptBitmap:
        PreviewGraphic<TBitmap>(*frmTolvane, CurrentValue());
        break;
    case ptIcon:
        PreviewGraphic<TIcon>(*frmTolvane, CurrentValue());
        break;
    case ptPicture:
        if (auto* Current = dynamic_cast<TPicture*>(CurrentValue()); Current && Current->Graphic())
            frmTolvane->imgView->Picture()->Assign(Current);
        break;
    }
    frmTolvane->ShowModal();
    if (frmTolvane->ModalResult() == mrOk) {
        std::string ImageName;
        if (frmTolvane->lsvImages->Visible()) {
            if (TListItem* Selected = frmTolvane->lsvImages->Selected())
                ImageName = ImagePath(frmTolvane->cbxDir->Directory(), Selected->Caption());
        } else {
            ImageName = frmTolvane->cbxFile->FileName();
        }
        // OK with nothing selected in the visible view: nothing to load, so nothing is written.
        if (ImageName.empty())
            throw EInvalidGraphicOperation("No image file was chosen, so " + GetName() +
                                           " is left unchanged");
        Picture->LoadFromFile(ImageName);
        WriteValue(frmTolvane->PropertyType, *Picture);
    } else if (frmTolvane->Cleared) {
        auto FrontLoad = std::make_unique<TPicture>();
        WriteValue(frmTolvane->PropertyType, *FrontLoad);
    }
}

void TTolvaneProperty::WriteValue(TPropertyType Kind, TPicture& Picture)
{
    switch (Kind) {
    case ptBitmap:
        SetOrdProp(GetComponent(0), GetPropInfo(), Picture.Bitmap());
        break;
    case ptIcon:
        SetOrdProp(GetComponent(0), GetPropInfo(), Picture.Icon());
        break;
    case ptPicture:
        SetOrdProp(GetComponent(0), GetPropInfo(), &Picture);
        break;
    }
}
