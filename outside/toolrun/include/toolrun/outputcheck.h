#pragma once
// A look at what a program wrote before it is handed over: a program that
// says it succeeded is not taken at its word.
#include <cstdint>
#include <string>
#include <vector>

namespace toolrun {

// A file read at given offsets, never past its end.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    bool Valid() const { return fd_ >= 0; }
    std::int64_t Size() const;
    // Exactly buffer.size() bytes at offset, else false.
    bool ReadAt(std::int64_t offset, std::vector<std::uint8_t>& buffer) const;

private:
    int fd_;
};

// Answers "" when the file is a non-empty MPEG program stream: a pack header
// at its start and, with a fixed packSize, whole packs each starting with one
// (the first, the last and up to 64 spread between them are looked at). With
// navPacks the first pack must hold the DVD navigation packet that dvdauthor
// fills in. Otherwise the reason, naming the file.
std::string CheckProgramStream(const std::string& path, int packSize, bool navPacks);

} // namespace toolrun
