// The MTL reader: one definition per "newmtl" line, its colours, shininess, transparency, texture
// map names and the game's own "Smooth" and "Normal" keys.
#include "assets/mtl_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "assets/line_reader.h"
#include "assets/load_report.h"
#include "assets/material_name.h"
#include "assets/pattern_scanner.h"

namespace {

bool startsWith(const char* line, const char* key)
{
    return std::strncmp(line, key, std::strlen(key)) == 0;
}

// "Ka", "Kd", "Ks": a colour changes only when all three numbers read.
void readColour(const char* line, const char* pattern, float* colour)
{
    ScannedField fields[3];
    if (scanPattern(line, pattern, fields) != 3)
        return;
    for (int i = 0; i < 3; ++i)
        colour[i] = fields[i].number;
}

// "Tr", "Ns": a malformed line leaves the value as it was.
void readNumber(const char* line, const char* pattern, float& value)
{
    ScannedField field;
    if (scanPattern(line, pattern, &field) == 1)
        value = field.number;
}

// "map_Ka", "map_Kd", "map_Ks": the first word only, so options before the file name are taken
// for the name. A word fits the field: the line it comes from is no longer than the field.
void readMapName(const char* line, const char* pattern, char* mapName)
{
    ScannedField field;
    if (scanPattern(line, pattern, &field) != 1)
        return;
    std::memcpy(mapName, field.word, static_cast<std::size_t>(field.wordLength));
    mapName[field.wordLength] = '\0';
}

// "Smooth", "Normal": a number too large for an int is as malformed as a missing one.
bool readFlag(const char* line, const char* pattern, std::int32_t& flag)
{
    ScannedField field;
    if (scanPattern(line, pattern, &field) != 1)
        return false;
    if (!field.overflow)
        flag = field.integer;
    return true;
}

} // namespace

void setMaterialDefDefaults(MaterialDef& def)
{
    def.name[0] = '\0';
    for (int i = 0; i < 3; ++i) {
        def.ambient[i] = 1.0f;
        def.diffuse[i] = 1.0f;
        def.specular[i] = 1.0f;
    }
    def.shininess = 1.0f;
    def.transparency = 1.0f;
    def.ambientMap[0] = '\0';
    def.diffuseMap[0] = '\0';
    def.specularMap[0] = '\0';
    def.smoothNormals = 0;
    def.smoothEdges = 0;
}

bool readMtlFile(Model& model, std::FILE* file)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    LineReader reader;
    startLineReader(reader, file);
    char line[LineBufferSize];
    // One more than the "newmtl" lines seen; 64-bit, as a file may hold more lines than an int.
    std::int64_t index = -1;

    while (readLine(reader, line)) {
        if (startsWith(line, "newmtl")) {
            ++index;
            // Rule for a 65th "newmtl" and on: the block is dropped, its property lines set
            // nothing, and the count printed and kept stays at MaxMaterials.
            if (index >= MaxMaterials) {
                ++buffer.diagnostics.materialsDropped;
                continue;
            }
            ScannedField field;
            if (scanPattern(line, "newmtl %s", &field) == 1 &&
                copyMaterialName(buffer.materialDefs[index].name, field))
                ++buffer.diagnostics.namesCut;
            continue;
        }
        // Property lines before the first "newmtl" or after the last one kept set nothing.
        if (index < 0 || index >= MaxMaterials)
            continue;
        MaterialDef& def = buffer.materialDefs[index];
        if (startsWith(line, "Ka"))
            readColour(line, "Ka %f %f %f", def.ambient);
        else if (startsWith(line, "Kd"))
            readColour(line, "Kd %f %f %f", def.diffuse);
        else if (startsWith(line, "Ks"))
            readColour(line, "Ks %f %f %f", def.specular);
        else if (startsWith(line, "Tr"))
            readNumber(line, "Tr %f", def.transparency);
        else if (startsWith(line, "Ns"))
            readNumber(line, "Ns %f", def.shininess);
        else if (startsWith(line, "map_Ka"))
            readMapName(line, "map_Ka %s", def.ambientMap);
        else if (startsWith(line, "map_Kd"))
            readMapName(line, "map_Kd %s", def.diffuseMap);
        else if (startsWith(line, "map_Ks"))
            readMapName(line, "map_Ks %s", def.specularMap);
        else if (!readFlag(line, "Smooth %d", def.smoothEdges))
            readFlag(line, "Normal %d", def.smoothNormals);
    }
    std::fclose(file);

    const int kept = static_cast<int>(std::min<std::int64_t>(index + 1, MaxMaterials));
    reportDone();
    std::fprintf(loadReportStream(), "-> Number of materials:  %d\n", kept);
    model.materialCount = kept;
    return true;
}
