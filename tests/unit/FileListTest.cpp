#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "filelist/FileList.h"

namespace vx {
namespace {

TEST(FileList, BehavesLikeAReferenceListUnderRandomOperations) {
    FileList empty;
    EXPECT_THROW(empty.text(1), std::out_of_range);
    EXPECT_THROW(empty.remove(0), std::out_of_range);
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        FileList list;
        // The simplest list that could be right: (id, text) pairs in a vector.
        std::vector<std::pair<int, std::string>> ref;
        int refSelected = -1;
        std::vector<std::pair<FileList::Ref, int>> refs;  // list ref, reference id
        auto refPos = [&](int id) {
            const auto it =
                std::find_if(ref.begin(), ref.end(), [id](const auto& e) { return e.first == id; });
            return it == ref.end() ? std::size_t{0} : std::size_t(it - ref.begin()) + 1;
        };
        for (int step = 0; step < 1200; ++step) {
            const unsigned op = rng() % 10;
            const std::size_t n = list.count();
            const std::size_t p = n ? rng() % n + 1 : 0;
            if (op < 4 || n == 0) {
                // Duplicates on purpose, and bytes that are not UTF-8 or are special to a shell.
                std::string text = "/f/\xe9 \"$(x)\x01" + std::to_string(rng() % 50);
                const int id = static_cast<int>(refs.size());
                refs.emplace_back(list.append(text), id);
                ref.emplace_back(id, text);
            } else if (op < 6) {
                list.remove(p);
                if (ref[p - 1].first == refSelected) refSelected = -1;
                ref.erase(ref.begin() + static_cast<long>(p) - 1);
            } else if (op < 8) {
                list.setText(p, "/g/" + std::to_string(step));
                ref[p - 1].second = "/g/" + std::to_string(step);
            } else {
                list.select(p);
                refSelected = ref[p - 1].first;
            }

            ASSERT_EQ(list.count(), ref.size());
            for (std::size_t i = 0; i < ref.size(); ++i)
                ASSERT_EQ(list.text(i + 1), ref[i].second) << "seed " << seed;
            for (const auto& [r, id] : refs) {
                const std::size_t expected = refPos(id);
                const auto got = list.position(r);
                ASSERT_EQ(got.value_or(0), expected) << "a removed entry's reference is void";
                if (got) {
                    ASSERT_EQ(list.at(*got), r);
                }
            }
            const auto sel = list.selected();
            ASSERT_EQ(sel.has_value(), refSelected >= 0);
            ASSERT_EQ(sel ? list.position(*sel).value_or(0) : 0,
                      refSelected < 0 ? 0 : refPos(refSelected));
        }
    }
}

}  // namespace
}  // namespace vx
