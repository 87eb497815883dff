#include "server/library/readers/winamp/WinampTable.h"

#include "protocol/TextCoding.h"
#include "protocol/Xml.h"
#include "server/core/Logger.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

constexpr size_t kIndexHeader = 12;  // signature and N
constexpr size_t kEntrySize = 8;     // record position and link word

uint32_t Le32(const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool HasSignature(IByteSource& source, const char* signature) {
    char bytes[8];
    return source.ReadAt(0, bytes, 8) == 8 && std::memcmp(bytes, signature, 8) == 0;
}

// The name at the end of a column or index definition: a length byte, then the bytes.
std::string DefinitionName(std::string_view data, size_t lengthAt) {
    if (data.size() <= lengthAt) return {};
    const size_t length = static_cast<unsigned char>(data[lengthAt]);
    return std::string(data.substr(lengthAt + 1, length));
}

// The bytes of a text field's value, or false when its count runs past the data.
bool TextBytes(std::string_view data, std::string_view& bytes) {
    if (data.size() < 2) return false;
    const size_t count = static_cast<unsigned char>(data[0]) |
                         static_cast<size_t>(static_cast<unsigned char>(data[1])) << 8;
    if (count > data.size() - 2) return false;
    bytes = data.substr(2, count);
    return true;
}

// 1 for UTF-16 little-endian, 2 for big-endian, 0 for 8-bit text.
int Utf16Form(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0) return 0;
    if (bytes[0] == '\xFF' && bytes[1] == '\xFE') return 1;
    if (bytes[0] == '\xFE' && bytes[1] == '\xFF') return 2;
    return 0;
}

}  // namespace

