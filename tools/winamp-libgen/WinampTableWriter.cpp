#include "tools/winamp-libgen/WinampTableWriter.h"

#include "protocol/TextCoding.h"

#include <algorithm>
#include <fstream>
#include <numeric>

namespace vantor::tools {

namespace {

constexpr size_t kHeaderSize = 14;
constexpr uint32_t kPrimaryIndexId = 0xFF;

void Append32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string Definition(std::string_view prefix, std::string_view name) {
    std::string data(prefix);
    data += static_cast<char>(name.size());
    data.append(name);
    return data;
}

}  // namespace

bool FitsLatin1(std::string_view utf8) {
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0 || cp > 0xFF) return false;
        pos += length;
    }
    return true;
}

std::string Latin1Bytes(std::string_view utf8) {
    std::string out;
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(utf8, pos, cp);
        out += length != 0 && cp <= 0xFF ? static_cast<char>(cp) : '?';
        pos += length != 0 ? length : 1;
    }
    return out;
}

std::string WinampTextData(std::string_view utf8, WinampTextForm form) {
    std::string bytes;
    if (form == WinampTextForm::kEightBit) {
        bytes = Latin1Bytes(utf8);
    } else {
        const bool big = form == WinampTextForm::kUtf16BigEndian;
        bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        bytes += Utf8ToUtf16(utf8, big);
    }
    std::string data;
    data += static_cast<char>(bytes.size() & 0xFF);
    data += static_cast<char>((bytes.size() >> 8) & 0xFF);
    return data + bytes;
}

std::string WinampIntegerData(int32_t value) {
    std::string data;
    Append32(data, static_cast<uint32_t>(value));
    return data;
}

