#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_property.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A property owner that records what EndFillProperties applied.
class Owner : public GUI::PropertySet {
public:
    GUI::Property alpha, beta;
    std::vector<std::string> applied;
    Owner() {
        AddProperty("Alpha", &alpha);
        AddProperty("Beta", &beta);
    }
    void EndFillProperties() override {
        GUI::PropertySet::EndFillProperties();
        if (alpha.set) {
            applied.push_back("Alpha=" + alpha.value);
        }
        if (beta.set) {
            applied.push_back("Beta=" + beta.value);
        }
    }
};

TEST(PropertySet, SetGetCaseAndUnknownNames) {
    LogCapture log;
    Owner o;
    GUI::Property other;
    o.AddProperty("ALPHA", &other); // same name in other case: first record stays
    o.AddProperty("Gamma", nullptr);
    EXPECT_TRUE(log.has("PropertySet::AddProperty - property 'ALPHA' already exists"));
    EXPECT_FALSE(o.HasProperty("Gamma"));

    o.Set("alpha", "1 2 3");
    EXPECT_EQ(o.alpha.value, "1 2 3");
    EXPECT_TRUE(o.alpha.set);
    EXPECT_EQ(o.Get("ALPHA"), "1 2 3");
    EXPECT_EQ(other.value, "");

    log.clear();
    o.Set("Delta", "x");
    EXPECT_EQ(o.Get("Delta"), "");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"PropertySet::Set - property 'Delta' not found",
                                                   "PropertySet::Get - property 'Delta' not found"}));
    EXPECT_EQ(o.alpha.value, "1 2 3");
    EXPECT_FALSE(o.beta.set);
}

TEST(PropertySet, FillCycleAppliesOnlyWhatWasSetWithTheLastText) {
    Owner o;
    o.BeginFillProperties();
    o.Set("Beta", "first");
    o.Set("beta", "second");
    o.EndFillProperties();
    EXPECT_EQ(o.applied, (std::vector<std::string>{"Beta=second"}));

    o.applied.clear();
    o.BeginFillProperties();
    EXPECT_FALSE(o.alpha.set);
    EXPECT_FALSE(o.beta.set);
    o.EndFillProperties();
    EXPECT_TRUE(o.applied.empty());
    EXPECT_EQ(o.Get("Beta"), "second"); // the text itself stays
}

// A subscriber that notes its calls in a shared journal.
struct Recorder : GUI::SubscriberInterface {
    std::vector<const Recorder*>* journal;
    bool answer;
    Recorder(std::vector<const Recorder*>* j, bool a) : journal(j), answer(a) {}
    bool Invoke(const GUI::EventArgs&) override {
        journal->push_back(this);
        return answer;
    }
};

TEST(EventSet, HandledAccumulatesAndEverySubscriberIsCalled) {
    struct Case {
        bool first, second, handled;
    };
    for (const Case& c : {Case{false, false, false}, Case{true, false, true}, Case{false, true, true},
                          Case{true, true, true}}) {
        std::vector<const Recorder*> journal;
        Recorder pair[2] = {Recorder(&journal, c.first), Recorder(&journal, c.second)};
        GUI::EventSet set;
        set.AddEvent("Clicked");
        set.SubscribeEvent("Clicked", &pair[0]);
        set.SubscribeEvent("Clicked", &pair[1]);
        GUI::EventArgs args;
        set.LaunchEvent("clicked", args);
        EXPECT_EQ(args.handled, c.handled) << c.first << c.second;
        EXPECT_EQ(journal.size(), 2u);
    }
}

TEST(EventSet, SubscriptionOrderAndOneEntryPerSubscriber) {
    std::vector<const Recorder*> journal;
    Recorder r[3] = {Recorder(&journal, false), Recorder(&journal, false), Recorder(&journal, false)};
    GUI::Event event("MouseDown");
    event.Subscribe(&r[1]); // the higher addresses first
    event.Subscribe(&r[2]);
    event.Subscribe(&r[0]);
    GUI::Connection again = event.Subscribe(&r[1]); // keeps its place
    GUI::EventArgs args;
    event.Fire(args);
    EXPECT_EQ(journal, (std::vector<const Recorder*>{&r[1], &r[2], &r[0]}));
    EXPECT_EQ(again.GetEvent(), &event);
    EXPECT_EQ(again.GetSubscriber(), &r[1]);

    // Unsubscribed and subscribed anew: now the last.
    event.Unsubscribe(&r[2]);
    event.Subscribe(&r[2]);
    journal.clear();
    event.Fire(args);
    EXPECT_EQ(journal, (std::vector<const Recorder*>{&r[1], &r[0], &r[2]}));
}

