#pragma once
// The runtime library is built with hidden visibility: what its public headers
// declare carries RTL_API and is all that librtl.so exports.
#define RTL_API __attribute__((visibility("default")))
