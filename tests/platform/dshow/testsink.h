#pragma once
// The test server module's identifiers: a sink filter in its own shared
// library, registered with regsvr32 and made by CoCreateInstance.
#include "com/unknown.h"

inline constexpr CLSID CLSID_TestSink{0x7A11E010, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10}};
// As the program's sinks do, the control interface shares the class identifier.
inline constexpr IID IID_ITestSink = CLSID_TestSink;

class ITestSink : public IUnknown {
public:
    virtual LONG STDMETHODCALLTYPE Samples() = 0;
    virtual LONG STDMETHODCALLTYPE LastFrame() = 0;

protected:
    ~ITestSink() = default;
};
