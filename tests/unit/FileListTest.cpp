#include <gtest/gtest.h>

#include <random>

#include "filelist/FileList.h"

namespace vx {
namespace {

// The simplest list that could be right: entries as (id, text) in a vector.
struct Reference {
    struct E {
        int id;
        std::string text;
    };
    std::vector<E> entries;
    int selected = -1;  // id
    int pos(int id) const {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].id == id) return static_cast<int>(i) + 1;
        return 0;
    }
};

TEST(FileList, BehavesLikeAReferenceListUnderRandomOperations) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        FileList list;
        Reference ref;
        std::vector<std::pair<FileList::Ref, int>> refs;  // list ref, reference id
        int nextId = 0;
        for (int step = 0; step < 1200; ++step) {
            const int op = static_cast<int>(rng() % 10);
            const std::size_t n = list.count();
            if (op < 4 || n == 0) {
                std::string text = "/f/" + std::to_string(rng() % 50);  // duplicates on purpose
                refs.emplace_back(list.append(text), nextId);
                ref.entries.push_back({nextId++, text});
            } else if (op < 6) {
                const std::size_t p = rng() % n + 1;
                list.remove(p);
                if (ref.entries[p - 1].id == ref.selected) ref.selected = -1;
                ref.entries.erase(ref.entries.begin() + static_cast<long>(p) - 1);
            } else if (op < 8) {
                const std::size_t p = rng() % n + 1;
                std::string text = "/g/" + std::to_string(step);
                list.setText(p, text);
                ref.entries[p - 1].text = text;
            } else {
                const std::size_t p = rng() % n + 1;
                list.select(p);
                ref.selected = ref.entries[p - 1].id;
            }

            ASSERT_EQ(list.count(), ref.entries.size());
            for (std::size_t i = 0; i < ref.entries.size(); ++i)
                ASSERT_EQ(list.text(i + 1), ref.entries[i].text) << "seed " << seed;
            for (const auto& [r, id] : refs) {
                const int expected = ref.pos(id);
                const auto got = list.position(r);
                if (expected == 0) {
                    ASSERT_FALSE(got.has_value()) << "a removed entry's reference must be void";
                } else {
                    ASSERT_EQ(got, static_cast<std::size_t>(expected));
                    ASSERT_EQ(list.at(*got), r);
                }
            }
            const auto sel = list.selected();
            if (ref.selected < 0) {
                ASSERT_FALSE(sel.has_value());
            } else {
                ASSERT_TRUE(sel.has_value());
                ASSERT_EQ(list.position(*sel), static_cast<std::size_t>(ref.pos(ref.selected)));
            }
        }
    }
}

TEST(FileList, KeepsTextsByteForByteAndRefusesPositionsOutsideTheList) {
    FileList list;
    const std::string odd = std::string("/tmp/caf\xe9 \"q\"\n$(x)\x01", 20);
    list.append(odd);
    list.append(odd);
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.text(2), odd);
    EXPECT_THROW(list.text(0), std::out_of_range);
    EXPECT_THROW(list.text(3), std::out_of_range);
    EXPECT_THROW(list.remove(3), std::out_of_range);
    EXPECT_FALSE(list.position(FileList::Ref{}).has_value());
}

}  // namespace
}  // namespace vx
