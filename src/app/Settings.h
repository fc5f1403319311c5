// The last entries of the main window, carried from one run to the next in
// hoxa_NIVORA.ini (section hx_NIVORAprn).
#pragma once

#include <string>

namespace hoxa {

struct MainSettings {
    // Only read, never written.
    std::string PrinterIndex = "-1";  // NIVORAprnno, as decimal text
    std::string PrnTop = "0";         // hx_NIVORAprn_Top
    std::string PrnLeft = "0";        // hx_NIVORAprn_Left
    // Read and written.
    int AddrFont = 1;  // selected index of the hidden font-size list ("10","11","12")
    std::string My, MyZip, MyADD1, MyADD2, MyTEL;  // sender
    std::string Zip, Add1, Add2, Custo1, Tel;      // destination
    std::string G1, G2, G3;                        // goods
    int PaperFeed = 0;                             // ComboBox_SEL
};

// "hoxa_NIVORA.ini" in dir.
std::string SettingsPath(const std::string& dir);

// Reads every key in its order; missing file, section or key give the defaults.
MainSettings LoadSettings(const std::string& dir);

// Writes Addr_Font, the E_ keys, the OP023 keys and ComboBox_SEL in that order,
// one key at a time; the first failing write raises EIniFileException and the
// keys after it are not written.
void SaveSettings(const std::string& dir, const MainSettings& s);

}  // namespace hoxa
