#pragma once

#include "server/library/readers/winamp/ByteSource.h"
#include "server/library/readers/winamp/WinampFieldTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

class CLogger;

// One field of the current record. Valid until the cursor moves.
class CWinampField {
public:
    uint8_t Type() const { return m_type; }
    uint8_t Column() const { return m_column; }
    // Text fields (types 3 and 12): the value as local (UTF-8) text. UTF-16 is converted;
    // 8-bit text is kept where it is well-formed UTF-8 and otherwise read as Latin-1.
    // A count past the field's data gives the empty text.
    bool IsText() const { return m_type == kWinampText || m_type == kWinampFileName; }
    std::string Text() const;
    // Whether the stored text was UTF-16.
    bool IsUtf16() const;
    // Integer fields (types 4, 10 and 11) with their four bytes.
    bool IsInteger() const;
    int32_t Integer() const;
    std::string_view Data() const { return m_data; }

private:
    friend class CWinampTable;
    uint8_t m_column = 0;
    uint8_t m_type = 0;
    uint32_t m_offset = 0;    // where the data stands in the table's record buffer
    std::string_view m_data;  // set once the whole record is loaded
};

// Reads one table file and its index file: the columns, the index definitions and the data
// records in the order of the primary index. Holds only the current record, one page of the
// primary index and the sources' small windows, so memory stays flat whatever the size of
// the library. Damaged input (sizes over 65535, chains that loop, positions past the end)
// ends the record or the open with a log line; it never crashes or hangs the reader.
//
// One thread uses a table at a time.
class CWinampTable {
public:
    static constexpr uint32_t kMaxFieldSize = 65535;
    static constexpr int kReservedCap = 128;  // fields read from the two reserved records
    static constexpr int kMaxRedirections = 32;
    static constexpr int kLockRetries = 100;
    static constexpr int kLockPauseMs = 100;
    static constexpr int kIndexPage = 2048;
    static constexpr size_t kHeaderSize = 14;
    static constexpr int kLoggedDamage = 10;

    // Called between lock attempts; true gives up the wait.
    using CancelCheck = std::function<bool()>;

    // Takes the lock ("<table>.lock" beside the table), opens and checks both files and
    // loads the primary index, the index definitions and the columns. Null on failure
    // (logged). A lock file created with no access rights fails at once; one held by another
    // program is tried again every 100 ms, 100 times.
    static std::unique_ptr<CWinampTable> Open(const std::string& tablePath,
                                              const std::string& indexPath, CLogger& logger,
                                              const CancelCheck& cancel = {});
    // The same over sources someone else owns (they must outlive the table); no lock.
    static std::unique_ptr<CWinampTable> OpenSources(IByteSource& table, IByteSource& index,
                                                     CLogger& logger);
    ~CWinampTable();
    CWinampTable(const CWinampTable&) = delete;
    CWinampTable& operator=(const CWinampTable&) = delete;

    // The cursor over the data records (entries 2 to N-1 of the primary index).
    void First();
    void Next();
    bool AtEnd() const { return m_entry >= m_entries; }
    // Number of entries in every index, the two reserved ones included.
    int32_t Entries() const { return m_entries; }

    // The current record's field for the column of that name (compared without regard to
    // case), or null.
    const CWinampField* GetField(std::string_view column) const;

    // Column names by id as the columns record gives them ("" for ids it does not define).
    const std::array<std::string, 256>& Columns() const { return m_columnNames; }
    size_t ColumnCount() const { return m_columnCount; }
    const std::vector<std::string>& IndexNames() const { return m_indexNames; }
    // The id of the column of that name (without regard to case), or -1.
    int ColumnId(std::string_view column) const;

    // Releases the files; logs how many records were damaged when more were than logged.
    void Close();

private:
    CWinampTable(IByteSource& table, IByteSource& index, CLogger& logger);
    bool Load();
    // Reads the record at `position` into m_fields; at most `cap` fields.
    void LoadRecord(uint32_t position, int cap);
    // Reads the field header at `position`, following redirections (`position` ends at the
    // field itself); false when damaged.
    bool ReadHeader(uint32_t& position, uint8_t (&header)[kHeaderSize]);
    void Damaged(uint32_t position, const char* what);
    uint32_t EntryPosition(int32_t entry);
    void LoadCurrent();
    void LoadIndexDefinitions();
    void LoadColumns();

    CLogger& m_logger;
    IByteSource& m_table;
    IByteSource& m_index;
    std::unique_ptr<CFileByteSource> m_ownTable;  // set when opened from paths
    std::unique_ptr<CFileByteSource> m_ownIndex;

    int32_t m_entries = 0;
    int32_t m_entry = 0;
    // One page of the primary index: positions of entries m_pageStart and on.
    std::vector<uint32_t> m_page;
    int32_t m_pageStart = -1;

    std::array<std::string, 256> m_columnNames{};
    std::vector<std::pair<std::string, uint8_t>> m_columnIds;  // lower-cased name, id; sorted
    size_t m_columnCount = 0;
    std::vector<std::string> m_indexNames;

    std::string m_recordData;  // data of the current record's fields, back to back
    std::vector<CWinampField> m_fields;
    std::array<int16_t, 256> m_fieldOfColumn{};  // index into m_fields, -1 when absent
    int m_damaged = 0;
};

}  // namespace vantor
