#include "content/generated_content.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct Folders {
    std::vector<std::string> made;
    ~Folders()
    {
        std::error_code ignored;
        for (const std::string& dir : made)
            std::filesystem::remove_all(dir, ignored);
    }
};
Folders folders;

} // namespace

std::string runContentTool(const std::string& tag)
{
    std::string pattern = (std::filesystem::temp_directory_path() / ("vantor-" + tag + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        return "";
    std::string dir(buf.data());
    folders.made.push_back(dir);
    std::string cmd = "'" + std::string(VANTOR_BUILD_DIR) + "/vantor-content' '" + dir + "/data' 2>'" + dir + "/err'";
    if (std::system(cmd.c_str()) != 0)
        return "";
    return dir + "/data";
}

const std::string& generatedContent()
{
    static const std::string dir = runContentTool("content");
    return dir;
}

std::vector<std::string> filesBelow(const std::string& root)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file())
            out.push_back(std::filesystem::relative(it->path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
