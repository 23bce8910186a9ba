#include "mirel/gui/gui_event.h"

#include "mirel/base/a_log.h"

#include <algorithm>
#include <vector>

namespace GUI {

namespace {

bool answerFalse(const EventArgs&) {
    return false;
}

// The handle given for an unknown event: no event, a subscriber that answers false.
const std::shared_ptr<EventConnection>& dummyConnection() {
    static _freeBinder binder(&answerFalse);
    static const std::shared_ptr<EventConnection> record =
        std::make_shared<EventConnection>(EventConnection{nullptr, &binder, nullptr});
    return record;
}

} // namespace

Event* Connection::GetEvent() const {
    auto record = m_record.lock();
    return record ? record->event : nullptr;
}

SubscriberInterface* Connection::GetSubscriber() const {
    auto record = m_record.lock();
    return record ? record->subscriber : nullptr;
}

void Connection::Disconnect() {
    auto record = m_record.lock();
    if (record && record->event) {
        record->event->Unsubscribe(record->subscriber);
    }
    m_record.reset();
}

ScopedConnection& ScopedConnection::operator=(ScopedConnection&& other) noexcept {
    if (this != &other) {
        m_connection.Disconnect();
        m_connection = std::move(other.m_connection);
        other.m_connection = Connection();
    }
    return *this;
}

ScopedConnection& ScopedConnection::operator=(Connection connection) {
    m_connection.Disconnect();
    m_connection = std::move(connection);
    return *this;
}

Event::Event(std::string name) : m_name(std::move(name)), m_alive(std::make_shared<bool>(true)) {}

Event::~Event() {
    *m_alive = false;
    for (auto& record : m_subscribers) {
        record->event = nullptr;
    }
}

Event::Records::const_iterator Event::Find(const SubscriberInterface* subscriber) const {
    return std::find_if(m_subscribers.begin(), m_subscribers.end(),
                        [subscriber](const auto& record) { return record->subscriber == subscriber; });
}

Connection Event::Store(SubscriberInterface* subscriber, std::shared_ptr<SubscriberInterface> owned) {
    auto record = std::make_shared<EventConnection>();
    record->event = this;
    record->subscriber = subscriber;
    record->owned = std::move(owned);
    auto found = Find(subscriber);
    if (found != m_subscribers.end()) {
        // The same object again: one entry in its old place, holding the new
        // connection and any ownership.
        auto& entry = m_subscribers[size_t(found - m_subscribers.begin())];
        if (!record->owned) {
            record->owned = std::move(entry->owned);
        }
        entry->event = nullptr;
        entry = record;
    } else {
        m_subscribers.push_back(record);
    }
    return Connection(record);
}

Connection Event::Subscribe(SubscriberInterface* subscriber) {
    if (!subscriber) {
        a_log("Event::Subscribe - null subscriber for event '%s'", m_name.c_str());
        return Connection();
    }
    return Store(subscriber, nullptr);
}

Connection Event::Subscribe(std::unique_ptr<SubscriberInterface> subscriber) {
    if (!subscriber) {
        a_log("Event::Subscribe - null subscriber for event '%s'", m_name.c_str());
        return Connection();
    }
    SubscriberInterface* raw = subscriber.get();
    return Store(raw, std::shared_ptr<SubscriberInterface>(std::move(subscriber)));
}

void Event::Unsubscribe(SubscriberInterface* subscriber) {
    auto found = Find(subscriber);
    if (found == m_subscribers.end()) {
        return;
    }
    (*found)->event = nullptr;
    m_subscribers.erase(found);
}

void Event::Fire(EventArgs& args) {
    // A snapshot keeps the walk valid while handlers change the subscriptions;
    // the records keep owned subscribers alive until their call returns.
    const Records calls = m_subscribers;
    std::shared_ptr<bool> alive = m_alive;
    for (auto& record : calls) {
        if (!*alive) {
            return;
        }
        if (record->event != this) {
            continue; // unsubscribed by an earlier handler
        }
        if (record->subscriber->Invoke(args)) {
            args.handled = true;
        }
    }
}

EventSet::Entries::const_iterator EventSet::Find(const std::string& name) const {
    auto it = std::lower_bound(m_events.begin(), m_events.end(), name,
                               [](const Entry& e, const std::string& n) { return a_stricmp(e.name, n) < 0; });
    return it != m_events.end() && a_stricmp(it->name, name) == 0 ? it : m_events.end();
}

void EventSet::AddEvent(const std::string& name) {
    if (m_events.empty()) {
        m_events.reserve(32); // a widget adds twenty-four and more, one at a time
    }
    auto it = std::lower_bound(m_events.begin(), m_events.end(), name,
                               [](const Entry& e, const std::string& n) { return a_stricmp(e.name, n) < 0; });
    if (it != m_events.end() && a_stricmp(it->name, name) == 0) {
        a_log("EventSet::AddEvent - event %s already exists", name.c_str());
        return;
    }
    m_events.insert(it, Entry{name, nullptr});
}

Event* EventSet::GetEvent(const std::string& name) const {
    auto it = Find(name);
    if (it == m_events.end()) {
        return nullptr;
    }
    if (!it->event) {
        it->event = std::make_unique<Event>(it->name);
    }
    return it->event.get();
}

Connection EventSet::SubscribeEvent(const std::string& name, SubscriberInterface* subscriber) {
    Event* event = GetEvent(name);
    if (!event) {
        a_log("EventSet::SubscribeEvent - event %s not found", name.c_str());
        return Connection(dummyConnection());
    }
    return event->Subscribe(subscriber);
}

Connection EventSet::SubscribeEvent(const std::string& name,
                                    std::unique_ptr<SubscriberInterface> subscriber) {
    Event* event = GetEvent(name);
    if (!event) {
        a_log("EventSet::SubscribeEvent - event %s not found", name.c_str());
        return Connection(dummyConnection()); // the subscriber is freed here
    }
    return event->Subscribe(std::move(subscriber));
}

void EventSet::LaunchEvent(const std::string& name, EventArgs& args) {
    auto it = Find(name);
    if (it == m_events.end()) {
        a_log("EventSet::LaunchEvent - event '%s' not found", name.c_str());
        return;
    }
    if (it->event) { // an event never used has no subscribers to call
        it->event->Fire(args);
    }
}

} // namespace GUI
