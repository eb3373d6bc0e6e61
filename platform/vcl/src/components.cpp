#include "vcl/components.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) {
        if (AOwner->Loading()) state_ |= csLoading;
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent()
{
    BeforeDestruction();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free()
{
    BeforeDestruction();
    delete this;
}

void TComponent::BeforeDestruction()
{
    if (removalSent_) return;
    removalSent_ = true;
    state_ |= csDestroying;
    // Everyone who asked to hear about us forgets us now, while we are whole.
    // One at a time from the live list: a watcher freed by another's
    // notification has taken itself off it by then.
    while (!freeNotifies_.empty()) {
        TComponent* w = freeNotifies_.front();
        freeNotifies_.erase(freeNotifies_.begin());
        auto& theirs = w->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        w->Notification(this, opRemove);
    }
    if (owner_) owner_->NotifyAll(this, opRemove);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EComponentError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::SetName(const std::string& name)
{
    if (name == name_) return;
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError("A component named " + name + " already exists");
    }
    name_ = name;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    NotifyAll(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this) return;
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end()) components_.erase(it);
    component->owner_ = nullptr;
}

void TComponent::NotifyAll(TComponent* subject, TOperation op)
{
    // The owner and each of its components hear of it; the list may change while
    // handlers run, so walk a copy and skip those already gone.
    Notification(subject, op);
    auto snapshot = components_;
    for (TComponent* c : snapshot) {
        if (c == subject) continue;
        if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
        c->Notification(subject, op);
    }
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        // Told while whole; its destructor takes it off our list.
        components_.back()->Free();
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    // Both ways: the watcher's death must unlink it from us too.
    auto& theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    RemoveNotificationLink(component);
    if (component) component->RemoveNotificationLink(this);
}

void TComponent::RemoveNotificationLink(TComponent* other)
{
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other), freeNotifies_.end());
}

void TComponent::BeginLoading()
{
    state_ |= csLoading;
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading()
{
    if (!Loading()) return;
    // Clear every flag first, so that a Loaded handler sees its neighbours
    // finished, also the components they own (a group's buttons).
    std::vector<TComponent*> done;
    ClearLoading(done);
    state_ &= ~csLoading;
    for (TComponent* c : done) c->Loaded();
    Loaded();
}

void TComponent::ClearLoading(std::vector<TComponent*>& done)
{
    for (TComponent* c : components_)
        if (c->Loading()) {
            c->state_ &= ~csLoading;
            c->ClearLoading(done);
            done.push_back(c);
        }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Loaded() {}
