#pragma once
// The host's form designer: the designed form it opens and the designer object its property
// editors report changes to.

#include "DsgnIntf.hpp"
#include "Forms.hpp"

#include <memory>
#include <string>

class THostDesigner : public IFormDesigner
{
public:
    // Counts the change notifications that the property editors send.
    void Modified() override { ++FModifiedCount; }
    int ModifiedCount() const { return FModifiedCount; }
    void ResetModifiedCount() { FModifiedCount = 0; }

private:
    int FModifiedCount = 0;
};

// Opens the designed form: the form data in FormFile, or the built-in sample form (Form1 with
// BitBtn1, Image1 and Sample1) when FormFile is empty. The form is scaled to the screen's
// resolution as a form class scales itself. Raises EFOpenError or EReadError naming the file.
std::unique_ptr<TForm> OpenDesignedForm(const std::string& FormFile);
