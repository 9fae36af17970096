// Reading an exported OBJ model and its MTL libraries leniently, line by line, from bytes or from
// a file read in blocks.
#include "tools/model_import/source_model.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>

#include "tools/model_import/file_lookup.h"

namespace {

namespace fs = std::filesystem;

// The byte-order mark some editors put before a UTF-8 file's first line.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Tested a character at a time: a search for any of a set of characters costs a call per
// character, which is most of the reading time of a large model.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next word of text, blanks skipped; text is left after it.
std::string_view nextWord(std::string_view& text)
{
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    std::size_t end = first;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    const std::string_view word = text.substr(first, end - first);
    text.remove_prefix(end);
    return word;
}

// A whole word read as a number a float holds; "+1" as well as "1".
bool parseNumber(std::string_view word, double& value)
{
    if (word.size() > 1 && word[0] == '+' && word[1] != '-')
        word.remove_prefix(1);
    const auto [end, failed] = std::from_chars(word.data(), word.data() + word.size(), value);
    return failed == std::errc() && end == word.data() + word.size() && std::isfinite(value) &&
           std::abs(value) <= std::numeric_limits<float>::max();
}

// Up to three numbers from the words of text; how many were read before the first that is not one.
int parseNumbers(std::string_view text, std::array<double, 3>& values)
{
    int count = 0;
    for (std::string_view word; count < 3 && !(word = nextWord(text)).empty(); ++count)
        if (!parseNumber(word, values[static_cast<std::size_t>(count)]))
            break;
    return count;
}

// The line without a comment: '#' starts one, except on the lines that name things, where it may
// be part of a name ("usemtl Material #25", "map_Kd paint#2.png").
std::string_view withoutComment(std::string_view line, bool names)
{
    if (!names)
        line = line.substr(0, line.find('#'));
    return trimmed(line);
}

// An OBJ index, from 1 or counted back from the last element read so far, as an index from 0;
// -1 for one that names nothing read so far.
int resolve(std::string_view text, std::size_t count)
{
    long index = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || failed != std::errc() || end != text.data() + text.size() || index == 0)
        return -1;
    const long resolved = index > 0 ? index - 1 : static_cast<long>(count) + index;
    return resolved >= 0 && resolved < static_cast<long>(count) ? static_cast<int>(resolved) : -1;
}

// The file a map line names once its options are taken off: those that take a word ("-clamp on")
// and those that take numbers ("-s 1 1 1"), as many as follow.
std::string_view mapFile(std::string_view value, bool& hadOptions)
{
    static constexpr std::string_view worded[] = {"-blendu", "-blendv", "-cc", "-clamp", "-imfchan", "-type"};
    static constexpr std::string_view numbered[] = {"-bm", "-boost", "-mm", "-o", "-s", "-t", "-texres"};
    const auto among = [](const auto& options, std::string_view word) {
        return std::find(std::begin(options), std::end(options), word) != std::end(options);
    };
    std::string_view rest = trimmed(value);
    for (;;) {
        std::string_view after = rest;
        const std::string_view word = nextWord(after);
        const bool takesWord = among(worded, word), takesNumbers = among(numbered, word);
        if (!takesWord && !takesNumbers)
            break;
        hadOptions = true;
        rest = after;
        if (takesWord)
            nextWord(rest);
        double number = 0;
        for (std::string_view next = rest; takesNumbers && parseNumber(nextWord(next), number);)
            rest = next;
    }
    return trimmed(rest);
}

bool isMapKey(std::string_view key)
{
    static constexpr std::string_view others[] = {"bump", "disp", "decal", "refl", "norm"};
    return (key.size() > 4 && equalIgnoringCase(key.substr(0, 4), "map_")) ||
           std::any_of(std::begin(others), std::end(others), [&](std::string_view k) { return equalIgnoringCase(key, k); });
}

void addOnce(std::vector<std::string>& keys, std::string_view key)
{
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
        keys.emplace_back(key);
}

