#include "intr/item_id_provider.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(ItemIdProvider, StartsAtZeroAndCountsFromOne) {
  ItemIdProviderImpl ids;
  EXPECT_EQ(ids.currentId(), 0);
  EXPECT_EQ(ids.nextId(), 1);
  EXPECT_EQ(ids.nextId(), 2);
  EXPECT_EQ(ids.nextId(), 3);
  EXPECT_EQ(ids.currentId(), 3);
}

TEST(ItemIdProvider, ConcurrentCallersGetDistinctIds) {
  ItemIdProviderImpl ids;
  constexpr int kThreads = 4;
  constexpr int kPerThread = 1000;
  std::vector<std::vector<std::int64_t>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) seen[t].push_back(ids.nextId());
    });
  for (auto& th : threads) th.join();
  std::vector<bool> hit(kThreads * kPerThread + 1, false);
  for (const auto& list : seen)
    for (std::int64_t id : list) {
      ASSERT_GE(id, 1);
      ASSERT_LE(id, kThreads * kPerThread);
      EXPECT_FALSE(hit[id]) << id;
      hit[id] = true;
    }
  EXPECT_EQ(ids.currentId(), kThreads * kPerThread);
}
