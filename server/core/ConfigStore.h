#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

// Player types as stored under "PlayerType".
enum PlayerType : int {
    kPlayerNone = 0,
    kPlayerITunes = 1,
    kPlayerMCE = 2,
    kPlayerWMP = 3,
    kPlayerWinamp = 4,
    kPlayerMPD = 5,
    kPlayerMPRIS = 6,
};

// The server's persistent settings: "QRM.config" in the data folder, one key=value per line
// ending CR LF, read once at construction and rewritten whole on every saving change. Keys
// are case-sensitive; a '\' inside a key is an ordinary character. Every reader supplies its
// own default.
//
// Thread-safe: any thread may read or write. Saving writes a temporary file beside the
// configuration and renames it into place, so a reader of the file never sees it half
// written and a failed write leaves the previous file intact.
class CConfigStore {
public:
    // A detector returns the player type it found, or kPlayerNone. Called without the
    // store's lock held, on the thread that asked for the player type.
    using PlayerDetector = std::function<int()>;

    static constexpr size_t kMaxLineLength = 500;

    // `dataFolder` ends with '/'; the file is read from it at once.
    explicit CConfigStore(std::string dataFolder);

    // The value when the key exists (even when empty), else `def`.
    std::string GetString(const std::string& key, const std::string& def) const;
    // When the key exists its value converted like atoi (empty or non-numeric gives 0).
    int GetInt(const std::string& key, int def) const;
    // "true"/"false" in any case; any other value, or a missing key, gives `def`.
    bool GetBool(const std::string& key, bool def) const;

    // Updates or appends the entry. `doNotSave` keeps the entry out of the file; `noSave`
    // skips writing the file now. False when the file could not be written.
    bool SetString(const std::string& key, const std::string& value, bool doNotSave = false,
                   bool noSave = false);
    bool SetInt(const std::string& key, int value, bool doNotSave = false, bool noSave = false);
    bool SetBool(const std::string& key, bool value, bool doNotSave = false, bool noSave = false);
    // Removes the entry when present; unless `noSave`, writes the file.
    bool Remove(const std::string& key, bool noSave = false);

    // Writes every saved entry; deletes the file when no line would be written.
    bool Save();

    // The stored player type; when absent or unknown, the detected one (not stored).
    int GetPlayerType() const;
    // 0 removes the key; 1 to 6 store the type's name; other values are refused.
    bool SetPlayerType(int type);
    static std::string PlayerTypeName(int type);
    // kPlayerNone when the name is not a player type name (compared without case).
    static int PlayerTypeFromName(const std::string& name);

    // Looks for an installed player through the registry: iTunes, then Windows Media
    // Player, then Winamp, then every added detector in the order added.
    int DetectPlayerType() const;
    // Players beyond the first three plug their detection in here (before threads start).
    void AddPlayerDetector(PlayerDetector detector);

    std::string GetServerName() const;
    bool SetServerName(const std::string& name);
    // "Paths\Winamp", or the folder found in the registry when that is empty (not stored).
    std::string GetWinampPath() const;
    // Winamp's folder from the registry when it holds "Winamp.exe"; "" otherwise.
    static std::string DetectWinampFolder();

    // The player programs the automation adapters start: "Paths\iTunes" and "Paths\WMP",
    // else the program the registry's application paths name for "iTunes.exe" and
    // "wmplayer.exe" (not stored); "" when neither is there.
    std::string GetITunesProgram() const;
    std::string GetWMPProgram() const;
    static std::string DetectAppPath(const std::string& exeName);

    std::string GetDataFolder() const { return m_dataFolder; }
    std::string GetFilePath() const { return m_filePath; }

private:
    struct Entry {
        std::string key;
        std::string value;
        bool doNotSave = false;
    };

    void Load();
    Entry* FindLocked(const std::string& key);
    const Entry* FindLocked(const std::string& key) const;
    void SetLocked(const std::string& key, const std::string& value, bool doNotSave);
    bool SaveLocked();

    const std::string m_dataFolder;
    const std::string m_filePath;
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::vector<PlayerDetector> m_detectors;
};

}  // namespace vantor
