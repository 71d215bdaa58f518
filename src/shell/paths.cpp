#include "shell/paths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

static std::string envValue(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// The Vantor folder for one kind of file, or "" when no base can be found.
static std::string baseFolder(const char* xdgName, const char* homeDefault)
{
    std::string appData = envValue("APPDATA");
    if (!appData.empty())
        return appData + "/Vantor";
    std::string xdg = envValue(xdgName);
    if (!xdg.empty() && xdg[0] == '/')
        return xdg + "/Vantor";
    std::string home = envValue("HOME");
    if (home.empty() || home[0] != '/')
        return std::string();
    return home + homeDefault + "/Vantor";
}

std::string configPath()
{
    std::string dir = baseFolder("XDG_CONFIG_HOME", "/.config");
    return dir.empty() ? dir : dir + "/config.txt";
}

std::string saveDirectory() { return baseFolder("XDG_DATA_HOME", "/.local/share"); }

std::string savePath()
{
    std::string dir = saveDirectory();
    return dir.empty() ? dir : dir + "/game.save";
}
