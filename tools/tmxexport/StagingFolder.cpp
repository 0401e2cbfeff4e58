#include "tools/tmxexport/StagingFolder.h"

namespace fs = std::filesystem;

StagingFolder::StagingFolder(const fs::path& where, const std::string& name) : place(where), folder(where / name)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
}

StagingFolder::~StagingFolder()
{
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void StagingFolder::MoveIntoPlace(const std::string& name)
{
    const fs::path target = place / name;
    const fs::path aside = folder / (name + ".old");
    const bool old = fs::exists(target);
    if (old) fs::rename(target, aside);
    fs::rename(folder / name, target);
    if (old) fs::remove_all(aside);
}
