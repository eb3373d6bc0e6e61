#pragma once
// The graphics layer is built with hidden visibility: what its public headers
// declare carries GFX_API and is all that libgfx.so exports.
#define GFX_API __attribute__((visibility("default")))
