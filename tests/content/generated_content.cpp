#include "content/generated_content.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/wait.h>

#include "test_files.h"

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
    const std::string dir = makeTempDir(tag);
    if (dir.empty())
        return "";
    folders.made.push_back(dir);
    int status = -1;
    runBuilt("vantor-content", "'" + dir + "/data' 2>'" + dir + "/err'", status);
    return status == 0 ? dir + "/data" : "";
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

std::string runBuilt(const std::string& program, const std::string& args, int& status)
{
    std::string out;
    status = -1;
    std::FILE* p = popen(("'" + std::string(VANTOR_BUILD_DIR) + "/" + program + "' " + args).c_str(), "r");
    if (!p)
        return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
        out.append(buffer, n);
    const int raw = pclose(p);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}
