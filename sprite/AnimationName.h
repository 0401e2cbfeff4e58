// The name of an animation: a field of 33 bytes that holds at most 32
// characters and a NUL. Sprite files store it with each animation, and the
// map file's floor tiles and objects name the animation they show with it.
#pragma once

#include <cstddef>

constexpr size_t AnimationNameSize = 33;
constexpr size_t MaxAnimationNameLength = AnimationNameSize - 1;

using AnimationName = char[AnimationNameSize];
