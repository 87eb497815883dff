#include "client/settings/KeyNames.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/Registry.h"

namespace vantor::client {

namespace {

constexpr std::array<std::pair<int32_t, const char*>, 35> kNamed{{
    {0x08, "Backspace"}, {0x09, "Tab"},    {0x0C, "Clear"},  {0x0D, "Enter"},   {0x10, "Shift"},
    {0x11, "Ctrl"},      {0x1B, "Esc"},    {0x20, "Space"},  {0x21, "Page Up"}, {0x22, "Page Down"},
    {0x23, "End"},       {0x24, "Home"},   {0x25, "Left"},   {0x26, "Up"},      {0x27, "Right"},
    {0x28, "Down"},      {0x2D, "Insert"}, {0x2E, "Delete"}, {0x6A, "Num *"},   {0x6B, "Num +"},
    {0x6D, "Num -"},     {0x6E, "Num ."},  {0x6F, "Num /"},  {0x86, "Center"},  {0xBA, ";"},
    {0xBB, "="},         {0xBC, ","},      {0xBD, "-"},      {0xBE, "."},       {0xBF, "/"},
    {0xC0, "`"},         {0xDB, "["},      {0xDC, "\\"},     {0xDD, "]"},       {0xDE, "'"},
}};

std::string Format(const char* format, int32_t value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The name from the table, the character, "Num %d" or "F%d"; "" for other codes.
std::string OwnName(int32_t code) {
    for (const auto& [known, name] : kNamed) {
        if (known == code) return name;
    }
    if ((code >= 0x30 && code <= 0x39) || (code >= 0x41 && code <= 0x5A))
        return std::string(1, static_cast<char>(code));
    if (code >= 0x60 && code <= 0x69) return Format("Num %d", code - 0x60);
    if (code >= 0x70 && code <= 0x87) return Format("F%d", code - 0x70 + 1);
    return {};
}

}  // namespace

std::string KeyName(int32_t keyCode, const CRegistry* platformNames) {
    std::string name = OwnName(keyCode);
    if (!name.empty()) return name;
    if (keyCode >= kFirstHardwareButton && keyCode <= kLastHardwareButton) {
        std::string registered;
        if (platformNames &&
            platformNames->GetString(RegistryRoot::LocalMachine,
                                     Format("SOFTWARE\\Microsoft\\Shell\\Keys\\40%X", keyCode),
                                     "Name", registered) &&
            !registered.empty())
            return registered;
        return Format("Button %d", keyCode - kFirstHardwareButton + 1);
    }
    if (keyCode < 0x01 || keyCode > 0xFE) return {};
    return Format("Button %X", keyCode);
}

}  // namespace vantor::client
