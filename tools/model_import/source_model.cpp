// Reading an exported OBJ model and its MTL libraries leniently.
#include "tools/model_import/source_model.h"

#include <algorithm>
#include <map>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// The line without its line end, leading blanks and a comment after '#'.
std::string cleaned(std::string line)
{
    if (const std::size_t hash = line.find('#'); hash != std::string::npos)
        line.erase(hash);
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    const std::size_t last = line.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// The rest of the line after the keyword, blanks trimmed: a name or a file name, spaces and all.
std::string restAfter(const std::string& line, const std::string& keyword)
{
    const std::size_t start = line.find_first_not_of(" \t", keyword.size());
    return start == std::string::npos ? std::string() : line.substr(start);
}

std::vector<double> numbersOf(std::istringstream& words)
{
    std::vector<double> numbers;
    for (std::string word; words >> word;) {
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end == word.c_str() || *end != '\0')
            break;
        numbers.push_back(value);
    }
    return numbers;
}

// An OBJ index, from 1 or counted back from the last element read so far, as an index from 0;
// -1 for one that names nothing read so far.
int resolve(const std::string& text, std::size_t count)
{
    char* end = nullptr;
    const long index = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || index == 0)
        return -1;
    const long resolved = index > 0 ? index - 1 : static_cast<long>(count) + index;
    return resolved >= 0 && resolved < static_cast<long>(count) ? static_cast<int>(resolved) : -1;
}

// The file a map line names once its options are taken off: those of a word ("-clamp on") and
// those of up to a few numbers ("-s 1 1 1").
std::string mapFile(const std::string& value)
{
    static const std::map<std::string, int> numeric = {{"-bm", 1}, {"-boost", 1}, {"-mm", 2}, {"-o", 3},
                                                       {"-s", 3}, {"-t", 3}, {"-texres", 1}};
    static const std::map<std::string, int> worded = {{"-blendu", 1}, {"-blendv", 1}, {"-cc", 1},
                                                      {"-clamp", 1}, {"-imfchan", 1}, {"-type", 1}};
    std::vector<std::pair<std::string, std::size_t>> words; // each with where it starts
    for (std::size_t at = value.find_first_not_of(" \t"); at != std::string::npos;) {
        const std::size_t end = value.find_first_of(" \t", at);
        words.emplace_back(value.substr(at, end - at), at);
        at = end == std::string::npos ? end : value.find_first_not_of(" \t", end);
    }
    const auto isNumber = [](const std::string& word) {
        char* end = nullptr;
        std::strtod(word.c_str(), &end);
        return end != word.c_str() && *end == '\0';
    };
    std::size_t i = 0;
    while (i < words.size()) {
        const std::string& option = words[i].first;
        if (worded.count(option) != 0) {
            i += 2;
        } else if (const auto found = numeric.find(option); found != numeric.end()) {
            const std::size_t last = std::min(words.size(), i + 1 + static_cast<std::size_t>(found->second));
            for (++i; i < last && isNumber(words[i].first);)
                ++i;
        } else {
            break;
        }
    }
    return i < words.size() ? value.substr(words[i].second) : std::string();
}

