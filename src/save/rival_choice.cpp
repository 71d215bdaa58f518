#include "save/rival_choice.h"

#include <sstream>

namespace {

bool plain(const std::string& s) { return s.find_first_of("\t\n\r") == std::string::npos; }

}  // namespace

std::string encodeRivalChoices(const std::map<std::string, std::string>& chosen)
{
    std::string out;
    for (const auto& [track, file] : chosen)
        if (!track.empty() && plain(track) && plain(file))
            out += track + "\t" + file + "\n";
    return out;
}

std::map<std::string, std::string> decodeRivalChoices(const std::string& text)
{
    std::map<std::string, std::string> chosen;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || line.find('\t', tab + 1) != std::string::npos ||
            line.find('/', tab) != std::string::npos)
            continue;
        chosen[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return chosen;
}
