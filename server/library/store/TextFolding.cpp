#include "server/library/store/TextFolding.h"

#include "protocol/TextCoding.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace vantor {

namespace {

bool InRange(char32_t cp, char32_t first, char32_t last) {
    return cp >= first && cp <= last;
}

// Blocks where upper and lower case alternate: even code point upper, odd lower.
bool IsEvenUpperPair(char32_t cp) {
    return InRange(cp, 0x0100, 0x012F) || InRange(cp, 0x0132, 0x0137) ||
           InRange(cp, 0x014A, 0x0177) || InRange(cp, 0x0182, 0x0185) ||
           InRange(cp, 0x01A0, 0x01A5) || InRange(cp, 0x01DE, 0x01EF) ||
           InRange(cp, 0x01F8, 0x021F) || InRange(cp, 0x0222, 0x0233) ||
           InRange(cp, 0x0246, 0x024F) || InRange(cp, 0x03D8, 0x03EF) ||
           InRange(cp, 0x0460, 0x0481) || InRange(cp, 0x048A, 0x04BF) ||
           InRange(cp, 0x04D0, 0x052F) || InRange(cp, 0x1E00, 0x1E95) ||
           InRange(cp, 0x1EA0, 0x1EFF) || InRange(cp, 0x2C80, 0x2CE3) ||
           InRange(cp, 0xA640, 0xA66D) || InRange(cp, 0xA680, 0xA69B) ||
           InRange(cp, 0xA722, 0xA72F) || InRange(cp, 0xA732, 0xA76F) ||
           InRange(cp, 0xA77E, 0xA787) || InRange(cp, 0xA790, 0xA793) ||
           InRange(cp, 0xA796, 0xA7A9);
}

// Blocks where an odd code point is upper case and the following even one lower case.
bool IsOddUpperPair(char32_t cp) {
    return InRange(cp, 0x0139, 0x0148) || InRange(cp, 0x0179, 0x017E) ||
           InRange(cp, 0x01CD, 0x01DC) || InRange(cp, 0x04C1, 0x04CE);
}

char32_t ToLower(char32_t cp) {
    if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 0x20 : cp;
    if (InRange(cp, 0x00C0, 0x00DE) && cp != 0x00D7) return cp + 0x20;
    if (IsEvenUpperPair(cp)) return (cp & 1) == 0 ? cp + 1 : cp;
    if (IsOddUpperPair(cp)) return (cp & 1) == 1 ? cp + 1 : cp;
    switch (cp) {
        case 0x0130:
            return 0x0069;  // dotted capital I
        case 0x0178:
            return 0x00FF;
        case 0x0181:
            return 0x0253;
        case 0x0186:
            return 0x0254;
        case 0x0189:
            return 0x0256;
        case 0x018A:
            return 0x0257;
        case 0x018E:
            return 0x01DD;
        case 0x018F:
            return 0x0259;
        case 0x0190:
            return 0x025B;
        case 0x0193:
            return 0x0260;
        case 0x0194:
            return 0x0263;
        case 0x0196:
            return 0x0269;
        case 0x0197:
            return 0x0268;
        case 0x019C:
            return 0x026F;
        case 0x019D:
            return 0x0272;
        case 0x019F:
            return 0x0275;
        case 0x01A9:
            return 0x0283;
        case 0x01AE:
            return 0x0288;
        case 0x01B1:
            return 0x028A;
        case 0x01B2:
            return 0x028B;
        case 0x01B7:
            return 0x0292;
        case 0x01C4:
        case 0x01C7:
        case 0x01CA:
        case 0x01F1:
            return cp + 2;
        case 0x01C5:
        case 0x01C8:
        case 0x01CB:
        case 0x01F2:
            return cp + 1;
        case 0x0187:
        case 0x018B:
        case 0x0191:
        case 0x0198:
        case 0x01A7:
        case 0x01AC:
        case 0x01AF:
        case 0x01B3:
        case 0x01B5:
        case 0x01B8:
        case 0x01BC:
        case 0x01F4:
            return cp + 1;
        case 0x01F6:
            return 0x0195;
        case 0x01F7:
            return 0x01BF;
        case 0x0220:
            return 0x019E;
        case 0x1E9E:
            return 0x00DF;  // capital sharp s
        case 0x0386:
            return 0x03AC;
        case 0x0388:
        case 0x0389:
        case 0x038A:
            return cp + 0x25;
        case 0x038C:
            return 0x03CC;
        case 0x038E:
        case 0x038F:
            return cp + 0x3F;
        case 0x03CF:
            return 0x03D7;
        case 0x03F4:
            return 0x03B8;
        case 0x03F7:
        case 0x03FA:
            return cp + 1;
        case 0x03F9:
            return 0x03F2;
        case 0x04C0:
            return 0x04CF;
        case 0x2126:
            return 0x03C9;  // ohm sign
        case 0x212A:
            return 0x006B;  // kelvin sign
        case 0x212B:
            return 0x00E5;  // angstrom sign
        default:
            break;
    }
    if (InRange(cp, 0x0391, 0x03AB) && cp != 0x03A2) return cp + 0x20;
    if (InRange(cp, 0x03FD, 0x03FF)) return cp - 0x82;
    if (InRange(cp, 0x0400, 0x040F)) return cp + 0x50;
    if (InRange(cp, 0x0410, 0x042F)) return cp + 0x20;
    if (InRange(cp, 0x0531, 0x0556)) return cp + 0x30;
    if (InRange(cp, 0x10A0, 0x10C5)) return cp + 0x1C60;
    if (InRange(cp, 0x13A0, 0x13EF)) return cp + 0x97D0;                // Cherokee
    if (InRange(cp, 0x1F08, 0x1F6F) && (cp & 0x8) != 0) return cp - 8;  // Greek extended
    if (InRange(cp, 0x2160, 0x216F)) return cp + 0x10;
    if (InRange(cp, 0x24B6, 0x24CF)) return cp + 0x1A;
    if (InRange(cp, 0x2C00, 0x2C2F)) return cp + 0x30;  // Glagolitic
    if (InRange(cp, 0xFF21, 0xFF3A)) return cp + 0x20;
    if (InRange(cp, 0x10400, 0x10427)) return cp + 0x28;  // Deseret
    return cp;
}

// Base letters of U+00DF..U+00FF and U+0100..U+017F once lower-cased; '*' marks a letter
// spelled out with two (see FoldedLetter), '-' a character kept as it is.
constexpr std::string_view kLatin1Bases = "*aaaaaa*ceeeeiiiidnooooo-ouuuuy*y";
constexpr std::string_view kLatinExtendedABases =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllllnnnnnnnnnoooooo**"
    "rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

// Accented letters outside the two Latin blocks, with their plain letter.
constexpr std::pair<char32_t, char32_t> kOtherAccented[] = {
    {0x0390, 0x03B9}, {0x03AF, 0x03B9}, {0x03CA, 0x03B9},  // iota
    {0x03B0, 0x03C5}, {0x03CD, 0x03C5}, {0x03CB, 0x03C5},  // upsilon
    {0x03AC, 0x03B1}, {0x03AD, 0x03B5}, {0x03AE, 0x03B7},
    {0x03CC, 0x03BF}, {0x03CE, 0x03C9}, {0x0451, 0x0435},  // Cyrillic yo
};

// Letters spelled out with two.
constexpr std::pair<char32_t, std::string_view> kSpelledOut[] = {
    {0x00DF, "ss"}, {0x00E6, "ae"}, {0x00FE, "th"}, {0x0132, "ij"},
    {0x0133, "ij"}, {0x0152, "oe"}, {0x0153, "oe"},
};

// The letters of `cp` (already lower-cased) without diacritics; `out` stays empty when the
// character has none to take off.
void FoldedLetter(char32_t cp, std::string& out) {
    out.clear();
    char base = 0;
    if (InRange(cp, 0x00DF, 0x00FF)) {
        base = kLatin1Bases[cp - 0x00DF];
    } else if (InRange(cp, 0x0100, 0x017F)) {
        base = kLatinExtendedABases[cp - 0x0100];
    }
    if (base == '*') {
        for (const auto& [letter, spelled] : kSpelledOut) {
            if (letter == cp) out = spelled;
        }
        return;
    }
    if (base != 0 && base != '-') {
        out = base;
        return;
    }
    for (const auto& [accented, plain] : kOtherAccented) {
        if (accented == cp) AppendUtf8(plain, out);
    }
}

bool IsCombiningMark(char32_t cp) {
    return InRange(cp, 0x0300, 0x036F) || InRange(cp, 0x1AB0, 0x1AFF) ||
           InRange(cp, 0x1DC0, 0x1DFF) || InRange(cp, 0x20D0, 0x20FF) ||
           InRange(cp, 0xFE20, 0xFE2F);
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

// Rewrites text code point by code point; bytes that are not valid UTF-8 pass through.
template <typename Append>
std::string MapCodePoints(std::string_view text, Append append) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            out += text[pos++];
            continue;
        }
        pos += length;
        append(cp, out);
    }
    return out;
}

std::string Utf8ToLower(std::string_view text) {
    return MapCodePoints(text, [](char32_t cp, std::string& out) {
        cp = ToLower(cp);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            AppendUtf8(cp, out);
        }
    });
}

void FoldAccentsInto(std::string_view text, std::string& out) {
    out.clear();
    size_t pos = 0;
    std::string letters;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {  // most names are plain ASCII
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        const size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            out += text[pos++];
            continue;
        }
        pos += length;
        cp = ToLower(cp);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (IsCombiningMark(cp)) continue;
        FoldedLetter(cp, letters);
        if (letters.empty()) {
            AppendUtf8(cp, out);
        } else {
            out += letters;
        }
    }
}

std::string FoldAccents(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    FoldAccentsInto(text, out);
    return out;
}

std::string_view TrimWhiteSpace(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsAsciiSpace(text[begin])) ++begin;
    while (end > begin && IsAsciiSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string MakeSortName(std::string_view name) {
    std::string lowered = Utf8ToLower(name);
    std::string sortName(TrimWhiteSpace(lowered));
    if (sortName.size() > 4 && sortName.compare(0, 4, "the ") == 0) sortName.erase(0, 4);
    return sortName;
}

}  // namespace vantor