// Reads the file in blocks, so that memory does not grow with its size, splits them into lines
// without their line ends (a line that runs past a block is carried into the next), takes the
// byte-order mark off the first, and hands each to onLine until it returns false. Lines longer
// than MaxSourceLineLength are counted in longLines instead. False when onLine stopped it or
// reading failed, with readFailed set for the latter.
template <class OnLine>
bool forEachLine(std::FILE* file, int& longLines, bool& readFailed, OnLine&& onLine)
{
    constexpr std::size_t BlockSize = 1 << 20;
    const std::unique_ptr<char[]> block(new char[BlockSize]);
    std::string carried; // the start of a line the last block ended in
    bool first = true, overlong = false;
    for (std::size_t got; (got = std::fread(block.get(), 1, BlockSize, file)) > 0; first = false) {
        std::string_view bytes(block.get(), got);
        if (first && bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
            bytes.remove_prefix(ByteOrderMark.size());
        for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos;) {
            std::string_view line = bytes.substr(0, end);
            bytes.remove_prefix(end + 1);
            overlong = overlong || carried.size() + line.size() > MaxSourceLineLength;
            if (!overlong && !carried.empty())
                line = carried.append(line);
            if (overlong)
                ++longLines;
            else if (!onLine(line))
                return false;
            carried.clear();
            overlong = false;
        }
        // Only what fits a line is kept; the rest of an overlong one is skipped.
        overlong = overlong || carried.size() + bytes.size() > MaxSourceLineLength;
        if (!overlong)
            carried.append(bytes);
    }
    readFailed = std::ferror(file) != 0;
    if (overlong)
        ++longLines;
    else if (!carried.empty() && !onLine(std::string_view(carried)))
        return false;
    return !readFailed;
}

class MtlParser {
public:
    MtlParser(SourceModel& model, const fs::path& folder) : model_(model), folder_(folder) {}

    bool line(std::string_view raw)
    {
        std::string_view rest = trimmed(raw);
        // Blender has no ambient colour; it says who wrote the file on its first line.
        if (first_ && rest.substr(0, 9) == "# Blender")
            fromBlender_ = true;
        first_ = false;
        const std::string_view key = nextWord(rest);
        if (key.empty() || key[0] == '#')
            return true;
        const bool mapLine = isMapKey(key);
        rest = withoutComment(rest, mapLine || equalIgnoringCase(key, "newmtl"));
        if (equalIgnoringCase(key, "newmtl")) {
            model_.materials.emplace_back();
            current_ = model_.materials.size() - 1;
            model_.materials.back().name = std::string(rest);
            model_.materials.back().folder = folder_;
            model_.materials.back().kaIsMetallic = fromBlender_;
            return true;
        }
        if (current_ == NoMaterial)
            return true;
        SourceMaterial& m = model_.materials[current_];
        std::array<double, 3> n = {0, 0, 0};
        const int count = parseNumbers(rest, n);
        // One number for a colour is a grey.
        const std::array<double, 3> colour = count >= 3 ? n : std::array<double, 3>{n[0], n[0], n[0]};
        if (mapLine) {
            bool hadOptions = false;
            const std::string_view file = mapFile(rest, hadOptions);
            if (!file.empty())
                m.maps.push_back({std::string(key), std::string(file), hadOptions});
        } else if (!isKnown(key)) {
            addOnce(m.otherKeys, key);
        } else if (count == 0) {
            // A known key without a number changes nothing.
        } else if (equalIgnoringCase(key, "Ka")) {
            m.ka = colour;
        } else if (equalIgnoringCase(key, "Kd")) {
            m.kd = colour;
        } else if (equalIgnoringCase(key, "Ks")) {
            m.ks = colour;
        } else if (equalIgnoringCase(key, "Ke")) {
            m.ke = colour;
        } else if (equalIgnoringCase(key, "Ns")) {
            m.ns = n[0];
        } else if (key == "d") {
            m.d = n[0];
        } else if (equalIgnoringCase(key, "Tr")) {
            m.tr = n[0];
        } else if (key == "Smooth") {
            m.smooth = static_cast<int>(n[0]);
        } else if (key == "Normal") {
            m.normal = static_cast<int>(n[0]);
        }
        return true;
    }

private:
    static bool isKnown(std::string_view key)
    {
        static constexpr std::string_view known[] = {"Ka", "Kd", "Ks", "Ke", "Ns", "Tr"};
        return key == "d" || key == "Smooth" || key == "Normal" ||
               std::any_of(std::begin(known), std::end(known), [&](std::string_view k) { return equalIgnoringCase(key, k); });
    }

    static constexpr std::size_t NoMaterial = static_cast<std::size_t>(-1);
    SourceModel& model_;
    fs::path folder_;
    std::size_t current_ = NoMaterial;
    bool first_ = true, fromBlender_ = false;
};

class ObjParser {
public:
    ObjParser(const std::string& source, const SourceLimits& limits, SourceModel& model,
              const std::function<void(std::string_view)>& readLibrary, std::string& error)
        : source_(source), limits_(limits), model_(model), readLibrary_(readLibrary), error_(error)
    {
    }

