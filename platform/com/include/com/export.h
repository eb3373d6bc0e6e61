#pragma once
// The component layer is built with hidden visibility: what its public headers
// declare carries COM_API and is all that libcom.so exports.
#define COM_API __attribute__((visibility("default")))
