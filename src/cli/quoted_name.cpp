#include "cli/quoted_name.h"

#include <cstdint>
#include <cstdio>

namespace {

void appendByteEscape(std::string& out, unsigned char byte)
{
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    out += escape;
}

// The length of the well-formed UTF-8 sequence of a printable character
// starting at text[at], or 0 for a stray byte, a malformed sequence or a C1
// control character.
size_t printableSequence(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length;
    uint32_t codePoint;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3f);
    }
    const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool wellFormed = codePoint >= shortest[length] && codePoint <= 0x10ffff &&
                            !(codePoint >= 0xd800 && codePoint <= 0xdfff);
    const bool control = codePoint >= 0x80 && codePoint <= 0x9f;
    return wellFormed && !control ? length : 0;
}

} // namespace

std::string quotedName(const std::string& name)
{
    std::string out = "'";
    for (size_t at = 0; at < name.size();) {
        const unsigned char byte = static_cast<unsigned char>(name[at]);
        if (byte >= 0x80) {
            const size_t length = printableSequence(name, at);
            if (length == 0) {
                appendByteEscape(out, byte);
                ++at;
            } else {
                out.append(name, at, length);
                at += length;
            }
            continue;
        }
        switch (byte) {
        case '\\': out += "\\\\"; break;
        case '\'': out += "\\'"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (byte < 0x20 || byte == 0x7f)
                appendByteEscape(out, byte);
            else
                out += static_cast<char>(byte);
        }
        ++at;
    }
    return out + "'";
}
