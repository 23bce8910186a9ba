#pragma once
// Named events and the subscribers they call.
//
// Ownership: a subscriber passed by raw pointer belongs to its creator (usually
// a binder member of the object whose function it calls); one passed as a
// unique_ptr belongs to the event, which frees it when it is unsubscribed or
// the event dies. Subscribing returns a Connection handle that stays safe to
// use after the event is gone; an object that may die before the widget keeps
// a ScopedConnection, which disconnects in its destructor, so no event calls
// into a destroyed object.
//
// Firing calls the subscribers in the order they subscribed. A handler
// may subscribe, unsubscribe or destroy the event while it fires: subscribers
// added then are first called on the next fire, removed ones are not called
// again, and a destroyed event stops calling.

#include "mirel/base/a_string.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace GUI {

class Widget;
class Event;

struct EventArgs {
    bool handled = false;
    virtual ~EventArgs() = default;
};

struct WidgetEventArgs : EventArgs {
    Widget* widget = nullptr; // the widget the event concerns
};

// Modifier bits of mouse and keyboard events.
enum : uint32_t {
    MOD_SHIFT = 1,
    MOD_CTRL = 2,
    MOD_ALT = 4,
    MOD_CAPSLOCK = 8,
    MOD_SCROLLLOCK = 16,
    MOD_NUMLOCK = 32,
};

struct MouseEventArgs : WidgetEventArgs {
    uint32_t modifiers = 0;
    uint32_t button = 3; // 0 left, 1 right, 2 middle, 3 none
    float wheel = 0.0f;  // notches moved this frame
    int32_t x = 0;       // cursor relative to the widget's screen position
    int32_t y = 0;
    int32_t dx = 0; // cursor movement since the previous frame
    int32_t dy = 0;
};

struct KeybEventArgs : WidgetEventArgs {
    uint32_t modifiers = 0;
    uint32_t key = 0;   // key code 0..255
    char character = 0; // printable character 32..126, 0 when none
};

class SubscriberInterface {
public:
    virtual bool Invoke(const EventArgs& args) = 0;
    virtual ~SubscriberInterface() = default;
};

template <class T> class _memberBinder : public SubscriberInterface {
public:
    using Function = bool (T::*)(const EventArgs&);
    _memberBinder(T* object, Function function) : m_object(object), m_function(function) {}
    bool Invoke(const EventArgs& args) override {
        return (m_object && m_function) ? (m_object->*m_function)(args) : false;
    }

private:
    T* m_object;
    Function m_function;
};

class _freeBinder : public SubscriberInterface {
public:
    using Function = bool (*)(const EventArgs&);
    explicit _freeBinder(Function function) : m_function(function) {}
    bool Invoke(const EventArgs& args) override { return m_function ? m_function(args) : false; }

private:
    Function m_function;
};

// One subscription, owned by its event.
struct EventConnection {
    Event* event = nullptr;
    SubscriberInterface* subscriber = nullptr;
    std::shared_ptr<SubscriberInterface> owned; // set when the event owns the subscriber
};

// A handle to a subscription. It never dangles: once the subscription ends
// (unsubscribed, replaced, or its event destroyed) it reports no event.
class Connection {
public:
    Connection() = default;
    Event* GetEvent() const;
    SubscriberInterface* GetSubscriber() const;
    bool IsConnected() const { return GetEvent() != nullptr; }
    void Disconnect();

private:
    friend class Event;
    friend class EventSet;
    explicit Connection(std::weak_ptr<EventConnection> record) : m_record(std::move(record)) {}
    std::weak_ptr<EventConnection> m_record;
};

// Disconnects when it goes out of scope.
class ScopedConnection {
public:
    ScopedConnection() = default;
    ScopedConnection(Connection connection) : m_connection(std::move(connection)) {}
    ~ScopedConnection() { m_connection.Disconnect(); }
    ScopedConnection(const ScopedConnection&) = delete;
    ScopedConnection& operator=(const ScopedConnection&) = delete;
    ScopedConnection(ScopedConnection&& other) noexcept : m_connection(std::move(other.m_connection)) {
        other.m_connection = Connection();
    }
    ScopedConnection& operator=(ScopedConnection&& other) noexcept;
    ScopedConnection& operator=(Connection connection);

    const Connection& Get() const { return m_connection; }
    void Disconnect() { m_connection.Disconnect(); }

private:
    Connection m_connection;
};

class Event {
public:
    explicit Event(std::string name);
    virtual ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    const std::string& GetName() const { return m_name; }

    // A subscriber already subscribed is stored once, in its first place; its
    // entry holds the new connection.
    Connection Subscribe(SubscriberInterface* subscriber);
    Connection Subscribe(std::unique_ptr<SubscriberInterface> subscriber);
    void Unsubscribe(SubscriberInterface* subscriber);
    bool IsSubscribed(SubscriberInterface* subscriber) const {
        return Find(subscriber) != m_subscribers.end();
    }

    // Calls every subscriber and ORs its result into args.handled.
    void Fire(EventArgs& args);

private:
    using Records = std::vector<std::shared_ptr<EventConnection>>;

    Connection Store(SubscriberInterface* subscriber, std::shared_ptr<SubscriberInterface> owned);
    Records::const_iterator Find(const SubscriberInterface* subscriber) const;

    std::string m_name;
    Records m_subscribers; // in subscription order

    std::shared_ptr<bool> m_alive;
};

class EventSet {
public:
    EventSet() = default;
    virtual ~EventSet() = default;
    EventSet(const EventSet&) = delete;
    EventSet& operator=(const EventSet&) = delete;

    void AddEvent(const std::string& name);
    // An unknown name logs and returns a handle with no event; the subscriber is not stored.
    Connection SubscribeEvent(const std::string& name, SubscriberInterface* subscriber);
    Connection SubscribeEvent(const std::string& name, std::unique_ptr<SubscriberInterface> subscriber);
    void LaunchEvent(const std::string& name, EventArgs& args);
    // The event of the name, or null when none was added.
    Event* GetEvent(const std::string& name) const;

private:
    // An added event's name; its Event is made on the first use that needs
    // one (most of a widget's events are never subscribed to).
    struct Entry {
        std::string name;
        mutable std::unique_ptr<Event> event;
    };
    using Entries = std::vector<Entry>;

    Entries::const_iterator Find(const std::string& name) const;

    Entries m_events; // sorted by name, letter case ignored
};

} // namespace GUI
