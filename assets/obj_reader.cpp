// The OBJ reader: each line is matched to its line pattern (assets/obj_line_patterns.h), and faces
// are sorted into the group of the current material.
#include "assets/obj_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <optional>
#include <string_view>

#include <sys/mman.h>

#include "assets/line_reader.h"
#include "assets/load_report.h"
#include "assets/material_name.h"
#include "assets/mtl_reader.h"
#include "assets/obj_line_patterns.h"
#include "assets/pattern_scanner.h"
#include "assets/readable_file.h"

namespace {

struct ObjReadState {
    Model& model;
    ModelLoadBuffer& buffer;
    LibraryOpener openLibrary;
    void* context;
    std::int32_t currentMaterial = -1;
    std::int64_t groupFaces[MaxMaterials] = {}; // faces kept per group, for the diagnostics
};

bool startsWith(const char* line, const char* key)
{
    return std::strncmp(line, key, std::strlen(key)) == 0;
}

std::FILE* openLibraryByName(const char* fileName, void*)
{
    return openReadableFile(fileName, "r");
}

void readLibraryLine(ObjReadState& state, const char* line)
{
    ScannedField word;
    if (scanPattern(line, "mtllib %s", &word) != 1)
        return;
    // The word comes from a line that fits the line buffer, so it fits with its NUL too.
    char fileName[LineBufferSize];
    std::memcpy(fileName, word.word, static_cast<std::size_t>(word.wordLength));
    fileName[word.wordLength] = '\0';
    reportLoadingLibrary(fileName);
    std::FILE* file = state.openLibrary(fileName, state.context);
    if (!file) {
        reportLoadError(LoadError::FileNotFound);
        ++state.buffer.diagnostics.librariesNotFound;
        return;
    }
    readMtlFile(state.model, file);
}

void selectMaterial(ObjReadState& state, const char* line)
{
    const std::int32_t materialCount = state.model.materialCount;
    ScannedField word;
    std::int32_t index = 0;
    if (scanPattern(line, "usemtl %s", &word) == 1) {
        // Definitions keep long names cut, so the word is cut the same way before comparing.
        char name[MaterialNameSize];
        copyMaterialName(name, word);
        index = materialCount;
        for (std::int32_t i = 0; i < materialCount; ++i) {
            if (std::strncmp(state.buffer.materialDefs[i].name, name, MaterialNameSize) == 0) {
                index = i;
                break;
            }
        }
    }
    state.currentMaterial = index;
    // With all 64 materials defined, an unknown name selects a 65th group that does not exist.
    if (index < MaxMaterials)
        state.buffer.groups[index].materialIndex = index;
}

void storeVertex(ObjReadState& state, const ScannedField* fields)
{
    ModelLoadBuffer& buffer = state.buffer;
    // Rule for a full table: the element is dropped; the printed count stays what was stored.
    if (buffer.vertexCount >= MaxModelElements) {
        ++buffer.diagnostics.verticesDropped;
        return;
    }
    Model& model = state.model;
    const Vec3 v = {fields[0].number * model.scale, fields[1].number * model.scale,
                    fields[2].number * model.scale};
    buffer.vertices[buffer.vertexCount++] = v;
    // The bounds start at the origin and are never reset, so they always enclose it.
    model.maxX = std::max(model.maxX, v.x);
    model.maxY = std::max(model.maxY, v.y);
    model.maxZ = std::max(model.maxZ, v.z);
    model.minX = std::min(model.minX, v.x);
    model.minY = std::min(model.minY, v.y);
    model.minZ = std::min(model.minZ, v.z);
}

void storeElement(Vec3* table, std::int32_t& count, std::int64_t& dropped, const ScannedField* fields,
                  int numbers)
{
    if (count >= MaxModelElements) {
        ++dropped;
        return;
    }
    table[count++] = {fields[0].number, fields[1].number, numbers == 3 ? fields[2].number : 0.0f};
}

// OBJ indices start at 1 and count back from the last element read so far when negative. Nothing
// for an index that names no element read so far: 0, one past the end, or one too large for an int.
std::optional<std::int32_t> resolveIndex(const ScannedField& field, std::int32_t count)
{
    if (field.overflow || field.integer == 0)
        return std::nullopt;
    const std::int64_t index = field.integer > 0 ? std::int64_t{field.integer} - 1
                                                 : std::int64_t{field.integer} + count;
    if (index < 0 || index >= count)
        return std::nullopt;
    return static_cast<std::int32_t>(index);
}

// Resolves one index set (positions, texture coordinates or normals) of a face; false when any
// corner's index is bad, the whole set then being -1.
bool resolveIndexSet(const ScannedField* fields, int stride, int corners, std::int32_t count,
                     std::int32_t (&indices)[4])
{
    for (int k = 0; k < corners; ++k) {
        const std::optional<std::int32_t> index = resolveIndex(fields[k * stride], count);
        if (!index) {
            std::fill(std::begin(indices), std::end(indices), -1);
            return false;
        }
        indices[k] = *index;
    }
    return true;
}

// Asks for the whole 2 MB pages inside an allocation to be backed by huge pages where the system
// offers them. A capacity model fills some 15 MB while it is read, and taking that in 4 KB pages,
// each a fault that the kernel must clear and account for, costs more than reading the file. Only
// advice: where it is not taken, the memory works as before.
void adviseHugePages([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t HugePage = 2 << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t last = (start + size) & ~(HugePage - 1);
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

// Faces are taken from blocks of many, so that a large model costs a few allocations rather than
// one per face; the blocks are freed together with the load buffer. The first block is small, for
// the small models most files hold; the next ones are large enough to hold a whole huge page.
constexpr int FirstBlockFaces = 1024;
constexpr int BlockFaces = (4 << 20) / sizeof(Face);
} // namespace

// A block's header, followed by its faces in the same allocation.
struct FaceBlock {
    FaceBlock* next;
    int capacity;
    int used{};
    Face* faces() { return reinterpret_cast<Face*>(this + 1); }
};
static_assert(sizeof(FaceBlock) % alignof(Face) == 0);

namespace {

Face* allocateFace(ModelLoadBuffer& buffer)
{
    FaceBlock* block = buffer.faceBlocks;
    if (!block || block->used == block->capacity) {
        const int capacity = block ? BlockFaces : FirstBlockFaces;
        const std::size_t size = sizeof(FaceBlock) + static_cast<std::size_t>(capacity) * sizeof(Face);
        void* memory = ::operator new(size, std::nothrow);
        if (!memory)
            return nullptr;
        adviseHugePages(memory, size);
        block = new (memory) FaceBlock{.next = buffer.faceBlocks, .capacity = capacity};
        buffer.faceBlocks = block;
    }
    return &block->faces()[block->used++];
}

// Rule for bad indices: a face whose positions do not all name vertices read so far is dropped,
// but like every face line it still fixes the group of the faces that follow without a "usemtl";
// a bad texture-coordinate or normal index drops only that set, and the face is drawn as if it
// had been written without it. So nothing past the tables ever reaches the normals, the display
// lists or the edge trees.
void storeFace(ObjReadState& state, const LinePattern& form, const ScannedField* fields)
{
    ModelLoadBuffer& buffer = state.buffer;
    LoadDiagnostics& diagnostics = buffer.diagnostics;
    // Faces before any "usemtl" go to the group just past the materials known at the first one.
    if (state.currentMaterial == -1)
        state.currentMaterial = state.model.materialCount;
    const int stride = 1 + (form.texCoords ? 1 : 0) + (form.normals ? 1 : 0);
    Face face{};
    std::fill(std::begin(face.v), std::end(face.v), -1);
    std::fill(std::begin(face.vt), std::end(face.vt), -1);
    std::fill(std::begin(face.vn), std::end(face.vn), -1);

    if (!resolveIndexSet(fields, stride, form.corners, buffer.vertexCount, face.v)) {
        ++diagnostics.facesDropped;
        return;
    }
    if (form.texCoords &&
        !resolveIndexSet(fields + 1, stride, form.corners, buffer.texCoordCount, face.vt))
        ++diagnostics.texCoordSetsDropped;
    if (form.normals) {
        if (resolveIndexSet(fields + stride - 1, stride, form.corners, buffer.normalCount, face.vn))
            face.hasNormals = 1;
        else
            ++diagnostics.normalSetsDropped;
    }

    // Rule for a 65th group: with 64 materials known such faces could never be drawn; dropped.
    if (state.currentMaterial >= MaxMaterials) {
        ++diagnostics.facesWithoutGroup;
        return;
    }
    // Rule for a failed allocation: the face is dropped and the load goes on.
    Face* stored = allocateFace(buffer);
    if (!stored) {
        ++diagnostics.facesNotAllocated;
        return;
    }
    *stored = face;
    FaceGroup& group = buffer.groups[state.currentMaterial];
    if (form.corners == 4) {
        appendFace(group.quads, group.lastQuad, stored);
        ++buffer.quadCount;
    } else {
        appendFace(group.triangles, group.lastTriangle, stored);
        ++buffer.triangleCount;
    }
    ++state.groupFaces[state.currentMaterial];
}

void applyPattern(ObjReadState& state, const LinePattern& form, const ScannedField* fields)
{
    ModelLoadBuffer& buffer = state.buffer;
    switch (form.kind) {
    case LineKind::Vertex: storeVertex(state, fields); break;
    case LineKind::TexCoord:
        storeElement(buffer.texCoords, buffer.texCoordCount, buffer.diagnostics.texCoordsDropped,
                     fields, form.required);
        break;
    case LineKind::Normal:
        storeElement(buffer.normals, buffer.normalCount, buffer.diagnostics.normalsDropped, fields, 3);
        break;
    case LineKind::Face: storeFace(state, form, fields); break;
    }
}

void processLine(ObjReadState& state, const char* line, const char* end)
{
    // The first letter alone rules out both keywords for nearly every line.
    if (line[0] == 'm' && startsWith(line, "mtllib"))
        readLibraryLine(state, line);
    if (line[0] == 'u' && startsWith(line, "usemtl"))
        selectMaterial(state, line);

    ObjLineMatch match;
    const int row = matchObjLine(line, end, match);
    if (row >= 0)
        applyPattern(state, LinePatterns[row], match.fields);
}

} // namespace

void appendFace(Face*& head, Face*& tail, Face* face)
{
    face->next = nullptr;
    if (head)
        tail->next = face;
    else
        head = face;
    tail = face;
}

bool createLoadBuffer(Model& model)
{
    // Every element table at its capacity, some 3.7 MB, in one piece; the tables are filled as
    // lines are read.
    ModelLoadBuffer* buffer = new (std::nothrow) ModelLoadBuffer;
    if (!buffer)
        return false;
    adviseHugePages(buffer, sizeof *buffer);
    buffer->vertexCount = 0;
    buffer->texCoordCount = 0;
    buffer->normalCount = 0;
    buffer->triangleCount = 0;
    buffer->quadCount = 0;
    buffer->faceBlocks = nullptr;
    for (MaterialDef& def : buffer->materialDefs)
        setMaterialDefDefaults(def);
    model.loadBuffer = buffer;
    return true;
}

void releaseLoadBuffer(Model& model)
{
    ModelLoadBuffer* buffer = model.loadBuffer;
    if (!buffer)
        return;
    while (FaceBlock* block = buffer->faceBlocks) {
        buffer->faceBlocks = block->next;
        ::operator delete(block);
    }
    delete buffer;
    model.loadBuffer = nullptr;
}

bool readObjStream(Model& model, std::FILE* file, LibraryOpener openLibrary, void* context)
{
    // Rule for a failed allocation of the buffer: reported with the loaders' memory message in
    // place of "done.", and the load fails as for a missing file, with the model unchanged.
    if (model.loadBuffer)
        releaseLoadBuffer(model);
    if (!createLoadBuffer(model)) {
        reportLoadError(LoadError::OutOfMemory);
        std::fclose(file);
        return false;
    }
    reportDone();

    ObjReadState state{model, *model.loadBuffer, openLibrary, context};
    LineReader reader;
    startLineReader(reader, file);
    char spill[LineBufferSize];
    for (;;) {
        // The commonest lines are read where they lie, and their ends found as they are read;
        // each other line is cut by the reader first.
        const char* end = nullptr;
        if (const char* text = unreadText(reader, end)) {
            ScannedField fields[MaxScannedFields];
            const char* line = text;
            const char* next = nullptr;
            for (int row; (row = matchObjLineInBlock(line, end, fields, next)) >= 0; line = next)
                applyPattern(state, LinePatterns[row], fields);
            skipWholeLines(reader, static_cast<std::size_t>(line - text));
        }
        const std::string_view line = readLineInPlace(reader, spill);
        if (line.empty())
            break;
        processLine(state, line.data(), line.data() + line.size());
    }
    // Rule for a read error after the first bytes: reading stops there as at the end of the file,
    // and what was read is kept; a file that cannot be read at all never got this far.
    ModelLoadBuffer& buffer = *model.loadBuffer;
    buffer.diagnostics.readError = reader.readError;
    std::fclose(file);

    // A model without materials has one default material.
    if (model.materialCount == 0)
        model.materialCount = 1;
    for (int group = model.materialCount; group < MaxMaterials; ++group)
        buffer.diagnostics.undrawnFaces += state.groupFaces[group];
    for (float bound : {model.maxX, model.maxY, model.maxZ, model.minX, model.minY, model.minZ})
        model.extent = std::max(model.extent, std::fabs(bound));

    std::FILE* out = loadReportStream();
    std::fprintf(out, "-> Number of vertices:   %d\n", buffer.vertexCount);
    std::fprintf(out, "-> Number of normals:    %d\n", buffer.normalCount);
    std::fprintf(out, "-> Number of tex coords: %d\n", buffer.texCoordCount);
    std::fprintf(out, "-> Number of triangles:  %d\n", buffer.triangleCount);
    std::fprintf(out, "-> Number of quads:      %d\n", buffer.quadCount);
    return true;
}

bool readObjFile(Model& model, const char* fileName)
{
    reportLoadingModel(fileName);
    // A path that opens but cannot be read (a directory, say) is reported as not found: an empty
    // model loaded from it would hide the mistake.
    std::FILE* file = openReadableFile(fileName, "r");
    if (!file) {
        reportLoadError(LoadError::FileNotFound);
        return false;
    }
    return readObjStream(model, file, openLibraryByName, nullptr);
}