    // False when the model is past a limit: the message is in error.
    bool line(std::string_view raw)
    {
        ++lineNumber_;
        std::string_view rest = trimmed(raw);
        const std::string_view key = nextWord(rest);
        if (key.empty() || key[0] == '#')
            return true;
        const bool names = key == "usemtl" || key == "mtllib";
        rest = withoutComment(rest, names);
        if (key == "v" || key == "vt" || key == "vn")
            return element(key, rest);
        if (key == "f")
            return face(rest);
        if (key == "usemtl") {
            const auto at = std::find(model_.materialNames.begin(), model_.materialNames.end(), rest);
            material_ = static_cast<int>(at - model_.materialNames.begin());
            if (at == model_.materialNames.end())
                model_.materialNames.emplace_back(rest);
            if (material_ >= static_cast<int>(materialUsed_.size()))
                materialUsed_.resize(static_cast<std::size_t>(material_) + 1, false);
        } else if (key == "mtllib") {
            readLibrary_(rest);
        } else if (key == "l" || key == "p") {
            ++model_.linesAndPoints;
        } else if (key == "o" || key == "g" || key == "s") {
            ++model_.groupingLines;
        } else {
            ++model_.otherLines[std::string(key)];
        }
        return true;
    }

private:
    bool element(std::string_view key, std::string_view rest)
    {
        SourceTable& table = key == "v" ? model_.positions : key == "vt" ? model_.texCoords : model_.normals;
        if (table.values.size() >= limits_.elementsRead)
            return fail("holds more than " + std::to_string(limits_.elementsRead) + " " + nameOf(table) +
                        "; the game draws at most " + std::to_string(limits_.elements) + " of them");
        // Every line counts, whatever it holds, so that the faces' indices keep naming what the
        // exporter meant; numbers it lacks are 0, as a texture coordinate's second and third are.
        std::array<double, 3> n = {0, 0, 0};
        const int count = parseNumbers(rest, n);
        const int needed = key == "vt" ? 1 : 3;
        table.malformed += count < needed;
        for (int i = count; i < 3; ++i)
            n[static_cast<std::size_t>(i)] = 0;
        if (key == "v" && count == 3) {
            // Colours after the position: three more numbers.
            std::string_view after = rest;
            for (int i = 0; i < 3; ++i)
                nextWord(after);
            std::array<double, 3> colour{};
            model_.vertexColours += parseNumbers(after, colour) == 3;
        }
        table.values.push_back(n);
        table.useOrder.push_back(-1);
        return true;
    }

    bool face(std::string_view rest)
    {
        const std::size_t first = model_.corners.size();
        bool bad = false, texCoords = true, normals = true, someTexCoords = false, someNormals = false;
        std::size_t count = 0;
        for (std::string_view corner; !(corner = nextWord(rest)).empty(); ++count) {
            if (count == MaxPolygonCorners) {
                ++count; // more than the most kept: the polygon is dropped below
                break;
            }
            // v, v/vt, v//vn or v/vt/vn
            const std::size_t slash = corner.find('/');
            const std::size_t second = slash == std::string_view::npos ? slash : corner.find('/', slash + 1);
            SourceCorner c;
            c.position = resolve(corner.substr(0, slash), model_.positions.values.size());
            bad = bad || c.position < 0;
            const std::string_view vt = slash == std::string_view::npos ? std::string_view()
                                        : corner.substr(slash + 1, second == std::string_view::npos ? second : second - slash - 1);
            if (!vt.empty()) {
                c.texCoord = resolve(vt, model_.texCoords.values.size());
                bad = bad || c.texCoord < 0;
            }
            if (second != std::string_view::npos) {
                c.normal = resolve(corner.substr(second + 1), model_.normals.values.size());
                bad = bad || c.normal < 0;
            }
            texCoords = texCoords && c.texCoord >= 0;
            normals = normals && c.normal >= 0;
            someTexCoords = someTexCoords || c.texCoord >= 0;
            someNormals = someNormals || c.normal >= 0;
            model_.corners.push_back(c);
        }
        if (bad || count < 3 || count > MaxPolygonCorners) {
            if (bad || count < 3)
                ++model_.badFaces;
            else
                ++model_.hugeFaces;
            model_.corners.resize(first);
            return true;
        }
        SourcePolygon polygon;
        polygon.firstCorner = static_cast<std::uint32_t>(first);
        polygon.cornerCount = static_cast<std::uint32_t>(count);
        polygon.material = material_;
        polygon.texCoords = texCoords;
        polygon.normals = normals;
        model_.polygons.push_back(polygon);
        model_.partialFaces += (someTexCoords && !texCoords) || (someNormals && !normals);

        // What the face uses, counted as it comes, so that a model past the game's limits is
        // refused here rather than after the rest of the file.
        for (std::size_t i = first; i < model_.corners.size(); ++i) {
            const SourceCorner& c = model_.corners[i];
            if (!use(model_.positions, c.position) || (texCoords && !use(model_.texCoords, c.texCoord)) ||
                (normals && !use(model_.normals, c.normal)))
                return false;
        }
        if (material_ >= 0 && !materialUsed_[static_cast<std::size_t>(material_)]) {
            materialUsed_[static_cast<std::size_t>(material_)] = true;
            // Only names a library has defined by now count: the rest share one default
            // material, and a library named later is rare enough to be checked at the end.
            const std::string& name = model_.materialNames[static_cast<std::size_t>(material_)];
            const bool defined = std::any_of(model_.materials.begin(), model_.materials.end(),
                                             [&](const SourceMaterial& m) { return m.name == name; });
            if (defined && ++definedUsed_ > limits_.materials)
                return fail("uses more than " + std::to_string(limits_.materials) +
                            " materials; the game reads at most " + std::to_string(limits_.materials));
        }
        return true;
    }

