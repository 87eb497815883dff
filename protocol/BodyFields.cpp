#include "protocol/BodyFields.h"

#include "protocol/MessageType.h"
#include "protocol/Xml.h"

namespace vantor {

void WriteIntIfSet(std::string& out, std::string_view name, int32_t value) {
    if (value != -1) WriteIntElement(out, name, value);
}

void WriteTextIfSet(std::string& out, std::string_view name, std::string_view value) {
    if (!value.empty()) WriteElement(out, name, value);
}

void WriteMediaTypeElement(std::string& out, std::string_view name, int32_t type) {
    WriteElement(out, name, MediaTypeName(type));
}

void ReadMediaTypeElement(const std::string& doc, std::string_view name, int32_t& type) {
    std::string text = GetElementText(doc, name);
    if (!text.empty()) type = MediaTypeFromName(text);
}

void WritePlayingStateElement(std::string& out, std::string_view name, int32_t state) {
    WriteElement(out, name, PlayingStateName(state));
}

void ReadPlayingStateElement(const std::string& doc, std::string_view name, int32_t& state) {
    PlayingStateFromName(GetElementText(doc, name), state);
}

void WriteStringList(std::string& out, std::string_view name,
                     const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) WriteElement(out, name, entry);
}

std::vector<std::string> ReadStringList(const std::string& doc, std::string_view name) {
    std::vector<std::string> entries;
    CElementFinder finder(doc, name);
    size_t cursor = 0;
    for (;;) {
        std::string entry = finder.TextAt(cursor);
        if (entry.empty()) break;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace vantor
