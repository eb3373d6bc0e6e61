// CD-ROM sector headers, EDC and ECC.
#include "win32/cdsector.h"

#include <array>
#include <cstring>

namespace {

constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

struct Tables {
    std::array<std::uint32_t, 256> edc{};
    std::array<std::uint8_t, 256> eccForward{};    // multiplication by alpha in GF(2^8)
    std::array<std::uint8_t, 256> eccBackward{};   // division by (alpha + 1)
    Tables()
    {
        for (std::uint32_t i = 0; i < 256; ++i) {
            // The EDC polynomial (x^16 + x^15 + x^2 + 1)(x^16 + x^2 + x + 1), bits reversed.
            std::uint32_t crc = i;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ ((crc & 1) ? 0xD8018001u : 0);
            edc[i] = crc;
            const std::uint32_t doubled = (i << 1) ^ ((i & 0x80) ? 0x11D : 0);
            eccForward[i] = static_cast<std::uint8_t>(doubled);
            eccBackward[i ^ doubled] = static_cast<std::uint8_t>(i);
        }
    }
};

const Tables& TheTables()
{
    static const Tables tables;
    return tables;
}

std::uint8_t Bcd(int v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// One set of Reed-Solomon parity bytes (P: 86 vectors of 24 bytes, Q: 52 of 43)
// over the 2340 bytes from the header on.
void EccBlock(const std::uint8_t* from, std::uint32_t majorCount, std::uint32_t minorCount, std::uint32_t majorMult,
              std::uint32_t minorInc, std::uint8_t* parity)
{
    const Tables& t = TheTables();
    const std::uint32_t size = majorCount * minorCount;
    for (std::uint32_t major = 0; major < majorCount; ++major) {
        std::uint32_t index = (major >> 1) * majorMult + (major & 1);
        std::uint8_t a = 0, b = 0;
        for (std::uint32_t minor = 0; minor < minorCount; ++minor) {
            const std::uint8_t value = from[index];
            index += minorInc;
            if (index >= size)
                index -= size;
            a ^= value;
            b ^= value;
            a = t.eccForward[a];
        }
        a = t.eccBackward[t.eccForward[a] ^ b];
        parity[major] = a;
        parity[major + majorCount] = a ^ b;
    }
}

void Ecc(std::uint8_t* raw, bool zeroHeader)
{
    // Mode 2 sectors leave the header out of the parity: it counts as zeros.
    std::uint8_t header[4];
    std::memcpy(header, raw + 12, 4);
    if (zeroHeader)
        std::memset(raw + 12, 0, 4);
    EccBlock(raw + 12, 86, 24, 2, 86, raw + 2076);    // P
    EccBlock(raw + 12, 52, 43, 86, 88, raw + 2248);   // Q
    std::memcpy(raw + 12, header, 4);
}

void PutEdc(std::uint8_t* at, std::uint32_t edc)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(edc >> (8 * i));
}

} // namespace

void CdSectorHeader(std::uint8_t* raw, std::int32_t lba, std::uint8_t mode)
{
    std::memcpy(raw, kSync, sizeof kSync);
    const std::int64_t frames = std::int64_t{lba} + 150;
    const std::int64_t f = frames < 0 ? frames + 450000 : frames;   // before 00:00:00 the clock runs back from 99:59:74
    raw[12] = Bcd(static_cast<int>(f / 4500 % 100));
    raw[13] = Bcd(static_cast<int>(f / 75 % 60));
    raw[14] = Bcd(static_cast<int>(f % 75));
    raw[15] = mode;
}

std::uint32_t CdSectorEdc(const std::uint8_t* data, std::size_t length)
{
    const Tables& t = TheTables();
    std::uint32_t edc = 0;
    for (std::size_t i = 0; i < length; ++i)
        edc = (edc >> 8) ^ t.edc[(edc ^ data[i]) & 0xFF];
    return edc;
}

void CdSectorCodes(std::uint8_t* raw)
{
    if (raw[15] == 1) {
        PutEdc(raw + 2064, CdSectorEdc(raw, 2064));
        std::memset(raw + 2068, 0, 8);
        Ecc(raw, false);
    } else if (raw[15] == 2 && CdSectorForm2(raw)) {
        PutEdc(raw + 2348, CdSectorEdc(raw + 16, 2332));
    } else if (raw[15] == 2) {
        PutEdc(raw + 2072, CdSectorEdc(raw + 16, 2056));
        Ecc(raw, true);
    }
}
