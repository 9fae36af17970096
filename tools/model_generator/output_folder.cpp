// The folder the generated files go to.
#include "output_folder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

void OutputFolder::write(const std::string& name, const std::string& bytes)
{
    if (std::find(written_.begin(), written_.end(), name) != written_.end())
        throw std::logic_error("two files named " + name);
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    written_.push_back(name);
}