std::string WinampInteger64Data(int64_t value) {
    std::string data;
    Append32(data, static_cast<uint32_t>(value));
    Append32(data, static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
    return data;
}

CWinampTableWriter::CWinampTableWriter(const std::vector<WinampColumn>& columns, int sortColumn)
    : m_table("NDETABLE"), m_sortColumn(-1) {
    std::vector<WinampField> definitions;
    for (const WinampColumn& column : columns) {
        const std::string typeAndFlag{static_cast<char>(column.type), '\0'};
        definitions.push_back({column.id, kWinampColumn, Definition(typeAndFlag, column.name)});
        if (column.id == sortColumn) m_sortColumn = sortColumn;
    }
    m_columnsRecord = WriteReservedRecord(definitions);

    std::string primary;
    Append32(primary, kPrimaryIndexId);
    Append32(primary, 0);
    std::vector<WinampField> indexes{{0, kWinampIndex, Definition(primary, "None")}};
    if (m_sortColumn >= 0) {
        std::string sorted;
        Append32(sorted, static_cast<uint32_t>(m_sortColumn));
        Append32(sorted, kWinampFileName);
        const auto& name = std::find_if(columns.begin(), columns.end(), [&](const auto& c) {
                               return c.id == m_sortColumn;
                           })->name;
        indexes.push_back({1, kWinampIndex, Definition(sorted, name)});
    }
    m_indexesRecord = WriteReservedRecord(indexes);
}

uint32_t CWinampTableWriter::Append(const WinampField& field, uint32_t next, uint32_t previous) {
    const auto position = static_cast<uint32_t>(m_table.size());
    m_table += static_cast<char>(field.column);
    m_table += static_cast<char>(field.type);
    Append32(m_table, static_cast<uint32_t>(field.data.size()));
    Append32(m_table, next);
    Append32(m_table, previous);
    m_table += field.data;
    return position;
}

void CWinampTableWriter::Put32(uint32_t position, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        m_table[position + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t CWinampTableWriter::WriteReservedRecord(const std::vector<WinampField>& fields) {
    const int number = AddRecord(fields);
    const uint32_t position = RecordPosition(number);
    m_records.pop_back();
    return position;
}

int CWinampTableWriter::AddRecord(const std::vector<WinampField>& fields) {
    Record record;
    auto position = static_cast<uint32_t>(m_table.size());
    uint32_t previous = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto next =
            i + 1 < fields.size()
                ? static_cast<uint32_t>(position + kHeaderSize + fields[i].data.size())
                : 0;
        Append(fields[i], next, previous);
        record.links.push_back({position, position, fields[i].column, fields[i].data});
        previous = position;
        position = next;
    }
    m_records.push_back(std::move(record));
    return static_cast<int>(m_records.size()) - 1;
}

void CWinampTableWriter::UpdateField(int record, const WinampField& field, bool redirect) {
    std::vector<Link>& links = m_records[static_cast<size_t>(record)].links;
    auto found = std::find_if(links.begin(), links.end(),
                              [&](const Link& link) { return link.column == field.column; });
    if (found == links.end()) {
        const uint32_t previous = links.empty() ? 0 : links.back().fieldPosition;
        const uint32_t position = Append(field, 0, previous);
        if (!links.empty()) Put32(previous + 6, position);
        links.push_back({position, position, field.column, field.data});
        return;
    }
    const size_t i = static_cast<size_t>(found - links.begin());
    const uint32_t next = i + 1 < links.size() ? links[i + 1].chainPosition : 0;
    const uint32_t previous = i > 0 ? links[i - 1].fieldPosition : 0;
    const uint32_t position = Append(field, next, previous);
    if (i == 0 || redirect) {
        // The old place now sends readers on; a place that already did keeps doing so, so
        // a field updated twice is reached through two redirections.
        m_table[found->fieldPosition + 1] = static_cast<char>(kWinampRedirect);
        Put32(found->fieldPosition + 2, position);
    } else {
        Put32(previous + 6, position);
        found->chainPosition = position;
    }
    if (i + 1 < links.size()) Put32(links[i + 1].fieldPosition + 10, position);
    found->fieldPosition = position;
    found->data = field.data;
}

void CWinampTableWriter::RemoveRecord(int record) {
    m_records[static_cast<size_t>(record)].removed = true;
}

uint32_t CWinampTableWriter::RecordPosition(int record) const {
    const auto& links = m_records[static_cast<size_t>(record)].links;
    return links.empty() ? 0 : links.front().chainPosition;
}

uint32_t CWinampTableWriter::FieldPosition(int record, uint8_t column) const {
    for (const Link& link : m_records[static_cast<size_t>(record)].links) {
        if (link.column == column) return link.fieldPosition;
    }
    return 0;
}

std::string CWinampTableWriter::Index() const {
    std::vector<size_t> live;
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (!m_records[i].removed) live.push_back(i);
    }
    const auto entries = static_cast<uint32_t>(live.size() + 2);
    // The sorted index's order, and each record's place in it.
    std::vector<size_t> sorted(live.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    auto sortKey = [&](size_t n) -> const std::string& {
        static const std::string none;
        for (const Link& link : m_records[live[n]].links) {
            if (link.column == m_sortColumn) return link.data;
        }
        return none;
    };
    if (m_sortColumn >= 0) {
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](size_t a, size_t b) { return sortKey(a) < sortKey(b); });
    }
    std::vector<uint32_t> placeInSorted(live.size());
    for (size_t k = 0; k < sorted.size(); ++k)
        placeInSorted[sorted[k]] = static_cast<uint32_t>(k + 2);

    std::string index = "NDEINDEX";
    Append32(index, entries);
    auto block = [&](uint32_t id, const std::vector<size_t>& order, bool primary) {
        Append32(index, id);
        Append32(index, m_columnsRecord);
        Append32(index, 0);
        Append32(index, m_indexesRecord);
        Append32(index, 1);
        for (size_t k = 0; k < order.size(); ++k) {
            const size_t n = order[k];
            Append32(index, RecordPosition(static_cast<int>(live[n])));
            // Each entry links to the same record's entry in the other index.
            Append32(index, primary ? placeInSorted[n] : static_cast<uint32_t>(n + 2));
        }
    };
    std::vector<size_t> inOrder(live.size());
    std::iota(inOrder.begin(), inOrder.end(), 0);
    block(kPrimaryIndexId, inOrder, true);
    if (m_sortColumn >= 0) block(static_cast<uint32_t>(m_sortColumn), sorted, false);
    return index;
}

bool CWinampTableWriter::Write(const std::string& tablePath, const std::string& indexPath) const {
    return WriteFile(tablePath, m_table) && WriteFile(indexPath, Index());
}

}  // namespace vantor::tools
