#include "rtl/classes.h"
#include "rtl/sysutils.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(MemoryStream, ReadsStopAtTheEndAndBuffersMustBeWhole)
{
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Position(), 6);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 4), 0);
    m.SetPosition(4);
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(std::string(buf, 2), "ef");
    m.SetPosition(3);
    try {
        m.ReadBuffer(buf, 4);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
    EXPECT_THROW(m.Seek(-7, soEnd), EStreamError);
    EXPECT_EQ(m.Seek(-2, soEnd), 4);

    // Writing past the end fills the gap with zeros.
    m.Seek(10, soBeginning);
    m.WriteBuffer("Z", 1);
    ASSERT_EQ(m.Size(), 11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 11), std::string("abcdef\0\0\0\0Z", 11));
    m.SetSize(2);
    EXPECT_EQ(m.Position(), 2);
    EXPECT_THROW(m.SetSize(-1), EStreamError);
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
}

TEST(MemoryStream, CopiesAndFileRoundTrip)
{
    TempFolder dir;
    TMemoryStream source;
    std::string payload(300000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
    source.WriteBuffer(payload.data(), static_cast<std::int64_t>(payload.size()));
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(source, 0), 300000);   // 0 = all of the source from its start
    source.SetPosition(100);
    EXPECT_THROW(copy.CopyFrom(source, 300000), EReadError);
    copy.SaveToFile(dir / "blob.bin");
    EXPECT_EQ(ReadBytes(dir / "blob.bin"), payload);
    TMemoryStream back;
    back.LoadFromFile(dir / "blob.bin");
    EXPECT_EQ(back.Position(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Memory()), payload.size()), payload);
}

TEST(FileStream, ModesCreateTruncateAndRefuse)
{
    TempFolder dir;
    const std::string path = dir / "f.dat";
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("hello world", 11);
        EXPECT_EQ(f.Size(), 11);
    }
    {
        TFileStream f(path, fmOpenReadWrite | fmShareExclusive);
        f.Seek(6, soBeginning);
        f.WriteBuffer("WORLD", 5);
        f.SetPosition(0);
        char buf[11];
        f.ReadBuffer(buf, 11);
        EXPECT_EQ(std::string(buf, 11), "hello WORLD");
        EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyNone);
        EXPECT_THROW(f.WriteBuffer("x", 1), EStreamError);   // read-only really is read-only
    }
    {
        TFileStream f(path, fmOpenWrite);             // opening for writing keeps the contents
        EXPECT_EQ(f.Size(), 11);
        f.SetSize(5);
    }
    EXPECT_EQ(ReadBytes(path), "hello");
    {
        TFileStream f(path, fmCreate);                // create truncates
    }
    EXPECT_EQ(ReadBytes(path), "");

    try {
        TFileStream f(dir / "none.dat", fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + (dir / "none.dat") + "\". No such file or directory");
    }
    EXPECT_THROW(TFileStream(dir.Path(), fmOpenRead), EFOpenError);   // a folder is not a file
    EXPECT_THROW(TFileStream(dir / "no/x.dat", fmCreate), EFCreateError);
}

TEST(FileStream, PositionsBeyondFourGigabytes)
{
    TempFolder dir;
    const std::string path = dir / "sparse.dat";
    const std::int64_t beyond = (std::int64_t{5} << 30) + 3;   // 5 GiB + 3, sparse
    {
        TFileStream f(path, fmCreate);
        f.SetSize(beyond);
        EXPECT_EQ(f.Size(), beyond);
        EXPECT_EQ(f.Seek(-1, soEnd), beyond - 1);
        f.WriteBuffer("!", 1);
        EXPECT_EQ(f.Position(), beyond);
    }
    EXPECT_EQ(FileSize64(path), beyond);
    TFileStream f(path, fmOpenRead);
    f.Seek(beyond - 1, soBeginning);
    char c = 0;
    f.ReadBuffer(&c, 1);
    EXPECT_EQ(c, '!');
}
