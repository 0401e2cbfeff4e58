// The scene list against a model (std::list) over a long random script of
// insertions, removals and clearings: its entries are recycled, and whatever
// happens to them the order, the count and each entry's object stay right.
#include "map/SceneList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <list>
#include <random>
#include <vector>

namespace {

SceneObject Numbered(int n)
{
    SceneObject object{};
    object.x0 = static_cast<int16_t>(n);
    object.y0 = static_cast<int16_t>(n >> 16);
    object.direction = n;
    std::strcpy(object.animationName, "idle");
    return object;
}

void ExpectSame(const SceneList& list, const std::list<int>& model, int step)
{
    ASSERT_EQ(list.Count(), int32_t(model.size())) << "step " << step;
    const SceneEntry* entry = list.First();
    for (int n : model) {
        ASSERT_NE(entry, list.End()) << "step " << step;
        ASSERT_EQ(entry->object.direction, n) << "step " << step;
        ASSERT_EQ(entry->next->previous, entry) << "step " << step;
        entry = entry->next;
    }
    ASSERT_EQ(entry, list.End()) << "step " << step;
    ASSERT_EQ(list.Last()->next, list.End());
}

TEST(SceneListTest, EntriesAreRecycledWithoutDisturbingTheOrder)
{
    SceneList list;
    std::list<int> model;
    std::vector<std::pair<SceneEntry*, std::list<int>::iterator>> held;  // references kept, as walkers keep them
    std::mt19937 random(77);
    int n = 0;
    for (int step = 0; step < 20000; ++step) {
        const unsigned what = random() % 100;
        if (what < 45 || held.empty()) {
            ++n;
            if (held.empty() || what % 2) {
                held.emplace_back(list.Append(Numbered(n)), model.insert(model.end(), n));
            } else {
                const auto& [before, at] = held[random() % held.size()];
                held.emplace_back(list.InsertBefore(before, Numbered(n)), model.insert(at, n));
            }
            EXPECT_EQ(held.back().first->memo.sprite, nullptr) << "a new entry remembers nothing";
        } else if (what < 99) {
            const size_t i = random() % held.size();
            list.Remove(held[i].first);
            model.erase(held[i].second);
            held[i] = held.back();
            held.pop_back();
        } else {
            list.RemoveAll();
            model.clear();
            held.clear();
        }
        if (step % 97 == 0) ExpectSame(list, model, step);
    }
    ExpectSame(list, model, -1);
    for (const auto& [entry, at] : held) ASSERT_EQ(entry->object.direction, *at);
}

}  // namespace
