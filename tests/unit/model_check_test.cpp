// vantor-model-check run for real: the shipped models come out clean with the progress lines the
// game's own loading prints, each kind of broken model gets its warning and is still usable, and
// files that cannot be opened or a bad command line end with their exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "assets/load_report.h"
#include "assets/obj_reader.h"
#include "assets/tga_decoder.h"
#include "reader_test_support.h"
#include "tools/model_generator/tga_writer.h"

namespace {

namespace fs = std::filesystem;

const char* const ShippedModels[] = {"model_car.obj", "model_ground_block.obj", "model_buildings.obj",
                                     "model_grapple_point.obj"};

struct CheckRun {
    int exitStatus = -1; // -1 when the tool did not exit normally
    std::string output;
    std::string errors;
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool in the working folder with the arguments, both streams captured.
CheckRun runModelCheck(const fs::path& workingFolder, const std::vector<std::string>& arguments)
{
    TempFolder capture;
    std::string command = "cd '" + workingFolder.string() + "' && '" VANTOR_MODEL_CHECK_PATH "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " > '" + capture.file("out") + "' 2> '" + capture.file("err") + "'";
    const int status = std::system(command.c_str());
    CheckRun run;
    if (status != -1 && WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    run.output = fileText(capture.file("out"));
    run.errors = fileText(capture.file("err"));
    return run;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> warningLines(const std::string& output)
{
    std::vector<std::string> warnings;
    for (const std::string& line : linesOf(output))
        if (line.rfind("warning", 0) == 0)
            warnings.push_back(line);
    return warnings;
}

// The number after "-> Number of WHAT:" in the reader's count lines; -1 when there is none.
int countLine(const std::string& text, const std::string& what)
{
    std::smatch match;
    if (!std::regex_search(text, match, std::regex("-> Number of " + what + ": *([0-9]+)\n")))
        return -1;
    return std::stoi(match[1]);
}

// What the summary's material lines add up to.
struct SummaryTotals {
    int materials = 0;
    int triangles = 0;
    int quads = 0;
    std::map<std::string, int> edges; // by material, for those outlined
};

SummaryTotals summaryTotals(const std::string& text)
{
    SummaryTotals totals;
    const std::regex materialLine("^  material (\\S+): ([0-9]+) triangles?, ([0-9]+) quads?(, ([0-9]+) .*)?$");
    for (const std::string& line : linesOf(text)) {
        std::smatch match;
        if (!std::regex_match(line, match, materialLine))
            continue;
        ++totals.materials;
        totals.triangles += std::stoi(match[2]);
        totals.quads += std::stoi(match[3]);
        if (match[5].matched)
            totals.edges[match[1]] = std::stoi(match[5]);
    }
    return totals;
}

// Makes the folder the working folder for the scope, as the game's is for its loads.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// What the game prints while loading the model from its folder: the reader's lines, then each
// material's maps in the order the display lists load them (diffuse, specular, ambient), then the
// completion. Decoding stands in for the upload, which prints nothing of its own.
std::string gameProgressLines(const fs::path& folder, const std::string& name)
{
    WorkingFolder inFolder(folder);
    return captureStdout([&] {
        ReadModel read;
        ASSERT_TRUE(readObjFile(read.model, name.c_str())) << name;
        for (int i = 0; i < read.model.materialCount; ++i) {
            const MaterialDef& def = read.buffer().materialDefs[i];
            for (const char* map : {def.diffuseMap, def.specularMap, def.ambientMap}) {
                TextureImage image;
                if (map[0] != '\0')
                    decodeTgaFile(map, image);
            }
        }
        reportCompletedModel(name.c_str());
    });
}

// The part of the output about one model, from its "Loading model" line to its verdict.
std::string sectionOf(const std::string& output, const std::string& name, const std::string& path)
{
    const std::size_t start = output.find("Loading model " + name + ":");
    const std::string verdict = "\n" + path + ": ";
    const std::size_t end = output.find(verdict, start);
    if (start == std::string::npos || end == std::string::npos)
        return "";
    return output.substr(start, output.find('\n', end + 1) + 1 - start);
}

std::string validTga() { return encodeTga(Image(2, 2, {0.8f, 0.4f, 0.1f}), 24, TgaPacking::Uncompressed); }

// The header promises 2 x 2 pixels of 3 bytes; the data stops after 4 bytes.
std::string truncatedTga() { return validTga().substr(0, 18 + 4); }

TEST(ModelCheck, ShippedModelsAreCleanAndPrintWhatTheGamePrints)
{
    TempFolder elsewhere;
    std::vector<std::string> paths;
    for (const char* name : ShippedModels)
        paths.push_back((fs::path(VANTOR_DATA_DIR) / name).string());
    const CheckRun run = runModelCheck(elsewhere.file(""), paths);
    ASSERT_EQ(run.exitStatus, 0) << run.output << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(warningLines(run.output).empty()) << run.output;
    EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;

    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string name = ShippedModels[i];
        const std::string section = sectionOf(run.output, name, paths[i]);
        ASSERT_NE(section, "") << name << " is missing from:\n" << run.output;
        const std::string progress = gameProgressLines(VANTOR_DATA_DIR, name);
        ASSERT_EQ(section.substr(0, progress.size()), progress) << name;
        const std::string verdict = "\n" + paths[i] + ": usable, 0 warnings\n";
        EXPECT_EQ(section.compare(section.size() - verdict.size(), verdict.size(), verdict), 0) << section;

        // With nothing dropped, the summary accounts for every face the reader counted, lists
        // every material, and every texture loaded decodes.
        const SummaryTotals totals = summaryTotals(section);
        EXPECT_EQ(totals.triangles, countLine(progress, "triangles")) << name;
        EXPECT_EQ(totals.quads, countLine(progress, "quads")) << name;
        EXPECT_EQ(totals.materials, countLine(progress, "materials")) << name;
        std::size_t texturesLoaded = 0, texturesDecoded = 0;
        for (const std::string& line : linesOf(section)) {
            texturesLoaded += line.rfind("Loading texture ", 0) == 0;
            texturesDecoded += line.size() > 9 && line.compare(line.size() - 9, 9, ": decodes") == 0;
        }
        EXPECT_EQ(texturesDecoded, texturesLoaded) << name;
    }
}

// One broken model per case, each in a folder of its own: a single warning with the count of what
// is lost and what it is about, and still usable.
TEST(ModelCheck, FlagsWhatTheGameWouldDropAndStillCallsTheModelUsable)
{
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    struct Case {
        const char* what;
        std::map<std::string, std::string> files; // model.obj and what it needs
        int lost;                                 // the count the warning gives; 0 for none
        std::vector<std::string> mentions;        // words the warning line must hold
        int drawnTriangles;                       // the triangles the summary still lists
    };
    const Case cases[] = {
        {"faces with a corner past the vertices, forward and counted back",
         {{"model.obj", triangle + "v 1 1 0\nf 1 2 3\nf 1 2 5\nf 1 -5 3\nf 2 4 3\n"}},
         2, {"index"}, 2},
        {"faces after a usemtl no material has",
         {{"model.obj", "mtllib looks.mtl\n" + triangle +
                            "usemtl paint\nf 1 2 3\nusemtl chrome\nf 1 2 3\nf 3 2 1\nf 2 3 1\n"},
          {"looks.mtl", "newmtl paint\nKd 1 0 0\n"}},
         3, {"never drawn"}, 1},
        {"a material library that is not there",
         {{"model.obj", "mtllib nowhere.mtl\n" + triangle + "f 1 2 3\n"}},
         1, {"material librar"}, 1},
        {"a texture cut short",
         {{"model.obj", "mtllib looks.mtl\n" + triangle + "vt 0 0\nusemtl skin\nf 1/1 2/1 3/1\n"},
          {"looks.mtl", "newmtl skin\nmap_Kd skin.tga\n"},
          {"skin.tga", truncatedTga()}},
         0, {"skin.tga", "skin", "map_Kd"}, 1},
        {"a texture-coordinate index past those read",
         {{"model.obj", triangle + "vt 0 0\nvt 1 0\nf 1/1 2/3 3/2\nf 1/1 2/2 3/1\n"}},
         1, {"texture"}, 2},
        {"a normal index past those read",
         {{"model.obj", triangle + "vn 0 0 1\nf 1//1 2//2 3//1\n"}},
         1, {"normal"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        for (const auto& [name, bytes] : c.files)
            folder.write(name, bytes);
        const CheckRun run = runModelCheck(folder.file(""), {"model.obj"});
        EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors;
        const std::vector<std::string> warnings = warningLines(run.output);
        ASSERT_EQ(warnings.size(), 1u) << run.output;
        const std::string& warning = warnings[0];
        if (c.lost > 0) {
            EXPECT_TRUE(std::regex_search(warning, std::regex("\\b" + std::to_string(c.lost) + "\\b"))) << warning;
        }
        for (const std::string& word : c.mentions)
            EXPECT_NE(warning.find(word), std::string::npos) << word << " in: " << warning;
        EXPECT_EQ(summaryTotals(run.output).triangles, c.drawnTriangles) << run.output;
        EXPECT_NE(run.output.find("\nmodel.obj: usable, 1 warning\n"), std::string::npos) << run.output;
    }
}

// The game reads a model's libraries and textures from its working folder, which is the model's
// own folder; the tool must do the same whatever folder it runs in, and come back between files.
TEST(ModelCheck, ReadsEachModelFromItsOwnFolder)
{
    TempFolder root;
    fs::create_directory(root.file("crate"));
    // A cube of six quads on eight shared corners: 8 - edges + 6 = 2 gives 12 edges to outline.
    root.write("crate/cube.obj", "mtllib cube.mtl\n"
                                 "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
                                 "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                 "usemtl wood\n"
                                 "f 1/1 4/4 3/3 2/2\nf 5/1 6/2 7/3 8/4\nf 1/1 2/2 6/3 5/4\n"
                                 "f 4/1 8/2 7/3 3/4\nf 1/1 5/2 8/3 4/4\nf 2/1 3/2 7/3 6/4\n");
    root.write("crate/cube.mtl", "newmtl wood\nSmooth 1\nmap_Kd wood.tga\n");
    root.write("crate/wood.tga", validTga());
    // Same-named files in the working folder that would fail if the tool read them instead.
    root.write("cube.mtl", "newmtl other\n");
    root.write("wood.tga", truncatedTga());
    root.write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");

    const CheckRun run = runModelCheck(root.file(""), {"crate/cube.obj", "flat.obj"});
    EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors;
    EXPECT_TRUE(warningLines(run.output).empty()) << run.output;
    EXPECT_NE(run.output.find("wood.tga: decodes"), std::string::npos) << run.output;
    SummaryTotals crate = summaryTotals(sectionOf(run.output, "cube.obj", "crate/cube.obj"));
    EXPECT_EQ(crate.quads, 6);
    EXPECT_EQ(crate.edges["wood"], 12) << run.output;
    EXPECT_NE(run.output.find("\ncrate/cube.obj: usable, 0 warnings\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\nflat.obj: usable, 0 warnings\n"), std::string::npos) << run.output;
}

TEST(ModelCheck, EndsWithItsStatusForFilesItCannotOpenAndForNoFiles)
{
    TempFolder folder;
    fs::create_directory(folder.file("folder.obj"));
    folder.write("good.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");

    const CheckRun usage = runModelCheck(folder.file(""), {});
    EXPECT_EQ(usage.exitStatus, 2);
    EXPECT_EQ(usage.output, "");
    EXPECT_NE(usage.errors.find("usage"), std::string::npos) << usage.errors;

    for (const char* missing : {"missing.obj", "nowhere/missing.obj", "folder.obj"}) {
        const CheckRun run = runModelCheck(folder.file(""), {missing});
        EXPECT_EQ(run.exitStatus, 1) << missing << ":\n" << run.output << run.errors;
        EXPECT_NE(run.output.find(std::string(missing) + ": cannot be opened"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("usable"), std::string::npos) << run.output;
    }

    // One file that cannot be opened does not stop the others from being checked.
    const CheckRun mixed = runModelCheck(folder.file(""), {"missing.obj", "good.obj"});
    EXPECT_EQ(mixed.exitStatus, 1);
    EXPECT_NE(mixed.output.find("\ngood.obj: usable, 0 warnings\n"), std::string::npos) << mixed.output;
}

} // namespace
