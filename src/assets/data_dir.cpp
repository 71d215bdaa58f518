#include "assets/data_dir.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

std::string dataDir = "data";

std::string contentFolderProblem(const std::string& dir)
{
    DIR* folder = opendir(dir.c_str());
    if (folder) {
        closedir(folder);
        return "";
    }
    const int failure = errno;
    std::string shown = dir;
    char cwd[4096];
    if (!dir.empty() && dir[0] != '/' && getcwd(cwd, sizeof cwd))
        shown = std::string(cwd) + "/" + dir;
    std::string reason = strerror(failure);
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return "cannot read the content folder " + shown + ": " + reason;
}

std::string contentFaultLine(const std::string& name, bool roadLoaded, bool timesRead)
{
    if (!roadLoaded)
        return "track " + name + " could not be loaded";
    if (!timesRead)
        return "medal times of track " + name + " could not be read; medals are not judged";
    return "";
}
