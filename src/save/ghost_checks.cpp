#include "save/ghost_checks.h"

#include <sstream>

namespace {

const char* const header = "vantor ghost checks 1";

const char* verdictWord(GhostVerdict v)
{
    switch (v) {
    case GhostVerdict::unreadable:
        return "unreadable";
    case GhostVerdict::otherTrack:
        return "other";
    case GhostVerdict::verified:
        return "verified";
    case GhostVerdict::failed:
        return "failed";
    }
    return "";
}

bool verdictOf(const std::string& word, GhostVerdict& v)
{
    for (GhostVerdict each :
         {GhostVerdict::unreadable, GhostVerdict::otherTrack, GhostVerdict::verified, GhostVerdict::failed})
        if (word == verdictWord(each)) {
            v = each;
            return true;
        }
    return false;
}

// Tabs and line breaks separate the fields and lines.
bool plain(const std::string& s) { return s.find_first_of("\t\n\r") == std::string::npos; }

bool parseHex(const std::string& text, Sha256Digest& digest)
{
    if (text.size() != 64)
        return false;
    for (size_t i = 0; i < 32; ++i) {
        unsigned value = 0;
        for (size_t k = 0; k < 2; ++k) {
            char c = text[2 * i + k];
            unsigned nibble = c >= '0' && c <= '9' ? unsigned(c - '0') : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10) : 16;
            if (nibble > 15)
                return false;
            value = value * 16 + nibble;
        }
        digest[i] = static_cast<uint8_t>(value);
    }
    return true;
}

bool parseI64(const std::string& text, int64_t& value)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoll(text);
    return true;
}

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

}  // namespace

std::string encodeGhostChecks(const std::vector<GhostCheck>& checks)
{
    std::string out = std::string(header) + "\n";
    for (const GhostCheck& c : checks) {
        if (!plain(c.path) || !plain(c.trackName) || c.path.empty())
            continue;
        std::string reason = plain(c.reason) ? c.reason : "unreadable";
        out += std::string(verdictWord(c.verdict)) + "\t" + std::to_string(c.size) + "\t" +
               std::to_string(c.modifiedNs) + "\t" + hexDigest(c.trackHash) + "\t" + c.trackName + "\t" + reason +
               "\t" + c.path + "\n";
    }
    return out;
}

std::vector<GhostCheck> decodeGhostChecks(const std::string& text)
{
    std::vector<GhostCheck> checks;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != header)
        return checks;
    while (std::getline(in, line)) {
        std::vector<std::string> f = split(line);
        GhostCheck c;
        if (f.size() != 7 || !verdictOf(f[0], c.verdict) || !parseI64(f[1], c.size) ||
            !parseI64(f[2], c.modifiedNs) || !parseHex(f[3], c.trackHash) || f[6].empty())
            continue;
        c.trackName = f[4];
        c.reason = f[5];
        c.path = f[6];
        checks.push_back(std::move(c));
    }
    return checks;
}
