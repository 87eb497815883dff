#include "server/library/store/QueryText.h"

#include "server/library/store/TextFolding.h"

#include <cstdarg>
#include <cstdio>

namespace vantor {

std::string EscapeQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string FormatSql(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<size_t>(length));
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}

bool ApplyPaging(std::string& query, int32_t start, int32_t count) {
    if (start <= 0 && count == -1) return false;
    if (!query.empty() && query.back() == ';') query.pop_back();
    query += FormatSql(" LIMIT %d,%d;", start, count);
    return true;
}

std::string MakeCountQuery(const std::string& query) {
    std::string counted;
    size_t limit = query.find("LIMIT ");
    if (limit == std::string::npos) {
        size_t length = query.size();
        if (length > 0 && query[length - 1] == ';') --length;
        counted = query.substr(0, length) + " LIMIT 1;";
    } else {
        size_t valueStart = limit + 6;
        size_t end = query.find(';', valueStart);
        if (end == std::string::npos) return std::string();
        counted = query.substr(0, valueStart) + "1" + query.substr(end);
    }
    size_t select = counted.find("SELECT ");
    if (select == std::string::npos) return std::string();
    size_t from = counted.find(" FROM", select + 7);
    if (from == std::string::npos) return std::string();
    return counted.substr(0, select + 7) + "COUNT(*)" + counted.substr(from);
}

std::string NormalizeSearchText(std::string_view text) {
    std::string trimmed(TrimWhiteSpace(text));
    std::string out;
    out.reserve(trimmed.size());
    size_t pos = 0;
    while (pos < trimmed.size()) {
        if (trimmed.compare(pos, 2, "  ") == 0) {
            out += ' ';
            pos += 2;
        } else {
            out += trimmed[pos++];
        }
    }
    return out;
}

std::string BuildSearchClause(std::string_view column, const std::string& text) {
    std::string escaped = EscapeQuotes(text);
    if (escaped.empty()) return "1";
    std::string clause = "( ";
    size_t pos = 0;
    while (pos <= escaped.size()) {
        size_t space = escaped.find(' ', pos);
        if (space == std::string::npos) space = escaped.size();
        std::string_view word = std::string_view(escaped).substr(pos, space - pos);
        while (!word.empty() && (word.front() == ' ' || word.front() == '\t'))
            word.remove_prefix(1);
        clause += "(";
        clause += column;
        clause += " LIKE '%";
        clause += word;
        clause += "%') AND ";
        pos = space + 1;
    }
    clause.resize(clause.size() - 4);
    clause += ") ";
    return clause;
}

}  // namespace vantor
