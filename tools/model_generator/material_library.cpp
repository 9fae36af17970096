// Writing a material library.
#include "material_library.h"

#include <stdexcept>

#include "mesh.h"

namespace {

constexpr std::size_t MaxNameLength = 31; // the game keeps 31 characters of a material name

std::string colorLine(const char* key, const Color& c)
{
    return std::string(key) + " " + formatNumber(c.r) + " " + formatNumber(c.g) + " " + formatNumber(c.b) + "\n";
}

} // namespace

std::string mtlText(const std::string& comment, const std::vector<MaterialSpec>& materials)
{
    std::string text = "# " + comment + "\n";
    for (const MaterialSpec& m : materials) {
        if (m.name.empty() || m.name.size() > MaxNameLength || m.name.find(' ') != std::string::npos)
            throw std::invalid_argument("material name must be one word of 1 to 31 characters: " + m.name);
        text += "\n";
        if (!m.note.empty())
            text += "# " + m.note + "\n";
        text += "newmtl " + m.name + "\n";
        text += colorLine("Ka", m.ambient);
        text += colorLine("Kd", m.diffuse);
        text += colorLine("Ks", m.specular);
        text += "Ns " + formatNumber(m.shininess) + "\n";
        text += "Tr " + formatNumber(m.transparency) + "\n";
        if (!m.diffuseMap.empty())
            text += "map_Kd " + m.diffuseMap + "\n";
        if (!m.ambientMap.empty())
            text += "map_Ka " + m.ambientMap + "\n";
        if (!m.specularMap.empty())
            text += "map_Ks " + m.specularMap + "\n";
        text += std::string("Smooth ") + (m.outline ? "1" : "0") + "\n";
        text += std::string("Normal ") + (m.roundNormals ? "1" : "0") + "\n";
    }
    return text;
}
