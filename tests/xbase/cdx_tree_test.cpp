// The index B+ tree under many inserts, replaces and deletes, checked against a sorted model.
// Wide keys keep nodes small (four entries per interior node), so splits, separator updates
// and node removal happen at every level.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <random>
#include <set>

#include "xbase/text_encoding.h"
#include "xbase/xbase_table.h"

namespace corvane::xbase {
namespace {

std::string keyText(std::mt19937& rng) {
    static const char* words[] = {"alpha", "beta", "gamma", "delta", "omega", "zeta"};
    std::string s = words[rng() % 6];
    s += std::to_string(rng() % 400);
    return s;
}

std::vector<std::pair<std::string, uint32_t>> walk(XbaseTable& t, bool forward) {
    std::vector<std::pair<std::string, uint32_t>> out;
    for (bool ok = forward ? t.goTop() : t.goBottom(); ok; ok = t.skip(forward ? 1 : -1))
        out.emplace_back(t.fieldText("K").toUpper().toStdString(), t.recNo());
    return out;
}

TEST(CdxTree, StaysSortedUnderRandomChanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath("T.DBF");
    ASSERT_TRUE(XbaseTable::create(path, {{"K", 'C', 100, 0, 0}}));
    XbaseTable t;
    ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
    t.setDeletedHidden(true);
    for (bool descending : {false, true}) {
        ASSERT_TRUE(t.createTag(
            {descending ? "DOWN" : "UP", "UPPER(K)", ".not. deleted()", false, descending}));
    }
    std::mt19937 rng(12345);
    std::map<uint32_t, std::string> live;  // recno -> upper key
    for (int step = 0; step < 3000; ++step) {
        const int action = int(rng() % 10);
        if (action < 6 || live.size() < 10) {
            ASSERT_TRUE(t.appendBlank());
            const std::string k = keyText(rng);
            EXPECT_TRUE(t.replaceText("K", QString::fromStdString(k)));
            live[t.recNo()] = UpperCase(k);
        } else {
            auto it = live.begin();
            std::advance(it, long(rng() % live.size()));
            ASSERT_TRUE(t.go(it->first));
            if (action < 8) {
                EXPECT_TRUE(t.deleteRecord());
                live.erase(it);
            } else {
                const std::string k = keyText(rng);
                EXPECT_TRUE(t.replaceText("K", QString::fromStdString(k)));
                it->second = UpperCase(k);
            }
        }
        if (step == 1500) {
            ASSERT_TRUE(t.commit());
            t.close();
            ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
            t.setDeletedHidden(true);
            ASSERT_FALSE(t.indexWasRebuilt());
        }
    }
    std::vector<std::pair<std::string, uint32_t>> expected;
    for (const auto& [recno, key] : live) expected.emplace_back(key, recno);
    std::sort(expected.begin(), expected.end());

    for (int round = 0; round < 2; ++round) {
        t.setOrder(t.tagArea("UP"));
        EXPECT_EQ(walk(t, true), expected);
        auto backwards = walk(t, false);
        std::reverse(backwards.begin(), backwards.end());
        EXPECT_EQ(backwards, expected);
        t.setOrder(t.tagArea("DOWN"));
        auto down = walk(t, true);
        // A descending tag is the ascending order walked backwards (equal keys too).
        const std::vector<std::pair<std::string, uint32_t>> expectedDown(expected.rbegin(),
                                                                         expected.rend());
        EXPECT_EQ(down, expectedDown);
        EXPECT_EQ(t.queryRecCount(), int(expected.size()));
        // The written file reads back the same.
        ASSERT_TRUE(t.commit());
        t.close();
        ASSERT_TRUE(t.open(path, OpenMode::Exclusive));
        t.setDeletedHidden(true);
        ASSERT_FALSE(t.indexWasRebuilt());
    }
    // A reindex gives the same orders.
    ASSERT_TRUE(t.reindex());
    t.setOrder(t.tagArea("UP"));
    EXPECT_EQ(walk(t, true), expected);
}

}  // namespace
}  // namespace corvane::xbase
