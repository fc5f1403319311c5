// The check after a transfer on the main window: each doubtful destination field
// gets a light warning fill and a tooltip with its reasons (also its accessible
// description, which screen readers read); the guidance panel shows the first
// reason.  A mark goes when the user edits its field, when the destination is
// cleared, or with the next transfer.  The print gate asks before printing while
// marks remain.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/CpEdit.h"
#include "base/Codec.h"
#include "transfer/PostalCodes.h"

#include <QApplication>

namespace hoxa {

namespace {


// The reasons of one field as one text, one reason a line.
std::string JoinReasons(const std::vector<std::string>& reasons)
{
    std::string text;
    for (const auto& r : reasons) {
        if (!text.empty()) text += '\n';
        text += r;
    }
    return text;
}

std::array<TCpEdit*, kDestFields> DestinationEdits(const ::Ui::TForm_Main& u)
{
    return {u.Edit_Zip, u.Edit_Add1, u.Edit_Add2, u.Edit_Custo1, u.Edit_tel};
}

}  // namespace

// A light amber that keeps black text readable.
QColor CheckMarkFill() { return QColor(255, 236, 179); }

void TForm_Main::SetupCheckMarks()
{
    // Postal code and address are compared through the postal-code data (read on
    // the first transfer, not at start); without the data the rule stays silent.
    zipLookup_ = &AddressMatchesPostalCode;
    const auto edits = DestinationEdits(*ui_);
    for (std::size_t f = 0; f < kDestFields; ++f) {
        // Typing, pasting or deleting in the field takes its mark away; texts
        // the program sets (the half-width conversion among them) do not.
        connect(edits[f], &QLineEdit::textEdited, this, [this, f] {
            auto& reasons = checkMarks_.reasons[f];
            if (reasons.empty()) return;
            reasons.clear();
            ShowCheckMark(static_cast<DestField>(f));
        });
    }
}

void TForm_Main::ShowCheckMark(DestField field)
{
    TCpEdit* edit = DestinationEdits(*ui_)[static_cast<std::size_t>(field)];
    const auto& reasons = checkMarks_.Reasons(field);
    SetFill(edit, reasons.empty() ? QApplication::palette(edit).color(QPalette::Base) : CheckMarkFill());
    const QString text = ToQString(JoinReasons(reasons));
    edit->setToolTip(text);
    edit->setAccessibleDescription(text);
}

void TForm_Main::MarkDoubtfulFields(const Lines& pasted)
{
    auto& u = *ui_;
    const DestinationFields fields{u.Edit_Zip->Text(), u.Edit_Add1->Text(), u.Edit_Add2->Text(),
                                   u.Edit_Custo1->Text(), u.Edit_tel->Text()};
    checkMarks_ = CheckTransfer(pasted, fields, zipLookup_);
    for (std::size_t f = 0; f < kDestFields; ++f) ShowCheckMark(static_cast<DestField>(f));
    if (checkMarks_.AnyMarked()) SetGuidance(checkMarks_.FirstReason());
}

void TForm_Main::ClearCheckMarks()
{
    checkMarks_ = CheckResult{};
    for (std::size_t f = 0; f < kDestFields; ++f) ShowCheckMark(static_cast<DestField>(f));
}

void TForm_Main::FocusFirstMarkedField()
{
    // The field to fix first, with its reason.
    if (!checkMarks_.AnyMarked()) return;
    DestinationEdits(*ui_)[static_cast<std::size_t>(checkMarks_.FirstField())]->setFocus(Qt::OtherFocusReason);
    SetGuidance(checkMarks_.FirstReason());
}

}  // namespace hoxa
