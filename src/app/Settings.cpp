#include "app/Settings.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/cp932.h"

namespace hoxa {

namespace {
constexpr const char* kSection = "hx_NIVORAprn";
}  // namespace

std::string SettingsPath(const std::string& dir)
{
    return PathIn(dir, "hoxa_NIVORA.ini");
}

MainSettings LoadSettings(const std::string& dir)
{
    const ProfileReader f(SettingsPath(dir));
    MainSettings s;
    s.PrinterIndex = IntToStr(f.ReadInteger(kSection, "NIVORAprnno", -1));
    s.PrnTop = IntToStr(f.ReadInteger(kSection, "hx_NIVORAprn_Top", 0));
    s.PrnLeft = IntToStr(f.ReadInteger(kSection, "hx_NIVORAprn_Left", 0));
    s.AddrFont = f.ReadInteger(kSection, "Addr_Font", 1);
    s.My = f.ReadString(kSection, "OP023My", "");
    // Read under this spelling and written as OP023MyZip: the same key by the
    // name rules of profile files.
    s.MyZip = f.ReadString(kSection, "OP023MyZIP ", "");
    s.MyADD1 = f.ReadString(kSection, "OP023MyADD1", "");
    s.MyADD2 = f.ReadString(kSection, "OP023MyADD2", "");
    s.MyTEL = f.ReadString(kSection, "OP023MyTEL", "");
    s.Zip = f.ReadString(kSection, "E_ZIP", "");
    s.Add1 = f.ReadString(kSection, "E_AD1", "");
    s.Add2 = f.ReadString(kSection, "E_AD2", "");
    s.Custo1 = f.ReadString(kSection, "E_CUS", "");
    s.Tel = f.ReadString(kSection, "E_TEL", "");
    s.G1 = f.ReadString(kSection, "E_G1", "");
    s.G2 = f.ReadString(kSection, "E_G2", "");
    s.G3 = f.ReadString(kSection, "E_G3", "");
    s.PaperFeed = f.ReadInteger(kSection, "ComboBox_SEL", 0);
    return s;
}

void SaveSettings(const std::string& dir, const MainSettings& s)
{
    ProfileFile f(SettingsPath(dir));
    f.WriteInteger(kSection, "Addr_Font", s.AddrFont);
    f.WriteString(kSection, "E_ZIP", s.Zip);
    f.WriteString(kSection, "E_AD1", s.Add1);
    f.WriteString(kSection, "E_AD2", s.Add2);
    f.WriteString(kSection, "E_CUS", s.Custo1);
    f.WriteString(kSection, "E_TEL", s.Tel);
    f.WriteString(kSection, "E_G1", s.G1);
    f.WriteString(kSection, "E_G2", s.G2);
    f.WriteString(kSection, "E_G3", s.G3);
    f.WriteString(kSection, "OP023My", s.My);
    f.WriteString(kSection, "OP023MyZip", s.MyZip);
    f.WriteString(kSection, "OP023MyADD1", s.MyADD1);
    f.WriteString(kSection, "OP023MyADD2", s.MyADD2);
    f.WriteString(kSection, "OP023MyTEL", s.MyTEL);
    f.WriteInteger(kSection, "ComboBox_SEL", s.PaperFeed);
}

}  // namespace hoxa
