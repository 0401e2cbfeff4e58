#include "sprite/SpriteListFile.h"

#include <sstream>

std::string FormatSpriteList(const std::vector<SpriteListing>& sprites)
{
    std::ostringstream text;
    text << sprites.size() << '\n';
    for (const SpriteListing& sprite : sprites) text << sprite.id << ' ' << sprite.fileName << '\n';
    return text.str();
}