bool readLibrary(const fs::path& path, SourceModel& model, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot read the material library " + path.string();
        return false;
    }
    SourceMaterial* current = nullptr;
    for (std::string raw; std::getline(file, raw);) {
        const std::string line = cleaned(raw);
        std::istringstream words(line);
        std::string key;
        if (!(words >> key))
            continue;
        if (key == "newmtl") {
            model.materials.push_back({});
            current = &model.materials.back();
            current->name = restAfter(line, key);
            current->folder = path.parent_path();
            continue;
        }
        if (current == nullptr)
            continue;
        const std::vector<double> n = numbersOf(words);
        if ((key == "Ka" || key == "Kd" || key == "Ks") && !n.empty()) {
            // One number is a grey.
            std::array<double, 3>& colour = key == "Ka" ? current->ka : key == "Kd" ? current->kd : current->ks;
            colour = n.size() >= 3 ? std::array<double, 3>{n[0], n[1], n[2]} : std::array<double, 3>{n[0], n[0], n[0]};
        } else if (key == "Ns" && !n.empty()) {
            current->hasNs = true;
            current->ns = n[0];
        } else if (key == "d" && !n.empty()) {
            current->hasD = true;
            current->d = n[0];
        } else if (key == "Tr" && !n.empty()) {
            current->hasTr = true;
            current->tr = n[0];
        } else if (key == "Smooth" && !n.empty()) {
            current->smooth = static_cast<int>(n[0]);
        } else if (key == "Normal" && !n.empty()) {
            current->normal = static_cast<int>(n[0]);
        } else if (key == "map_Kd" || key == "map_Ks" || key == "map_Ka" || key == "map_Ke") {
            const std::string value = restAfter(line, key);
            std::string name = mapFile(value);
            for (char& c : name)
                if (c == '\\')
                    c = '/'; // a folder written the Windows way
            if (!name.empty())
                current->maps.push_back({key, name, name.size() != value.size()});
        }
    }
    return true;
}

} // namespace

bool readSourceModel(const fs::path& objPath, SourceModel& model, std::string& error)
{
    std::ifstream file(objPath);
    if (!file || fs::is_directory(objPath)) {
        error = "cannot read " + objPath.string();
        return false;
    }
    std::string material;
    for (std::string raw; std::getline(file, raw);) {
        const std::string line = cleaned(raw);
        std::istringstream words(line);
        std::string key;
        if (!(words >> key))
            continue;
        if (key == "v" || key == "vt" || key == "vn") {
            const std::vector<double> n = numbersOf(words);
            auto& table = key == "v" ? model.positions : key == "vt" ? model.texCoords : model.normals;
            if (key == "v" && n.size() >= 6)
                ++model.vertexColours;
            if (n.size() >= (key == "vt" ? 1u : 3u))
                table.push_back({n[0], n.size() > 1 ? n[1] : 0.0, n.size() > 2 ? n[2] : 0.0});
        } else if (key == "f") {
            SourcePolygon polygon{{}, material};
            bool bad = false;
            for (std::string corner; words >> corner;) {
                // v, v/vt, v//vn or v/vt/vn
                const std::size_t slash = corner.find('/'), second = slash == std::string::npos ? slash : corner.find('/', slash + 1);
                SourceCorner c;
                c.position = resolve(corner.substr(0, slash), model.positions.size());
                if (slash != std::string::npos) {
                    const std::string vt = corner.substr(slash + 1, second == std::string::npos ? std::string::npos : second - slash - 1);
                    c.texCoord = vt.empty() ? -1 : resolve(vt, model.texCoords.size());
                    bad = bad || (!vt.empty() && c.texCoord < 0);
                }
                if (second != std::string::npos) {
                    c.normal = resolve(corner.substr(second + 1), model.normals.size());
                    bad = bad || c.normal < 0;
                }
                bad = bad || c.position < 0;
                polygon.corners.push_back(c);
            }
            if (bad || polygon.corners.size() < 3)
                ++model.badFaces;
            else if (polygon.corners.size() > MaxPolygonCorners)
                ++model.hugeFaces;
            else
                model.polygons.push_back(polygon);
        } else if (key == "usemtl") {
            material = restAfter(line, key);
        } else if (key == "mtllib") {
            // One library with spaces in its name, or several, each one word.
            const std::string rest = restAfter(line, key);
            std::vector<std::string> names;
            if (fs::exists(objPath.parent_path() / rest)) {
                names.push_back(rest);
            } else {
                std::istringstream split(rest);
                for (std::string name; split >> name;)
                    names.push_back(name);
            }
            for (const std::string& name : names)
                if (!readLibrary(objPath.parent_path() / name, model, error))
                    return false;
        } else if (key == "l" || key == "p") {
            ++model.linesAndPoints;
        } else if (key == "o" || key == "g" || key == "s") {
            ++model.groupingLines;
        } else {
            ++model.otherLines;
        }
    }
    return true;
}
