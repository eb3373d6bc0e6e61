// The SVCD/VCD control file, byte for byte, and the image files' base name.
#include "pipeline/vcdimagexml.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kVcdThreeTitles = R"(<?xml version="1.0"?>
<!DOCTYPE videocd PUBLIC "-//GNU//DTD VideoCD//EN" "http://www.gnu.org/software/vcdimager/videocd.dtd">
<videocd xmlns="http://www.gnu.org/software/vcdimager/1.0/" class="vcd" version="2.0">
 <info>
  <album-id/>
  <volume-count>1</volume-count>
  <volume-number>1</volume-number>
  <restriction>0</restriction>
 </info>

 <pvd>
  <volume-id>vcd_disc</volume-id>
  <system-id>CD-RTOS CD-BRIDGE</system-id>
  <application-id/>
  <preparer-id/>
  <publisher-id>OrvaneDVDStudio</publisher-id>
 </pvd>

 <sequence-items>
  <sequence-item src="/work/VCD_DISC_1.mpg" id="seq1-movie"/>
  <sequence-item src="/work/VCD_DISC_2.mpg" id="seq2-movie"/>
  <sequence-item src="/work/VCD_DISC_3.mpg" id="seq3-movie"/>
 </sequence-items>
 <pbc>
  <playlist id="play-movie1">
   <wait>0</wait>
   <play-item ref="seq1-movie"/>
   <play-item ref="seq2-movie"/>
   <play-item ref="seq3-movie"/>
  </playlist>
 </pbc>
</videocd>
)";

constexpr const char* kSvcdThreeTitles = R"(<?xml version="1.0"?>
<!DOCTYPE videocd PUBLIC "-//GNU//DTD VideoCD//EN" "http://www.gnu.org/software/vcdimager/videocd.dtd">
<videocd xmlns="http://www.gnu.org/software/vcdimager/1.0/" class="svcd" version="1.0">
 <info>
  <album-id/>
  <volume-count>1</volume-count>
  <volume-number>1</volume-number>
  <restriction>0</restriction>
 </info>

 <pvd>
  <volume-id>holiday &amp;</volume-id>
  <system-id>CD-RTOS CD-BRIDGE</system-id>
  <application-id/>
  <preparer-id/>
  <publisher-id>OrvaneDVDStudio</publisher-id>
 </pvd>

 <sequence-items>
  <sequence-item src="/films/Tom &amp; Jerry/a.mpg" id="seq1-movie"/>
  <sequence-item src="/films/&lt;b&gt; &quot;c&quot;.mpg" id="seq2-movie"/>
  <sequence-item src="/films/d&apos;s.mpg" id="seq3-movie"/>
 </sequence-items>
 <pbc>
  <playlist id="play-movie1">
   <wait>0</wait>
   <play-item ref="seq1-movie"/>
   <play-item ref="seq2-movie"/>
   <play-item ref="seq3-movie"/>
  </playlist>
 </pbc>
</videocd>
)";

TEST(VcdControlFile, ThreeVcdTitles)
{
    EXPECT_EQ(VcdControlFileText(3, "vcd_disc", {"/work/VCD_DISC_1.mpg", "/work/VCD_DISC_2.mpg", "/work/VCD_DISC_3.mpg"}),
              kVcdThreeTitles);
}

TEST(VcdControlFile, ThreeSvcdTitlesWithEveryValueEscaped)
{
    EXPECT_EQ(VcdControlFileText(2, "holiday &", {"/films/Tom & Jerry/a.mpg", "/films/<b> \"c\".mpg", "/films/d's.mpg"}),
              kSvcdThreeTitles);
}

TEST(VcdImageBaseName, LowerCaseFirstTenCharactersTrimmed)
{
    EXPECT_EQ(VcdImageBaseName("  ABCDEFGHIJK", 2), "abcdefgh");
    EXPECT_EQ(VcdImageBaseName("SVCD_DISC_12", 2), "svcd_disc_");
    EXPECT_EQ(VcdImageBaseName("Ab \t", 3), "ab");
    // Characters no file name holds are dropped; nothing left gives the kind's name.
    EXPECT_EQ(VcdImageBaseName("a/b\\c:d*e?", 3), "abcde");
    EXPECT_EQ(VcdImageBaseName("   ", 2), "svcd_disc");
    EXPECT_EQ(VcdImageBaseName("", 3), "vcd_disc");
    EXPECT_EQ(VcdImageBaseName("<>|\"", 3), "vcd_disc");
    // Ten characters, not ten bytes: a UTF-8 character is never cut.
    EXPECT_EQ(VcdImageBaseName("ÄÄÄÄÄÄÄÄÄÄÄÄ", 3), "ÄÄÄÄÄÄÄÄÄÄ");
}

} // namespace
