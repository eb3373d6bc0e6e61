#pragma once
// The root object and the event signatures every layer shares.
#include "rtl/export.h"

#include <cstdint>
#include <functional>

// Root of the framework's object hierarchy: lets lists, events and owners hold
// any object by a common base.
class RTL_API TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// Sets a flag for a scope, cleared on every way out (an exception included).
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

// An event bound to an object method, as `std::function` (empty = unassigned).
using TNotifyEvent = std::function<void(TObject* Sender)>;
