// The main window's postal-code fill: a code the user completes in 郵便番号 fills
// おところ① when it is empty, and the guidance panel shows the address found.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "transfer/HalfWidth.h"
#include "transfer/PostalCodes.h"

namespace hoxa {

void TForm_Main::SetupPostalLookUp()
{
    // textEdited comes from the user's typing, pasting and input method only;
    // texts the program sets (settings, sender slots, the transfer) never fill.
    connect(ui_->Edit_Zip, &QLineEdit::textEdited, this, [this] { Guarded(this, [this] { Edit_ZipEdited(); }); });
    connect(ui_->Edit_MyZip, &QLineEdit::textEdited, this, [this] { Guarded(this, [this] { Edit_MyZipEdited(); }); });
}

void TForm_Main::Edit_ZipEdited()
{
    // The half-width conversion runs on every change; make sure it has run for
    // this one before the code is read (converting twice changes nothing).
    SpeedButton_ZIP2Click();
    PostalFill(ui_->Edit_Zip, ui_->Edit_Add1);
}

void TForm_Main::Edit_MyZipEdited() { PostalFill(ui_->Edit_MyZip, ui_->Edit_MyADD1); }

void TForm_Main::PostalFill(TCpEdit* zipField, TCpEdit* addressField)
{
    // The sender's code is not converted in its field; full-width digits are
    // still read as a code, and so is every common way of writing one.
    const std::optional<std::uint32_t> code = ReadPostalCode(zipField->Text());
    if (!code) return;  // not (yet) a complete code
    // Written another way ("〒100ー0001", "100 0001"), it becomes what the
    // waybill prints.
    if (!ParsePostalCode(Trim(ToHalfWidth(zipField->Text())))) zipField->SetText(FormatPostalCode(*code));
    // Loaded here, on the first complete code, never at start.
    const PostalCodeTable& table = PostalCodes();
    if (!table.Loaded()) {
        if (!postalProblemShown_) SetGuidance(table.Problem());
        postalProblemShown_ = true;
        return;
    }
    const std::string zip = "〒" + FormatPostalCode(*code);
    const std::optional<PostalAddress> address = table.Find(*code);
    if (!address) {
        SetGuidance(zip + " は郵便番号データにありません");
        return;
    }
    const std::string full = address->Full();
    if (Trim(addressField->Text()).empty()) addressField->SetText(full);
    SetGuidance(zip + " " + full);
}

}  // namespace hoxa
