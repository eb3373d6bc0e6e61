// Reading vcdxbuild's --gui lines: progress over several items, write
// positions past the size, and the error line kept as the reason.
#include "vcdxbuildlog.h"

#include <gtest/gtest.h>

TEST(VcdxbuildLog, ScanIsSharedOverTheItemsAndWriteIsClamped)
{
    VcdxbuildLog log(3);
    log.Take(R"(<progress operation="scan" id="seq1-movie" position="50" size="100" />)");
    EXPECT_EQ(log.ScanPercent(), 16);
    log.Take(R"(<progress operation="scan" id="seq1-movie" position="100" size="100" />)");
    log.Take(R"(<progress operation="scan" id="seq2-movie" position="0" size="0" />)");
    EXPECT_EQ(log.ScanPercent(), 33);
    log.Take(R"(<progress operation="scan" id="seq2-movie" position="200" size="200" />)");
    log.Take(R"(<progress operation="scan" id="seq3-movie" position="300" size="300" />)");
    EXPECT_EQ(log.ScanPercent(), 100);
    EXPECT_EQ(log.WritePercent(), 0);
    log.Take(R"(<progress operation="write" position="300" size="673" />)");
    EXPECT_EQ(log.WritePercent(), 44);
    // The builder writes past the size it first named; the bar never goes past 100.
    log.Take(R"(<progress operation="write" position="823" size="673" />)");
    EXPECT_EQ(log.WritePercent(), 100);
    // Nonsense never moves the bars back or beyond.
    log.Take(R"(<progress operation="write" position="-5" size="x" />)");
    log.Take(R"(<progress operation="write" position="99999999999999999999999" size="1" />)");
    EXPECT_EQ(log.WritePercent(), 100);
    EXPECT_TRUE(log.Problem().empty());
}

TEST(VcdxbuildLog, KeepsTheErrorLineNotWarnings)
{
    VcdxbuildLog log;
    log.Take("++ WARN: string 'abc' fails d-character constraint (pos = 0)");
    log.Take(R"(<log level="warning">mpeg scan: pack header code expected</log>)");
    log.Take(R"(<log level="information">writing track 1 (ISO9660)...</log>)");
    EXPECT_TRUE(log.Problem().empty());
    EXPECT_EQ(log.Warning(), "mpeg scan: pack header code expected");
    log.Take(R"(  <log level="error">input mpeg stream has been deemed invalid -- aborting</log>)");
    EXPECT_EQ(log.Problem(), "input mpeg stream has been deemed invalid -- aborting");
    log.Take(R"(<log level="error">file `a&amp;b.mpg&apos; &lt;gone&gt;</log>)");
    EXPECT_EQ(log.Problem(), "file `a&b.mpg' <gone>");
    // An unended line keeps what it holds.
    log.Take(R"(<log level="error">cut short)");
    EXPECT_EQ(log.Problem(), "cut short");
}

TEST(VcdxbuildLog, CountsTheSequenceItemsOfAControlFile)
{
    EXPECT_EQ(CountSequenceItems(" <sequence-items>\n  <sequence-item src=\"a\" id=\"seq1-movie\"/>\n"
                                 "  <sequence-item src=\"b\" id=\"seq2-movie\"/>\n </sequence-items>\n"),
              2);
    EXPECT_EQ(CountSequenceItems("<videocd/>"), 0);
    VcdxbuildLog none(0);   // no item named: the first one seen is the whole scan
    none.Take(R"(<progress operation="scan" id="x" position="1" size="2" />)");
    EXPECT_EQ(none.ScanPercent(), 50);
}
