#pragma once
// Components: objects with an owner that frees them, a name, a tag, and
// notifications when a component they refer to goes away.
#include "rtl/system.h"
#include "rtl/sysutils.h"

#include <cstdint>
#include <string>
#include <vector>

enum TOperation { opInsert, opRemove };

// Component state flags (a set, or'ed together).
using TComponentState = unsigned;
enum : unsigned {
    csLoading = 0x01,     // properties are being applied in resource order; events stay quiet
    csReading = 0x02,
    csDestroying = 0x04,  // the destructor has begun
    csDesigning = 0x08,   // never set in this program (no designer)
    csUpdating = 0x10,
};

class TComponent : public TObject {
public:
    // The owner frees this component when it is freed itself. A component made
    // while its owner is loading starts loading too.
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;  // ERangeError-style EListError outside 0..count-1
    int ComponentIndex() const;               // place in the owner's list, -1 without owner
    TComponent* FindComponent(const std::string& name) const; // case-insensitive

    const std::string& Name() const { return name_; }
    // A name must be unique among the owner's components (EComponentError otherwise).
    virtual void SetName(const std::string& name);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t tag) { tag_ = tag; }
    TComponentState ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }

    // Moves the component to another owner (nullptr: unowned).
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last first.
    void DestroyComponents();

    // `component` is told by Notification(this, opRemove) when this one goes away,
    // even when it is owned elsewhere (another form).
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Loading phase of a form laid out in code: BeginLoading marks the component
    // and every component it owns as loading; EndLoading clears the flags and calls
    // Loaded on each owned component (at any depth, owned ones before their
    // owner) in creation order, then on itself.
    void BeginLoading();
    void EndLoading();

    // Destroys the component the framework's way: BeforeDestruction, then delete.
    void Free();

    // Marks the component as going away and sends the removal notifications
    // while it is still whole; the destructor does it when nobody did before.
    virtual void BeforeDestruction();

protected:
    // Told about components inserted into or removed from the owner, and about
    // components this one asked FreeNotification of. The default passes nothing on.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called once the loading phase is over.
    virtual void Loaded();
    void SetComponentState(TComponentState state) { state_ = state; }

private:
    void NotifyAll(TComponent* subject, TOperation op);
    // Clears the loading flag of every component owned here, at any depth, and
    // lists them owned-before-owner in creation order.
    void ClearLoading(std::vector<TComponent*>& done);
    void RemoveNotificationLink(TComponent* other);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    std::intptr_t tag_ = 0;
    TComponentState state_ = 0;
    bool removalSent_ = false;
};

KELDARA_EXCEPTION(EComponentError, Exception);
