#pragma once
// The pictures tools/artwork draws, as BMP files by resource name.
struct KivResourceBlob {
    const char* name;
    const unsigned char* data;
    unsigned size;
};
extern const KivResourceBlob kKivResources[];
extern const int kKivResourceCount;
