// The last entries of the main window, carried from one run to the next in
// hoxa_NIVORA.ini (section hx_NIVORAprn).  One table lists every key: the start
// reads them all, the exit writes the ones marked written, and the main window
// copies each to and from its control.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace hoxa {

// The entries, in the order of SettingKeys().
enum class Setting : std::size_t {
    PrinterIndex, PrnTop, PrnLeft,  // only read: the printer keys of older files
    AddrFont,                       // selected index of the hidden font-size list
    Zip, Add1, Add2, Custo1, Tel,   // destination
    G1, G2, G3,                     // goods
    My, MyZip, MyAdd1, MyAdd2, MyTel,  // sender
    PaperFeed,                      // selected paper feed
    Count_
};
inline constexpr std::size_t kSettingCount = static_cast<std::size_t>(Setting::Count_);

struct SettingKey {
    Setting setting;
    const char* key;         // as written
    const char* readKey;     // as read
    bool integer;            // read by the integer rule and kept as its decimal text
    const char* byDefault;   // when the file, section or key is missing
    bool written;            // false: read at start, never written
};

// Every key, in the order the exit writes them (the read-only ones first).
const std::array<SettingKey, kSettingCount>& SettingKeys();

// One value per entry, each as text (integers in decimal).
class MainSettings {
public:
    // Every entry at its default.
    MainSettings();
    std::string& operator[](Setting s) { return values_[static_cast<std::size_t>(s)]; }
    const std::string& operator[](Setting s) const { return values_[static_cast<std::size_t>(s)]; }

private:
    std::array<std::string, kSettingCount> values_;
};

// "hoxa_NIVORA.ini" in dir.
std::string SettingsPath(const std::string& dir);

// Reads every key from one reading of the file; a missing file, section or key
// gives the default.  A file refused for its size gives every default too, and
// its message goes to *problem (else an empty text).
MainSettings LoadSettings(const std::string& dir, std::string* problem = nullptr);

// Writes the written keys in table order with one rewrite of the file (the bytes
// the key-by-key writes would leave), holding the folder's SaveLock.  A failure
// raises EIniFileException, or EInOutError when another copy of the program
// kept the lock, and leaves the old file whole.
void SaveSettings(const std::string& dir, const MainSettings& s);

// The names of the program's own files in its working folder: the only ones
// whose leftovers the start-up clean-up touches.
std::vector<std::string> OwnFileNames();

// The print preview's window size, kept in a section of its own
// ([hoxa_Preview], keys Width and Height) so that it never touches the keys
// above.  Written when the preview closes.
struct PreviewSize {
    int width = 0;   // 0: not stored, the preview's default
    int height = 0;
};
PreviewSize LoadPreviewSize(const std::string& dir);
// Both keys with one rewrite, as SaveSettings; raises as it does.
void SavePreviewSize(const std::string& dir, PreviewSize size);

// The batch window's size, kept the same way in [hoxa_Batch].
PreviewSize LoadBatchSize(const std::string& dir);
void SaveBatchSize(const std::string& dir, PreviewSize size);

// The journal window's size, kept the same way in [hoxa_History].
PreviewSize LoadJournalWindowSize(const std::string& dir);
void SaveJournalWindowSize(const std::string& dir, PreviewSize size);

}  // namespace hoxa
