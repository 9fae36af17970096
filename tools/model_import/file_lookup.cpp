// Looking for a named file where it was written, then where it most likely lies now.
#include "tools/model_import/file_lookup.h"

#include <algorithm>
#include <cctype>

namespace {

namespace fs = std::filesystem;

bool isFile(const fs::path& path)
{
    std::error_code failed;
    return fs::is_regular_file(path, failed);
}

// The entry of the folder named like name regardless of case: name itself when it is there, else
// the first such in byte order; nullopt when there is none or the folder cannot be read.
std::optional<fs::path> entryIgnoringCase(const fs::path& folder, const std::string& name, bool wantFile)
{
    std::error_code failed;
    const fs::path exact = folder / name;
    if (wantFile ? isFile(exact) : fs::is_directory(exact, failed))
        return exact;
    std::optional<std::string> best;
    fs::directory_iterator entries(folder.empty() ? fs::path(".") : folder, failed);
    for (; !failed && entries != fs::directory_iterator(); entries.increment(failed)) {
        const std::string entry = entries->path().filename().string();
        const bool fits = wantFile ? isFile(entries->path()) : entries->is_directory(failed);
        if (fits && equalIgnoringCase(entry, name) && (!best || entry < *best))
            best = entry;
    }
    if (!best)
        return std::nullopt;
    return folder / *best;
}

// The file named like name regardless of case in the folders below folder, the first in byte
// order, within a few levels and a bounded number of entries: downloads often keep their pictures
// in a "textures" folder that the library does not name.
std::optional<fs::path> belowIgnoringCase(const fs::path& folder, const std::string& name)
{
    constexpr int MaxDepth = 2;          // folder/textures/hd/paint.png, no deeper
    constexpr int MaxEntries = 10000;    // a model lying in a home folder is not searched through
    std::error_code failed;
    fs::recursive_directory_iterator entries(folder.empty() ? fs::path(".") : folder,
                                             fs::directory_options::skip_permission_denied, failed);
    std::optional<fs::path> best;
    for (int seen = 0; !failed && entries != fs::recursive_directory_iterator() && seen < MaxEntries;
         entries.increment(failed), ++seen) {
        if (entries.depth() >= MaxDepth)
            entries.disable_recursion_pending();
        const fs::path& path = entries->path();
        if (entries.depth() > 0 && equalIgnoringCase(path.filename().string(), name) && isFile(path) && (!best || path < *best))
            best = path;
    }
    return best;
}

} // namespace

std::string inQuotes(std::string_view name)
{
    // Built by appending: "\"" + std::string(name) draws a false -Wrestrict from GCC 12 at -O3.
    std::string quoted = "\"";
    quoted.append(name) += '"';
    return quoted;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string portablePath(const std::string& written)
{
    std::string path = written;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::optional<FoundFile> findModelFile(const std::string& written, const std::vector<fs::path>& folders)
{
    const fs::path path = portablePath(written);
    if (path.empty() || folders.empty())
        return std::nullopt;
    const fs::path& home = folders.front();
    if (isFile(home / path))
        return FoundFile{home / path, FoundBy::AsWritten, 0};

    // The same names, each in whatever case the folder has it; an absolute path from another
    // machine fails here at its first name and is left to its bare name.
    if (path.is_relative()) {
        fs::path at = home;
        bool found = true;
        std::vector<std::string> names;
        for (const fs::path& part : path)
            names.push_back(part.string());
        for (std::size_t i = 0; i < names.size() && found; ++i) {
            if (names[i] == "." || names[i] == ".." || names[i].empty()) {
                at /= names[i];
                continue;
            }
            const auto entry = entryIgnoringCase(at, names[i], i + 1 == names.size());
            found = entry.has_value();
            if (found)
                at = *entry;
        }
        if (found)
            return FoundFile{at, FoundBy::IgnoringCase, 0};
    }

    // A path ending in a separator names no file to look for. One ending in "." or ".." is looked
    // for and never found: no folder listing holds either.
    const std::string bare = path.filename().string();
    if (bare.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (const auto entry = entryIgnoringCase(folders[i], bare, true))
            return FoundFile{*entry, FoundBy::BareName, i};
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (const auto entry = belowIgnoringCase(folders[i], bare))
            return FoundFile{*entry, FoundBy::BelowFolder, i};
    return std::nullopt;
}