TEST(EventSet, UnknownNamesLogAndCallNobody) {
    LogCapture log;
    std::vector<const Recorder*> journal;
    Recorder r(&journal, true);
    GUI::EventSet set;
    set.AddEvent("Shown");
    set.AddEvent("SHOWN");
    EXPECT_TRUE(log.has("EventSet::AddEvent - event SHOWN already exists"));

    GUI::Connection dummy = set.SubscribeEvent("Hidden", &r);
    EXPECT_TRUE(log.has("EventSet::SubscribeEvent - event Hidden not found"));
    EXPECT_EQ(dummy.GetEvent(), nullptr);
    ASSERT_NE(dummy.GetSubscriber(), nullptr);
    EXPECT_NE(dummy.GetSubscriber(), &r);
    GUI::EventArgs probe;
    EXPECT_FALSE(dummy.GetSubscriber()->Invoke(probe));
    dummy.Disconnect(); // harmless

    GUI::EventArgs args;
    set.LaunchEvent("Hidden", args);
    EXPECT_TRUE(log.has("EventSet::LaunchEvent - event 'Hidden' not found"));
    set.LaunchEvent("Shown", args);
    EXPECT_TRUE(journal.empty());
    EXPECT_FALSE(args.handled);
}

// A room-like object that listens through a member binder and may die first.
class Listener {
public:
    int calls = 0;
    GUI::_memberBinder<Listener> binder{this, &Listener::OnEvent};
    GUI::ScopedConnection connection;
    bool OnEvent(const GUI::EventArgs& args) {
        ++calls;
        auto* mouse = dynamic_cast<const GUI::MouseEventArgs*>(&args);
        return mouse && mouse->button == 0;
    }
};

TEST(EventSet, ConnectionsOutliveEitherSide) {
    GUI::EventSet set;
    set.AddEvent("MouseUp");
    const GUI::SubscriberInterface* gone = nullptr;
    {
        Listener dying;
        gone = &dying.binder;
        dying.connection = set.SubscribeEvent("MouseUp", &dying.binder);
        GUI::MouseEventArgs args;
        args.button = 0;
        set.LaunchEvent("MouseUp", args);
        EXPECT_TRUE(args.handled);
        EXPECT_EQ(dying.calls, 1);
    }
    EXPECT_FALSE(set.GetEvent("MouseUp")->IsSubscribed(const_cast<GUI::SubscriberInterface*>(gone)));
    GUI::MouseEventArgs after;
    set.LaunchEvent("MouseUp", after); // the listener is gone: nobody is called
    EXPECT_FALSE(after.handled);

    // The event dies first: the handle reports no event and disconnecting is safe.
    Listener survivor;
    {
        GUI::EventSet shortLived;
        shortLived.AddEvent("Closed");
        survivor.connection = shortLived.SubscribeEvent("closed", &survivor.binder);
        EXPECT_TRUE(survivor.connection.Get().IsConnected());
    }
    EXPECT_FALSE(survivor.connection.Get().IsConnected());
    survivor.connection.Disconnect();
}

int g_freeCalls = 0;
bool freeHandler(const GUI::EventArgs&) {
    ++g_freeCalls;
    return true;
}

TEST(EventSet, OwnedBindersAndChangesDuringFire) {
    g_freeCalls = 0;
    GUI::EventSet set;
    set.AddEvent("Changed");
    GUI::Connection owned = set.SubscribeEvent("Changed", std::make_unique<GUI::_freeBinder>(&freeHandler));

    // A handler that removes itself and the other subscriber while the event fires.
    struct Remover : GUI::SubscriberInterface {
        GUI::Event* event = nullptr;
        GUI::SubscriberInterface* victim = nullptr;
        int calls = 0;
        bool Invoke(const GUI::EventArgs&) override {
            ++calls;
            event->Unsubscribe(victim);
            event->Unsubscribe(this);
            return false;
        }
    } remover;
    remover.event = set.GetEvent("Changed");
    remover.victim = owned.GetSubscriber();
    set.SubscribeEvent("Changed", &remover);

    GUI::EventArgs args;
    set.LaunchEvent("Changed", args);
    // Whichever ran first, the remover ran once and the owned binder at most once.
    EXPECT_EQ(remover.calls, 1);
    EXPECT_LE(g_freeCalls, 1);
    EXPECT_EQ(args.handled, g_freeCalls == 1);
    EXPECT_FALSE(owned.IsConnected());
    GUI::EventArgs again;
    set.LaunchEvent("Changed", again);
    EXPECT_EQ(remover.calls, 1);
    EXPECT_FALSE(again.handled);

    // A handler that destroys the event set it was called from.
    auto doomed = std::make_unique<GUI::EventSet>();
    doomed->AddEvent("Gone");
    struct Destroyer : GUI::SubscriberInterface {
        std::unique_ptr<GUI::EventSet>* owner = nullptr;
        bool Invoke(const GUI::EventArgs&) override {
            owner->reset();
            return true;
        }
    };
    Destroyer d1, d2;
    d1.owner = d2.owner = &doomed;
    doomed->SubscribeEvent("Gone", &d1);
    doomed->SubscribeEvent("Gone", &d2);
    GUI::EventArgs last;
    doomed->LaunchEvent("Gone", last); // the second call must not happen on a dead event
    EXPECT_EQ(doomed, nullptr);
    EXPECT_TRUE(last.handled);
}

} // namespace
