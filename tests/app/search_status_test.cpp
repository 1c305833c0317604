#include "app/search_status.h"

#include <gtest/gtest.h>

#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;

TEST(SearchStatus, FiguresOfEitherEngineAreGroupedAndTimesCutToTenths) {
  SearchProgress order;
  order.candidatesTested = 1234567;
  order.wordsPlaced = 999;
  order.elapsedMs = 6199;
  EXPECT_EQ(progressText(order), sj("辞書順検索中  6.1 秒  候補 1,234,567  配置 999"));

  SearchProgress fast;
  fast.engine = SearchEngine::Fast;
  fast.decisions = 1000;
  fast.backtracks = 12345678901;
  fast.restarts = 12;
  fast.nogoods = 3456;
  fast.wordsPlaced = 100000;
  fast.candidatesTested = 5;  // not a figure of this engine
  fast.elapsedMs = 3601234;
  EXPECT_EQ(progressText(fast), sj("高速検索中  3,601.2 秒  決定 1,000  後戻り 12,345,678,901  "
                                   "再開 12  学習 3,456  配置 100,000"));
  fast.worstRank = 12345;
  fast.closedShare = 0.375;
  EXPECT_EQ(progressText(fast),
            sj("高速検索中  3,601.2 秒  決定 1,000  後戻り 12,345,678,901  "
               "再開 12  学習 3,456  配置 100,000  最良 12,345 位  探索済み 37%"));
  EXPECT_EQ(outcomeText(fast, {SearchEnd::Stopped, 0, 40}),
            sj("高速検索: 中止しました  最も珍しい語 12,345 位 (最善かは未証明)  3,601.2 秒"));
  fast.proven = true;
  EXPECT_EQ(outcomeText(fast, {SearchEnd::Filled, 0, 40}),
            sj("高速検索: すべて埋まりました  最も珍しい語 12,345 位 (最善)  3,601.2 秒"));
  EXPECT_EQ(outcomeText(fast, {SearchEnd::NoFill, 3, 40}),
            sj("高速検索: 40 グループ中 3 グループは埋まりません  3,601.2 秒"));
  EXPECT_EQ(outcomeText(fast, {SearchEnd::NoFurtherFill, 0, 40}),
            sj("高速検索: ほかに埋められる組み合わせはありません  3,601.2 秒"));

  // After 10 s the dictionary order names the fast engine; the fast engine never does.
  order.elapsedMs = 9999;
  EXPECT_EQ(progressText(order), sj("辞書順検索中  9.9 秒  候補 1,234,567  配置 999"));
  order.elapsedMs = 10000;
  EXPECT_EQ(progressText(order),
            sj("辞書順検索中  10.0 秒  候補 1,234,567  配置 999  "
               "大きな辞書では 検索 メニューの 高速検索 が埋め方を見つけます"));
}

}  // namespace
}  // namespace vexilo
