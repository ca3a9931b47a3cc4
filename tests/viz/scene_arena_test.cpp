#include "viz/scene_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "scene/attribute_set.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "tests/support/scene_checks.h"

namespace kelvaro {
namespace {

std::string textOf(const SceneObject& object) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    object.print(stream);
    std::fclose(stream);
    std::string printed(text, size);
    std::free(text);
    return printed;
}

// Objects made in an arena are the scene's objects: the same text, the same exact form
// (class, references, every number) as those made on the heap.
TEST(SceneArena, MakesObjectsLikeTheHeapDoes) {
    const Ref<Group> onHeap = create<Group>(20, 20);
    const Ref<Line> heapLine = create<Line>(Vector3{1, 2, 3}, Vector3{4, 5, 6});
    heapLine->setColor({1.0f, 0.7f, 0.49f});
    onHeap->add(*heapLine);

    SceneArena arena(64);
    const Ref<Group> inArena = arena.make<Group>(20, 20);
    const Ref<Line> arenaLine = arena.make<Line>(Vector3{1, 2, 3}, Vector3{4, 5, 6});
    arenaLine->setAttributes(arena.make<AttributeSet>(Vector3{1.0f, 0.7f, 0.49f}));
    inArena->add(*arenaLine);

    EXPECT_EQ(arenaLine->typeCode(), LineType);
    EXPECT_EQ(arenaLine->refCount(), 2);  // this Ref's and the group's
    EXPECT_EQ(textOf(*inArena), textOf(*onHeap));
    EXPECT_EQ(testing::exactForm(*inArena), testing::exactForm(*onHeap));
}

// Many objects over several blocks (the first holds a few), shared between groups and
// released in a shuffled order, some before the arena's handle goes and most after: each
// stays whole until its last reference goes. (The sanitizer build reports any object used
// after its blocks were freed, and blocks never freed.)
TEST(SceneArena, ObjectsOutliveTheHandleAndGoInAnyOrder) {
    std::vector<Ref<Line>> lines;
    Ref<Group> holder;
    {
        SceneArena arena(4 * SceneArena::objectBytes<Line>());
        holder = arena.make<Group>(20, 20);
        for (int i = 0; i < 3000; ++i) {
            lines.push_back(arena.make<Line>(Vector3{static_cast<float>(i), 0, 0}, Vector3{0, static_cast<float>(i), 0}));
            ASSERT_TRUE(lines.back());
            lines.back()->setAttributes(arena.make<AttributeSet>(i % 19));
            if (i % 3 == 0) holder->add(*lines.back());
        }
        std::mt19937 shuffle(7);
        std::shuffle(lines.begin(), lines.end(), shuffle);
        lines.resize(lines.size() / 2);  // released while the arena's handle is held
    }
    for (const Ref<Line>& line : lines) {
        EXPECT_EQ(line->start.x, line->end.y);
        EXPECT_EQ(line->attributes()->color().x, paletteColor(static_cast<int>(line->start.x) % 19).x);
    }
    lines.clear();
    ASSERT_EQ(holder->count(), 1000);
    for (std::int32_t i = 0; i < holder->count(); ++i) {
        const auto& line = dynamic_cast<const Line&>(holder->child(i));
        EXPECT_EQ(line.start.x, static_cast<float>(3 * i));
        EXPECT_EQ(line.refCount(), 1);
    }
    holder.reset();  // the last objects, and with them the blocks
}

// The blocks of an arena whose objects have all gone serve the next arena (their pages
// already touched); those of an arena whose objects live on are lent to no other.
TEST(SceneArena, ANewArenaTakesTheBlocksOfOneWhoseObjectsHaveAllGone) {
    const void* first = nullptr;
    {
        SceneArena arena(1 << 16);
        first = arena.make<Line>(Vector3{}, Vector3{}).get();  // released at once
    }
    SceneArena next(1 << 16);
    const Ref<Line> line = next.make<Line>(Vector3{1, 1, 1}, Vector3{});
    EXPECT_EQ(line.get(), first);
    SceneArena meanwhile(1 << 16);
    const Ref<Line> other = meanwhile.make<Line>(Vector3{}, Vector3{});
    EXPECT_NE(other.get(), first);
    EXPECT_EQ(line->start.x, 1.0f);
}

}  // namespace
}  // namespace kelvaro
