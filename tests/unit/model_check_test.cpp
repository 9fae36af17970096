// vantor-model-check run for real: the shipped models come out clean, each kind of broken model gets its warning and is still usable, and
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

#include "reader_test_support.h"
#include "tools/model_generator/tga_writer.h"

namespace {

namespace fs = std::filesystem;

struct CheckRun {
    int exitStatus = -1; // -1 when the tool did not exit normally
    std::string output, errors;
};

std::string fileText(const fs::path& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Runs the tool in the working folder with the arguments, both streams captured.
CheckRun runModelCheck(const fs::path& workingFolder, const std::vector<std::string>& arguments)
{
    TempFolder capture;
    std::string command = "cd '" + workingFolder.string() + "' && '" VANTOR_MODEL_CHECK_PATH "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    const int status = std::system((command + " > '" + capture.file("out") + "' 2> '" + capture.file("err") + "'").c_str());
    CheckRun run;
    if (status != -1 && WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    run.output = fileText(capture.file("out"));
    run.errors = fileText(capture.file("err"));
    return run;
}

std::vector<std::string> lines(const std::string& text, const std::string& prefix = "")
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

// The triangles the summary's material lines add up to.
int summaryTriangles(const std::string& text)
{
    int triangles = 0;
    const std::regex materialLine("^  material \\S+: ([0-9]+) triangles?, [0-9]+ quads?.*$");
    for (const std::string& line : lines(text, "  material ")) {
        std::smatch match;
        if (std::regex_match(line, match, materialLine))
            triangles += std::stoi(match[1]);
    }
    return triangles;
}

std::string validTga() { return encodeTga(Image(2, 2, {0.8f, 0.4f, 0.1f}), 24, TgaPacking::Uncompressed); }
// The header promises 2 x 2 pixels of 3 bytes; the data stops after 4 bytes.
std::string truncatedTga() { return validTga().substr(0, 18 + 4); }

TEST(ModelCheck, ShippedModelsAreClean)
{
    const char* const names[] = {"model_car.obj", "model_ground_block.obj", "model_buildings.obj",
                                 "model_grapple_point.obj"};
    TempFolder elsewhere;
    std::vector<std::string> paths;
    for (const char* name : names)
        paths.push_back((fs::path(VANTOR_DATA_DIR) / name).string());
    const CheckRun run = runModelCheck(elsewhere.file(""), paths);
    ASSERT_EQ(run.exitStatus, 0) << run.output << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(lines(run.output, "warning").empty()) << run.output;
    EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;

    for (const std::string& path : paths)
        EXPECT_NE(run.output.find("\n" + path + ": usable, 0 warnings\n"), std::string::npos) << path;
    std::size_t decoded = 0;
    for (const std::string& line : lines(run.output))
        decoded += line.size() > 9 && line.compare(line.size() - 9, 9, ": decodes") == 0;
    EXPECT_EQ(decoded, lines(run.output, "Loading texture ").size()) << run.output;
    EXPECT_GT(decoded, 0u);
}

// One broken model per case, each in a folder of its own: a single warning with the count of what
// is lost and what it is about, and still usable.
TEST(ModelCheck, FlagsWhatTheGameWouldDropAndStillCallsTheModelUsable)
{
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const struct {
        const char* what;
        std::map<std::string, std::string> files; // model.obj and what it needs
        int lost;                                 // the count the warning gives; 0 for none
        std::vector<std::string> mentions;        // words the warning line must hold
        int drawnTriangles;                       // the triangles the summary still lists
    } cases[] = {
        {"faces with a corner past the vertices, forward and counted back",
         {{"model.obj", triangle + "v 1 1 0\nf 1 2 3\nf 1 2 5\nf 1 -5 3\nf 2 4 3\n"}}, 2, {"index"}, 2},
        {"faces after a usemtl no material has",
         {{"model.obj", "mtllib looks.mtl\n" + triangle + "usemtl paint\nf 1 2 3\nusemtl chrome\nf 1 2 3\nf 3 2 1\nf 2 3 1\n"},
          {"looks.mtl", "newmtl paint\nKd 1 0 0\n"}},
         3, {"never drawn"}, 1},
        {"a material library that is not there", {{"model.obj", "mtllib nowhere.mtl\n" + triangle + "f 1 2 3\n"}},
         1, {"material librar"}, 1},
        {"a texture cut short",
         {{"model.obj", "mtllib looks.mtl\n" + triangle + "vt 0 0\nusemtl skin\nf 1/1 2/1 3/1\n"},
          {"looks.mtl", "newmtl skin\nmap_Kd skin.tga\n"},
          {"skin.tga", truncatedTga()}},
         0, {"skin.tga", "skin", "map_Kd"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        for (const auto& [name, bytes] : c.files)
            folder.write(name, bytes);
        const CheckRun run = runModelCheck(folder.file(""), {"model.obj"});
        EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors;
        const std::vector<std::string> warnings = lines(run.output, "warning");
        ASSERT_EQ(warnings.size(), 1u) << run.output;
        if (c.lost > 0) {
            EXPECT_TRUE(std::regex_search(warnings[0], std::regex("\\b" + std::to_string(c.lost) + "\\b"))) << warnings[0];
        }
        for (const std::string& word : c.mentions)
            EXPECT_NE(warnings[0].find(word), std::string::npos) << word << " in: " << warnings[0];
        EXPECT_EQ(summaryTriangles(run.output), c.drawnTriangles) << run.output;
        EXPECT_NE(run.output.find("\nmodel.obj: usable, 1 warning\n"), std::string::npos) << run.output;
    }
}

// The game reads a model's libraries and textures from its working folder, which is the model's
// own folder; the tool must do the same whatever folder it runs in, and come back between files.
TEST(ModelCheck, ReadsEachModelFromItsOwnFolder)
{
    TempFolder root;
    fs::create_directory(root.file("crate"));
    root.write("crate/cube.obj", "mtllib cube.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nusemtl wood\nf 1/1 2/1 3/1\n");
    root.write("crate/cube.mtl", "newmtl wood\nmap_Kd wood.tga\n");
    root.write("crate/wood.tga", validTga());
    // Same-named files in the working folder that would fail if the tool read them instead.
    root.write("cube.mtl", "newmtl other\n");
    root.write("wood.tga", truncatedTga());
    root.write("flat.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");

    const CheckRun run = runModelCheck(root.file(""), {"crate/cube.obj", "flat.obj"});
    EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors;
    EXPECT_TRUE(lines(run.output, "warning").empty()) << run.output;
    EXPECT_NE(run.output.find("wood.tga: decodes"), std::string::npos) << run.output;
    EXPECT_EQ(summaryTriangles(run.output), 2) << run.output;
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
