#include "journal/JournalSettings.h"

#include "app/Settings.h"
#include "base/Codec.h"
#include "base/Profile.h"

namespace hoxa {

JournalSettings LoadJournalSettings(const std::string& dir)
{
    const ProfileReader ini(SettingsPath(dir));
    return {Cp932ToUtf8(ini.ReadString("hoxa_Journal", "Server", "")),
            ini.ReadString("hoxa_Journal", "Courier", "")};
}

JournalPlace JournalPlaceFor(const std::string& dir, const JournalSettings& settings)
{
    return {dir, settings.server};
}

}  // namespace hoxa
