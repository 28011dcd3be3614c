#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "filelist/FileList.h"

namespace vx {
namespace {

TEST(FileList, BehavesLikeAReferenceListUnderRandomOperations) {
    EXPECT_THROW(FileList().text(1), std::out_of_range);
    EXPECT_THROW(FileList().remove(0), std::out_of_range);
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        FileList list;
        // The simplest list that could be right: (ref, text) pairs in a vector.
        std::vector<std::pair<FileList::Ref, std::string>> ref;
        std::vector<FileList::Ref> everRef;
        std::optional<FileList::Ref> refSelected;
        for (int step = 0; step < 1200; ++step) {
            const unsigned op = rng() % 10;
            const std::size_t n = list.count(), p = n ? rng() % n + 1 : 0;
            if (op < 4 || n == 0) {
                // Duplicates on purpose, and bytes that are not UTF-8 or are special to a shell.
                std::string text = "/f/\xe9 \"$(x)\x01" + std::to_string(rng() % 50);
                ref.emplace_back(list.append(text), text);
                everRef.push_back(ref.back().first);
            } else if (op < 6) {
                list.remove(p);
                if (ref[p - 1].first == refSelected) refSelected.reset();
                ref.erase(ref.begin() + static_cast<long>(p) - 1);
            } else if (op < 8) {
                list.setText(p, ref[p - 1].second = "/g/" + std::to_string(step));
            } else {
                list.select(p);
                refSelected = ref[p - 1].first;
            }
            ASSERT_EQ(list.count(), ref.size());
            for (std::size_t i = 0; i < ref.size(); ++i)
                ASSERT_EQ(list.text(i + 1), ref[i].second) << "seed " << seed;
            for (const FileList::Ref r : everRef) {
                const auto it = std::find_if(ref.begin(), ref.end(),
                                             [r](const auto& e) { return e.first == r; });
                const auto got = list.position(r);
                ASSERT_EQ(got.value_or(0), std::size_t(it == ref.end() ? 0 : it - ref.begin() + 1))
                    << "a removed entry's reference is void";
                if (got) {
                    ASSERT_EQ(list.at(*got), r);
                }
            }
            ASSERT_EQ(list.selected(), refSelected);
        }
    }
}

}  // namespace
}  // namespace vx
