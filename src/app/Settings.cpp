#include "app/Settings.h"

#include "app/SenderSlot.h"
#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/SaveLock.h"
#include "base/cp932.h"
#include "print/PrinterRegistration.h"

namespace hoxa {

namespace {

constexpr const char* kSection = "hx_NIVORAprn";
constexpr const char* kPreviewSection = "hoxa_Preview";
constexpr const char* kBatchSection = "hoxa_Batch";
constexpr const char* kJournalWindowSection = "hoxa_History";
constexpr const char* kWindowWidth = "Width";
constexpr const char* kWindowHeight = "Height";

using S = Setting;
constexpr std::array<SettingKey, kSettingCount> kKeys = {{
    {S::PrinterIndex, "NIVORAprnno", "NIVORAprnno", true, "-1", false},
    {S::PrnTop, "hx_NIVORAprn_Top", "hx_NIVORAprn_Top", true, "0", false},
    {S::PrnLeft, "hx_NIVORAprn_Left", "hx_NIVORAprn_Left", true, "0", false},
    {S::AddrFont, "Addr_Font", "Addr_Font", true, "1", true},
    {S::Zip, "E_ZIP", "E_ZIP", false, "", true},
    {S::Add1, "E_AD1", "E_AD1", false, "", true},
    {S::Add2, "E_AD2", "E_AD2", false, "", true},
    {S::Custo1, "E_CUS", "E_CUS", false, "", true},
    {S::Tel, "E_TEL", "E_TEL", false, "", true},
    {S::G1, "E_G1", "E_G1", false, "", true},
    {S::G2, "E_G2", "E_G2", false, "", true},
    {S::G3, "E_G3", "E_G3", false, "", true},
    {S::My, "OP023My", "OP023My", false, "", true},
    // Read under this spelling and written as OP023MyZip: the same key by the
    // name rules of profile files.
    {S::MyZip, "OP023MyZip", "OP023MyZIP ", false, "", true},
    {S::MyAdd1, "OP023MyADD1", "OP023MyADD1", false, "", true},
    {S::MyAdd2, "OP023MyADD2", "OP023MyADD2", false, "", true},
    {S::MyTel, "OP023MyTEL", "OP023MyTEL", false, "", true},
    {S::PaperFeed, "ComboBox_SEL", "ComboBox_SEL", true, "0", true},
}};

constexpr bool InEnumOrder()
{
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (static_cast<std::size_t>(kKeys[i].setting) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "one row per entry, in the order of Setting");

}  // namespace

const std::array<SettingKey, kSettingCount>& SettingKeys() { return kKeys; }

MainSettings::MainSettings()
{
    for (const SettingKey& k : kKeys) (*this)[k.setting] = k.byDefault;
}

std::string SettingsPath(const std::string& dir)
{
    return PathIn(dir, "hoxa_NIVORA.ini");
}

MainSettings LoadSettings(const std::string& dir, std::string* problem)
{
    const ProfileReader f(SettingsPath(dir));
    if (problem) *problem = f.Problem();
    MainSettings s;
    for (const SettingKey& k : kKeys) {
        s[k.setting] = k.integer ? IntToStr(f.ReadInteger(kSection, k.readKey, StrToInt(k.byDefault)))
                                 : f.ReadString(kSection, k.readKey, k.byDefault);
    }
    return s;
}

void SaveSettings(const std::string& dir, const MainSettings& s)
{
    const std::string path = SettingsPath(dir);
    ProfileEntries entries;
    for (const SettingKey& k : kKeys)
        if (k.written) entries.emplace_back(k.key, s[k.setting]);
    const SaveLock lock(dir, path);
    ProfileFile(path).WriteStrings(kSection, entries);
}

std::vector<std::string> OwnFileNames()
{
    // hoxa_columns.ini: the column mappings of order files.
    std::vector<std::string> names{NameOf(SettingsPath("")), std::string(kPrinterIniName), "hoxa_columns.ini"};
    for (int k = 0; k <= 9; ++k) names.push_back(NameOf(SlotPath("", k)));
    return names;
}

namespace {

PreviewSize LoadWindowSize(const std::string& dir, const char* section)
{
    const ProfileReader f(SettingsPath(dir));
    PreviewSize size{f.ReadInteger(section, kWindowWidth, 0), f.ReadInteger(section, kWindowHeight, 0)};
    if (size.width <= 0 || size.height <= 0) size = {};
    return size;
}

void SaveWindowSize(const std::string& dir, const char* section, PreviewSize size)
{
    const std::string path = SettingsPath(dir);
    const SaveLock lock(dir, path);
    ProfileFile(path).WriteStrings(section, {{kWindowWidth, IntToStr(size.width)}, {kWindowHeight, IntToStr(size.height)}});
}

}  // namespace

PreviewSize LoadPreviewSize(const std::string& dir) { return LoadWindowSize(dir, kPreviewSection); }
void SavePreviewSize(const std::string& dir, PreviewSize size) { SaveWindowSize(dir, kPreviewSection, size); }
PreviewSize LoadBatchSize(const std::string& dir) { return LoadWindowSize(dir, kBatchSection); }
void SaveBatchSize(const std::string& dir, PreviewSize size) { SaveWindowSize(dir, kBatchSection, size); }
PreviewSize LoadJournalWindowSize(const std::string& dir) { return LoadWindowSize(dir, kJournalWindowSection); }
void SaveJournalWindowSize(const std::string& dir, PreviewSize size)
{
    SaveWindowSize(dir, kJournalWindowSection, size);
}

}  // namespace hoxa
