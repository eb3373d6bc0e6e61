#include "vcl/components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* g_log = nullptr;

class Probe : public TComponent {
public:
    Probe(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
    ~Probe() override
    {
        if (g_log) g_log->push_back("free " + Name());
    }
    TComponent* Ref = nullptr;
    void SetRef(TComponent* c)
    {
        Ref = c;
        if (c) c->FreeNotification(this);
    }
    bool LoadingAtLoaded = true;
    int LoadedCalls = 0;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Ref) Ref = nullptr;
    }
    void Loaded() override
    {
        ++LoadedCalls;
        LoadingAtLoaded = Loading();
        if (g_log) g_log->push_back("loaded " + Name());
    }
};

TEST(VclComponents, OwnerFreesItsComponentsLastFirst)
{
    std::vector<std::string> log;
    g_log = &log;
    auto* root = new Probe(nullptr, "root");
    new Probe(root, "a");
    new Probe(root, "b");
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->Components(1)->Name(), "b");
    EXPECT_EQ(root->FindComponent("A")->Name(), "a");
    EXPECT_THROW(root->Components(2), EComponentError);
    root->Free();
    g_log = nullptr;
    // The owner's own destructor body runs first, then its components go, last first.
    EXPECT_EQ(log, (std::vector<std::string>{"free root", "free b", "free a"}));
}

TEST(VclComponents, DuplicateNameRefused)
{
    TComponent root(nullptr);
    Probe a(&root, "Button1");
    EXPECT_THROW(Probe(&root, "button1"), EComponentError);
    root.RemoveComponent(&a);
}

TEST(VclComponents, ReferenceToAFreedComponentIsCleared)
{
    TComponent formA(nullptr), formB(nullptr);
    auto* holder = new Probe(&formA, "holder");
    auto* theme = new Probe(&formB, "theme");
    holder->SetRef(theme);
    theme->Free(); // owned by another form: reached only through FreeNotification
    EXPECT_EQ(holder->Ref, nullptr);
    EXPECT_EQ(formB.ComponentCount(), 0);
}

TEST(VclComponents, SiblingHearsOfRemovalThroughTheOwner)
{
    TComponent form(nullptr);
    auto* holder = new Probe(&form, "holder");
    auto* other = new Probe(&form, "other");
    holder->Ref = other; // no FreeNotification: the owner tells its components
    delete other;
    EXPECT_EQ(holder->Ref, nullptr);
}

TEST(VclComponents, WatcherFreedFirstIsUnlinked)
{
    // A watcher that dies before its subject must not be called afterwards.
    TComponent root(nullptr);
    auto* subject = new Probe(nullptr, "subject");
    auto* watcher = new Probe(&root, "watcher");
    watcher->SetRef(subject);
    watcher->Free();
    subject->Free(); // would touch freed memory if the link were kept (ASan)
    SUCCEED();
}

TEST(VclComponents, LoadingPhaseEndsWithLoadedInCreationOrder)
{
    std::vector<std::string> log;
    g_log = &log;
    {
        Probe root(nullptr, "root");
        root.BeginLoading();
        auto* a = new Probe(&root, "a");
        auto* b = new Probe(&root, "b");
        EXPECT_TRUE(a->Loading());
        EXPECT_TRUE(b->ComponentState() & csLoading);
        root.EndLoading();
        EXPECT_FALSE(a->Loading());
        EXPECT_FALSE(a->LoadingAtLoaded);
        EXPECT_EQ(a->LoadedCalls, 1);
        root.EndLoading(); // a second end does nothing
        EXPECT_EQ(a->LoadedCalls, 1);
        log.clear();
    }
    g_log = nullptr;
}

TEST(VclComponents, LoadingEndsForComponentsOwnedByOwnedOnes)
{
    // A group making its buttons while the form loads: they finish loading with it.
    Probe root(nullptr, "root");
    root.BeginLoading();
    auto* group = new Probe(&root, "group");
    auto* button = new Probe(group, "button");
    EXPECT_TRUE(button->Loading());
    root.EndLoading();
    EXPECT_FALSE(button->Loading());
    EXPECT_FALSE(button->LoadingAtLoaded);
    EXPECT_EQ(button->LoadedCalls, 1);
    EXPECT_EQ(group->LoadedCalls, 1);
}
} // namespace