std::string CWinampField::Text() const {
    std::string_view bytes;
    if (!IsText() || !TextBytes(m_data, bytes)) return {};
    std::string text;
    const int form = Utf16Form(bytes);
    if (form != 0) {
        text = Utf16ToUtf8(bytes.substr(2), form == 2);
    } else {
        text.assign(bytes);
        ToWireText(text);
    }
    // The player keeps texts as zero-terminated strings: nothing after a zero is seen.
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

bool CWinampField::IsUtf16() const {
    std::string_view bytes;
    return IsText() && TextBytes(m_data, bytes) && Utf16Form(bytes) != 0;
}

bool CWinampField::IsInteger() const {
    return (m_type == kWinampInteger || m_type == kWinampDateTime || m_type == kWinampLength) &&
           m_data.size() >= 4;
}

int32_t CWinampField::Integer() const {
    return IsInteger() ? static_cast<int32_t>(Le32(m_data.data())) : 0;
}

CWinampTable::CWinampTable(IByteSource& table, IByteSource& index, CLogger& logger)
    : m_logger(logger), m_table(table), m_index(index) {
    m_fieldOfColumn.fill(-1);
}

CWinampTable::~CWinampTable() {
    Close();
}

std::unique_ptr<CWinampTable> CWinampTable::OpenSources(IByteSource& table, IByteSource& index,
                                                        CLogger& logger) {
    std::unique_ptr<CWinampTable> opened(new CWinampTable(table, index, logger));
    if (!opened->Load()) return nullptr;
    return opened;
}

bool CWinampTable::Load() {
    if (!HasSignature(m_table, "NDETABLE") || !HasSignature(m_index, "NDEINDEX")) {
        m_logger.LogCritical("ERROR: Winamp media library files do not carry their signatures");
        return false;
    }
    unsigned char count[4];
    if (m_index.ReadAt(8, count, 4) != 4) return false;
    const auto entries = static_cast<int32_t>(Le32(count));
    const uint64_t blockSize = 4 + kEntrySize * static_cast<uint64_t>(std::max(entries, 0));
    if (entries < 2 || kIndexHeader + blockSize > m_index.Size()) {
        m_logger.LogCritical(
            "ERROR: Winamp media library index is damaged: %d entries in a file of %llu bytes",
            entries, static_cast<unsigned long long>(m_index.Size()));
        return false;
    }
    m_entries = entries;
    LoadIndexDefinitions();
    LoadColumns();
    m_entry = 2;
    LoadRecord(0, 0);  // before the first data record
    return true;
}

void CWinampTable::LoadIndexDefinitions() {
    LoadRecord(EntryPosition(1), kReservedCap);
    const uint64_t blockSize = 4 + kEntrySize * static_cast<uint64_t>(m_entries);
    for (const CWinampField& field : m_fields) {
        if (field.Type() != kWinampIndex) continue;
        // Each definition owns the next block of the index file. Only the primary one is
        // walked; a missing later block is reported and does no other harm.
        if (kIndexHeader + blockSize * (m_indexNames.size() + 1) > m_index.Size()) {
            m_logger.LogNormal("Winamp media library index holds no block for index \"%s\"",
                               DefinitionName(field.Data(), 8).c_str());
        }
        m_indexNames.push_back(DefinitionName(field.Data(), 8));
    }
}

void CWinampTable::LoadColumns() {
    LoadRecord(EntryPosition(0), kReservedCap);
    for (const CWinampField& field : m_fields) {
        if (field.Type() != kWinampColumn) continue;
        std::string name = DefinitionName(field.Data(), 2);
        m_columnIds.emplace_back(AsciiLower(name), field.Column());
        m_columnNames[field.Column()] = std::move(name);
        ++m_columnCount;
    }
    // Two columns of the same name: the first defined one is found.
    std::stable_sort(m_columnIds.begin(), m_columnIds.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

int CWinampTable::ColumnId(std::string_view column) const {
    const std::string lower = AsciiLower(column);
    auto found = std::lower_bound(
        m_columnIds.begin(), m_columnIds.end(), lower,
        [](const auto& entry, const std::string& name) { return entry.first < name; });
    return found != m_columnIds.end() && found->first == lower ? found->second : -1;
}

const CWinampField* CWinampTable::GetField(std::string_view column) const {
    const int id = ColumnId(column);
    if (id < 0 || m_fieldOfColumn[static_cast<size_t>(id)] < 0) return nullptr;
    return &m_fields[static_cast<size_t>(m_fieldOfColumn[static_cast<size_t>(id)])];
}

void CWinampTable::First() {
    m_entry = 2;
    LoadCurrent();
}

void CWinampTable::Next() {
    if (!AtEnd()) ++m_entry;
    LoadCurrent();
}

void CWinampTable::LoadCurrent() {
    LoadRecord(AtEnd() ? 0 : EntryPosition(m_entry), static_cast<int>(m_columnCount));
}

uint32_t CWinampTable::EntryPosition(int32_t entry) {
    if (m_pageStart < 0 || entry < m_pageStart ||
        entry >= m_pageStart + static_cast<int32_t>(m_page.size())) {
        m_pageStart = entry - entry % kIndexPage;
        const size_t count = static_cast<size_t>(std::min(kIndexPage, m_entries - m_pageStart));
        std::string bytes(count * kEntrySize, '\0');
        const uint64_t at = kIndexHeader + 4 + kEntrySize * static_cast<uint64_t>(m_pageStart);
        m_index.ReadAt(at, bytes.data(), bytes.size());  // a short read leaves positions 0
        m_page.resize(count);
        for (size_t i = 0; i < count; ++i) m_page[i] = Le32(bytes.data() + i * kEntrySize);
    }
    return m_page[static_cast<size_t>(entry - m_pageStart)];
}

bool CWinampTable::ReadHeader(uint32_t& position, uint8_t (&header)[kHeaderSize]) {
    for (int hops = 0;; ++hops) {
        if (position < 8) {
            Damaged(position, "a field position inside the file signature");
            return false;
        }
        if (m_table.ReadAt(position, header, kHeaderSize) != kHeaderSize) {
            Damaged(position, "a field header past the end of the file");
            return false;
        }
        if (header[1] != kWinampRedirect) return true;
        if (hops == kMaxRedirections) {
            Damaged(position, "redirections that do not end");
            return false;
        }
        position = Le32(header + 2);
    }
}

void CWinampTable::LoadRecord(uint32_t position, int cap) {
    for (const CWinampField& field : m_fields) m_fieldOfColumn[field.Column()] = -1;
    m_fields.clear();
    m_recordData.clear();
    int read = 0;
    while (position != 0) {
        if (read == cap) {
            // A whole record has at most one field per column; more is a chain that loops.
            Damaged(position, "a chain longer than the columns");
            break;
        }
        uint8_t header[kHeaderSize];
        if (!ReadHeader(position, header)) break;
        const uint32_t size = Le32(header + 2);
        if (size > kMaxFieldSize) {
            Damaged(position, "a field size over 65535");
            break;
        }
        ++read;
        const uint8_t column = header[0];
        if (m_fieldOfColumn[column] < 0) {  // the first occurrence of a column counts
            const size_t offset = m_recordData.size();
            m_recordData.resize(offset + size);
            if (m_table.ReadAt(uint64_t{position} + kHeaderSize, m_recordData.data() + offset,
                               size) != size) {
                m_recordData.resize(offset);
                Damaged(position, "field data past the end of the file");
                break;
            }
            CWinampField field;
            field.m_column = column;
            field.m_type = header[1];
            field.m_offset = static_cast<uint32_t>(offset);
            m_fieldOfColumn[column] = static_cast<int16_t>(m_fields.size());
            m_fields.push_back(field);
        }
        position = Le32(header + 6);
    }
    // The buffer has stopped growing: the fields can point into it now.
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const size_t end = i + 1 < m_fields.size() ? m_fields[i + 1].m_offset : m_recordData.size();
        m_fields[i].m_data =
            std::string_view(m_recordData).substr(m_fields[i].m_offset, end - m_fields[i].m_offset);
    }
}

void CWinampTable::Damaged(uint32_t position, const char* what) {
    if (++m_damaged <= kLoggedDamage) {
        m_logger.LogCritical(
            "ERROR: Winamp media library damaged: %s at position %u; the rest of the record "
            "is skipped",
            what, position);
    }
}

void CWinampTable::Close() {
    if (m_damaged > kLoggedDamage) {
        m_logger.LogCritical("ERROR: Winamp media library damaged: %d records cut short in all",
                             m_damaged);
    }
    m_damaged = 0;
    m_entry = m_entries;
    m_fields.clear();
    m_fieldOfColumn.fill(-1);
    if (m_ownTable) m_ownTable->Close();
    if (m_ownIndex) m_ownIndex->Close();
}

}  // namespace vantor
