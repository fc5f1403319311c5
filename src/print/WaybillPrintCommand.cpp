#include "print/WaybillPrintCommand.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/errors.h"
#include "print/Vp_d97Y_DotUnit.h"

#include <QAbstractButton>
#include <QDate>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace hoxa {

namespace {

template <typename T>
T* Control(const QWidget& window, const char* name)
{
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    HOXA_ASSERT(w != nullptr, "WaybillPrintCommand");
    return w;
}

std::string EditText(const QWidget& window, const char* name)
{
    return FromQString(Control<QLineEdit>(window, name)->text());
}

std::string LabelText(const QWidget& window, const char* name)
{
    return FromQString(Control<QLabel>(window, name)->text());
}

bool Checked(const QWidget& window, const char* name)
{
    return Control<QAbstractButton>(window, name)->isChecked();
}

}  // namespace

WaybillRecord ReadWaybillRecord(const QWidget& window)
{
    WaybillRecord r;
    r.zip = EditText(window, "Edit_Zip");
    r.add1 = EditText(window, "Edit_Add1");
    r.add2 = EditText(window, "Edit_Add2");
    r.custo1 = EditText(window, "Edit_Custo1");
    r.tel = EditText(window, "Edit_tel");
    r.myZip = EditText(window, "Edit_MyZip");
    r.myAdd1 = EditText(window, "Edit_MyADD1");
    r.myAdd2 = EditText(window, "Edit_MyADD2");
    r.my = EditText(window, "Edit_My");
    r.myTel = EditText(window, "Edit_MyTEL");
    r.printSender = Checked(window, "CheckBox_My");
    r.g1 = EditText(window, "Edit_G1");
    r.g2 = EditText(window, "Edit_G2");
    r.g3 = EditText(window, "Edit_G3");
    const QDate d = Control<QDateTimeEdit>(window, "DateTimePicker_1")->date();
    r.dateText = FormatWaybillDate(d.year(), d.month(), d.day());
    r.printDate = Checked(window, "CheckBox_Date_1");
    r.deDate1 = EditText(window, "Edit_de_date1");
    r.deDate2 = EditText(window, "Edit_de_date2");
    r.deDate3 = EditText(window, "Edit_de_date3");
    r.prnTop = LabelText(window, "Label_Prn_Top");
    r.prnLeft = LabelText(window, "Label_Prn_Left");
    r.dpix = LabelText(window, "Label_dpix");
    r.dpiy = LabelText(window, "Label_dpiy");
    return r;
}

void WriteResolutionLabels(QWidget& window, const std::string& dpix, const std::string& dpiy)
{
    Control<QLabel>(window, "Label_dpix")->setText(ToQString(dpix));
    Control<QLabel>(window, "Label_dpiy")->setText(ToQString(dpiy));
}

bool RunPrintCommand(QWidget& window)
{
    if (!AskYesNo(&window, kPrintQuestion)) {
        Control<QWidget>(window, "Edit_G1")->setFocus(Qt::OtherFocusReason);
        return false;
    }
    WaybillRecord rec = ReadWaybillRecord(window);
    PrintWaybillJob(rec, [&window](const std::string& dpix, const std::string& dpiy) {
        WriteResolutionLabels(window, dpix, dpiy);
    });
    return true;
}

}  // namespace hoxa
