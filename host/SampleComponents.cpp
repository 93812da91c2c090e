#include "SampleComponents.hpp"

namespace {

// Copies Source into Target, or empties Target when there is no source.
template <class G> void CopyGraphic(G& Target, G* Source)
{
    if (Source != nullptr) {
        Target.Assign(Source);
        return;
    }
    G Empty;
    Target.Assign(&Empty);
}

const bool Registered = [] {
    RegisterClass(TSampleComponent::TypeInfo());
    RegisterClass(TShadedBitmap::TypeInfo());
    return true;
}();

} // namespace

const TTypeInfo* TShadedBitmap::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TShadedBitmap", TBitmap::TypeInfo());
    return &Info;
}

std::unique_ptr<TGraphic> TShadedBitmap::Clone() const
{
    auto Copy = std::make_unique<TShadedBitmap>();
    Copy->Assign(this);
    return Copy;
}

const TTypeInfo* TSampleComponent::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TSampleComponent>(
        "TSampleComponent", TComponent::TypeInfo(),
        {ClassProp("Glyph", &TSampleComponent::Glyph, &TSampleComponent::SetGlyph),
         ClassProp("Icon", &TSampleComponent::Icon, &TSampleComponent::SetIcon),
         ClassProp("Picture", &TSampleComponent::Picture, &TSampleComponent::SetPicture),
         ClassProp("Shaded", &TSampleComponent::Shaded, &TSampleComponent::SetShaded),
         ClassProp("Missing", &TSampleComponent::Missing, &TSampleComponent::SetMissing)});
    return &Info;
}

TSampleComponent::TSampleComponent(TComponent* AOwner)
    : TComponent(AOwner), FGlyph(std::make_unique<TBitmap>()), FIcon(std::make_unique<TIcon>()),
      FPicture(std::make_unique<TPicture>()), FShaded(std::make_unique<TShadedBitmap>())
{
}

TSampleComponent::~TSampleComponent() = default;

void TSampleComponent::SetGlyph(TBitmap* Value)
{
    CopyGraphic(*FGlyph, Value);
}

void TSampleComponent::SetIcon(TIcon* Value)
{
    CopyGraphic(*FIcon, Value);
}

void TSampleComponent::SetPicture(TPicture* Value)
{
    FPicture->Assign(Value);
}

void TSampleComponent::SetShaded(TShadedBitmap* Value)
{
    CopyGraphic(*FShaded, Value);
}

void TSampleComponent::SetMissing(TBitmap* Value)
{
    if (Value == nullptr) {
        FMissing.reset();
        return;
    }
    if (!FMissing)
        FMissing = std::make_unique<TBitmap>();
    FMissing->Assign(Value);
}