    bool use(SourceTable& table, int index)
    {
        int& order = table.useOrder[static_cast<std::size_t>(index)];
        if (order >= 0)
            return true;
        if (table.used.size() >= limits_.elements)
            return fail("uses more than " + std::to_string(limits_.elements) + " " + nameOf(table) +
                        " in its faces; the game reads at most " + std::to_string(limits_.elements));
        order = static_cast<int>(table.used.size());
        table.used.push_back(index);
        return true;
    }

    const char* nameOf(const SourceTable& table) const
    {
        return &table == &model_.positions ? "positions" : &table == &model_.texCoords ? "texture coordinates" : "normals";
    }

    bool fail(const std::string& what)
    {
        error_ = source_ + " " + what + " (line " + std::to_string(lineNumber_) + ")";
        return false;
    }

    std::string source_;
    SourceLimits limits_;
    SourceModel& model_;
    std::function<void(std::string_view)> readLibrary_;
    std::string& error_;
    long long lineNumber_ = 0;
    int material_ = -1;
    std::vector<bool> materialUsed_;
    std::size_t definedUsed_ = 0;
};

std::FILE* openFile(const fs::path& path)
{
    std::error_code failed;
    return fs::is_directory(path, failed) ? nullptr : std::fopen(path.c_str(), "rb");
}

} // namespace

bool parseSourceMtl(std::FILE* file, const fs::path& folder, SourceModel& model)
{
    MtlParser parser(model, folder);
    bool readFailed = false;
    return forEachLine(file, model.longLines, readFailed, [&](std::string_view line) { return parser.line(line); });
}

bool parseSourceObj(std::FILE* file, const std::string& source, const SourceLimits& limits, SourceModel& model,
                    const std::function<void(std::string_view)>& readLibrary, std::string& error)
{
    ObjParser parser(source, limits, model, readLibrary, error);
    bool readFailed = false;
    if (forEachLine(file, model.longLines, readFailed, [&](std::string_view line) { return parser.line(line); }))
        return true;
    if (readFailed)
        error = "cannot read " + source + " to its end";
    return false;
}

bool readSourceModel(const fs::path& objPath, const SourceLimits& limits, SourceModel& model, std::string& error)
{
    std::FILE* file = openFile(objPath);
    if (file == nullptr) {
        error = "cannot read " + objPath.string();
        return false;
    }
    const fs::path folder = objPath.parent_path();
    const auto readLibrary = [&](std::string_view value) {
        // One library with spaces in its name, or several, each one word; where neither is
        // found, the line as a whole is what is missing.
        using Library = std::pair<std::string, std::optional<FoundFile>>;
        std::vector<Library> libraries = {{std::string(value), findModelFile(std::string(value), {folder})}};
        if (!libraries[0].second) {
            std::vector<Library> words;
            for (std::string_view rest = value, word; !(word = nextWord(rest)).empty();)
                words.emplace_back(std::string(word), findModelFile(std::string(word), {folder}));
            if (std::any_of(words.begin(), words.end(), [](const Library& l) { return l.second.has_value(); }))
                libraries = words;
        }
        for (const auto& [name, found] : libraries) {
            std::FILE* library = found ? openFile(found->path) : nullptr;
            const bool read = library != nullptr && parseSourceMtl(library, found->path.parent_path(), model);
            if (library != nullptr)
                std::fclose(library);
            if (!read)
                model.warnings.push_back("warning: material library " + inQuotes(name) + (found ? " cannot be read" : " not found") +
                                         "; the faces of its materials get the plain default material");
            else if (found->by != FoundBy::AsWritten)
                model.found.push_back("material library " + inQuotes(name) + " found as " + found->path.string());
        }
    };
    const bool read = parseSourceObj(file, objPath.string(), limits, model, readLibrary, error);
    std::fclose(file);
    return read;
}
