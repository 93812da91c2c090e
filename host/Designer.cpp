#include "Designer.hpp"

#include "FormReader.hpp"
#include "Graphics.hpp"
#include "SampleComponents.hpp"

#include <vector>

extern const char* const SampleFormData;

std::unique_ptr<TForm> OpenDesignedForm(const std::string& FormFile)
{
    // The sample component lives in a static library: naming its class here links it in, and with
    // it the registration that lets form data create it.
    RegisterClass(TSampleComponent::TypeInfo());
    std::string Data = SampleFormData;
    std::string SourceName = "the sample form";
    if (!FormFile.empty()) {
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(FormFile);
        Data.assign(Bytes.begin(), Bytes.end());
        SourceName = FormFile;
    }
    auto Form = std::make_unique<TForm>(nullptr);
    ReadComponent(Form.get(), Data, SourceName);
    Form->ScaleToScreen();
    return Form;
}
