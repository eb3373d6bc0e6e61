#pragma once
// The system layer is built with hidden visibility: what its public headers
// declare carries WIN32_API and is all that libwin32.so exports.
#define WIN32_API __attribute__((visibility("default")))
