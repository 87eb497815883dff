#pragma once

// Element encodings shared by the message bodies: "written when set" conditions, media
// types and playing states by name, and repeated-element string lists.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// An int is "set" when it is not -1; a text when it is not empty.
void WriteIntIfSet(std::string& out, std::string_view name, int32_t value);
void WriteTextIfSet(std::string& out, std::string_view name, std::string_view value);

// A media type travels as its name ("tv series").
void WriteMediaTypeElement(std::string& out, std::string_view name, int32_t type);
// Applied only when the element has text; an unknown name reads as undefined (0).
void ReadMediaTypeElement(const std::string& doc, std::string_view name, int32_t& type);

void WritePlayingStateElement(std::string& out, std::string_view name, int32_t state);
// Only the nine exact names are taken; anything else leaves `state` as it was.
void ReadPlayingStateElement(const std::string& doc, std::string_view name, int32_t& state);

// One element per entry, in order.
void WriteStringList(std::string& out, std::string_view name,
                     const std::vector<std::string>& entries);
// Walks the entries until one reads as "": an empty entry (written self-closing) is never
// found, so it drops out of the list.
std::vector<std::string> ReadStringList(const std::string& doc, std::string_view name);

}  // namespace vantor
