// Drives the Winamp table-file reader over arbitrary pairs of files and checks what the
// library reader depends on: no crash, no hang, every text is UTF-8 and the walk ends.
//
// Input: a 4-byte little-endian length L, then L bytes of index file, then the table file.
// A seed from a written library: printf of the index size as 4 bytes, then main.idx, then
// main.dat, concatenated.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocol/TextCoding.h"
#include "server/core/Logger.h"
#include "server/library/readers/winamp/WinampTable.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsUtf8(const std::string& text) {
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = vantor::Utf8SequenceLength(text, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t indexSize = data[0] | data[1] << 8 | data[2] << 16 | size_t{data[3]} << 24;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    if (indexSize > rest.size()) return 0;
    vantor::CMemoryByteSource index(rest.substr(0, indexSize));
    vantor::CMemoryByteSource table(rest.substr(indexSize));
    vantor::CLogger logger;  // no sinks: lines go nowhere
    auto opened = vantor::CWinampTable::OpenSources(table, index, logger);
    if (!opened) return 0;
    Check(opened->Entries() >= 2);
    int32_t records = 0;
    for (opened->First(); !opened->AtEnd(); opened->Next()) {
        ++records;
        Check(records <= opened->Entries());
        for (size_t column = 0; column < 256; ++column) {
            const std::string& name = opened->Columns()[column];
            if (name.empty()) continue;
            const vantor::CWinampField* field = opened->GetField(name);
            if (field == nullptr) continue;
            if (field->IsText()) Check(IsUtf8(field->Text()));
            if (field->IsInteger()) (void)field->Integer();
        }
    }
    opened->Close();
    return 0;
}
