#pragma once

#include "server/library/readers/winamp/WinampFieldTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::tools {

enum class WinampTextForm { kUtf16, kUtf16BigEndian, kEightBit };

// The data of a text field: a 2-byte count, then FF FE and UTF-16LE (or FE FF and UTF-16BE),
// or 8-bit bytes: Latin-1 for what Latin-1 holds, '?' for the rest.
std::string WinampTextData(std::string_view utf8, WinampTextForm form = WinampTextForm::kUtf16);
std::string WinampIntegerData(int32_t value);
std::string WinampInteger64Data(int64_t value);
// UTF-8 to Latin-1 bytes, '?' for characters Latin-1 does not hold.
std::string Latin1Bytes(std::string_view utf8);
// Whether every character of the UTF-8 text is in Latin-1.
bool FitsLatin1(std::string_view utf8);

struct WinampField {
    uint8_t column = 0;
    uint8_t type = kWinampText;
    std::string data;
};

struct WinampColumn {
    uint8_t id = 0;
    uint8_t type = kWinampText;
    std::string name;
};

// Writes a table file and its index file as the player does, including what years of use
// leave in them: fields updated later stand at the end of the file, linked into their
// record's chain or reached through redirections; deleted records stay in the table file
// but leave the indexes.
class CWinampTableWriter {
public:
    // Writes the columns record and the index-definitions record: the primary index "None"
    // and, when `sortColumn` is one of the columns, a second index ordered by that column
    // (the player's file-name index).
    explicit CWinampTableWriter(const std::vector<WinampColumn>& columns, int sortColumn = -1);

    // Appends a record whose fields stand one after the other, in the order given (a column
    // may occur twice). Returns its number.
    int AddRecord(const std::vector<WinampField>& fields);
    // The player's update of one field: the new field is appended to the file and takes the
    // old one's place in the chain; the old one stays behind, unlinked. The record's first
    // field (which the indexes point at), or any field when `redirect` is set, is replaced
    // through a redirection left at the old field's place instead. A column the record lacks
    // is added at the end of its chain.
    void UpdateField(int record, const WinampField& field, bool redirect = false);
    // Takes the record out of the indexes; its fields stay in the table file.
    void RemoveRecord(int record);

    // What the primary index holds for the record.
    uint32_t RecordPosition(int record) const;
    // Where the record's field of that column stands (past any redirection); 0 when absent.
    uint32_t FieldPosition(int record, uint8_t column) const;

    // The table file's bytes, open to changes (tests damage them).
    std::string& Table() { return m_table; }
    // The index file's bytes for the records as they stand.
    std::string Index() const;
    bool Write(const std::string& tablePath, const std::string& indexPath) const;

private:
    struct Link {
        uint32_t chainPosition;  // what the previous field (or the index) points at
        uint32_t fieldPosition;  // where the field stands after redirections
        uint8_t column;
        std::string data;
    };
    struct Record {
        std::vector<Link> links;
        bool removed = false;
    };
    uint32_t Append(const WinampField& field, uint32_t next, uint32_t previous);
    void Put32(uint32_t position, uint32_t value);
    uint32_t WriteReservedRecord(const std::vector<WinampField>& fields);

    std::string m_table;
    uint32_t m_columnsRecord = 0;
    uint32_t m_indexesRecord = 0;
    int m_sortColumn;
    std::vector<Record> m_records;
};

}  // namespace vantor::tools
